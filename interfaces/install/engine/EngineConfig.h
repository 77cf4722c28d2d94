#pragma once

#include <string>

#include "foundation/ComponentExport.h"

namespace install::engine {

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

private:
    std::string proxyUrl_;
    std::string proxyUserName_;
    std::string proxyPassword_;
};

}  // namespace install::engine
