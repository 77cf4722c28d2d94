#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::engine {

// The release an installation belongs to, as its "VersionInfo.xml" states it (UTF-8 texts).
struct ReleaseRecord {
    std::string family;
    std::string status;
    std::int32_t updateLevel = 0;
};

// Settings of one engine run besides its products and folders.
class COMPONENT_API EngineConfig {
public:
    EngineConfig();
    virtual ~EngineConfig();

    // Credentials for the proxy between this machine and the product servers (UTF-8).
    virtual void setProxySettings(const std::string& userName, const std::string& password);
    virtual bool hasProxySettings() const;
    virtual const std::string& getProxyUserName() const;
    virtual const std::string& getProxyPassword() const;
    // The proxy's address ("http://proxy.example:3128"); empty: the system's proxy settings.
    virtual void setProxyUrl(const std::string& url);
    virtual const std::string& getProxyUrl() const;
    // The release the installed products belong to; when set, the installation states it in a
    // "VersionInfo.xml" of its folder, which later installers read its update level from.
    virtual void setRelease(const ReleaseRecord& release);
    virtual const std::optional<ReleaseRecord>& getRelease() const;

private:
    std::optional<ReleaseRecord> release_;
    std::string proxyUrl_;
    std::string proxyUserName_;
    std::string proxyPassword_;
};

}  // namespace install::engine
