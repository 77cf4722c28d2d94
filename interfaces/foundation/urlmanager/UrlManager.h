#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "foundation/ComponentExport.h"

namespace foundation::urlmanager {

// Keys of the addresses the installer needs.
inline constexpr char EMBEDDED_SIGNIN[] = "EMBEDDED_SIGNIN";  // sign-in page shown in the installer
inline constexpr char ONLINE_SERVICE[] = "ONLINE_SERVICE";    // the online service the proxy check pings
inline constexpr char PROXY[] = "PROXY";  // proxy for the online service; absent: the system's
inline constexpr char PRODUCT_REPOSITORY[] = "PRODUCT_REPOSITORY";  // base address of the product repository

// Addresses by key, read once from a JSON file holding one object of key -> address text.
class COMPONENT_API UrlManager {
public:
    // Throws std::runtime_error when the file cannot be read or is not such an object.
    explicit UrlManager(const std::filesystem::path& configurationFile);
    UrlManager(const UrlManager&) = default;
    UrlManager& operator=(const UrlManager&) = default;
    virtual ~UrlManager();

    // The address under key (UTF-8); throws UrlNotFoundError when the file has none.
    virtual std::string getUrl(const std::string& key) const;
    virtual bool hasUrl(const std::string& key) const;

    // The file createUrlManager() reads: the one named by VELORA_URL_CONFIGURATION when set,
    // else "urls.json" beside the running program.
    static std::filesystem::path defaultConfigurationFile();

private:
    std::filesystem::path configurationFile_;
    std::map<std::string, std::string> urls_;
};

COMPONENT_API std::shared_ptr<UrlManager> createUrlManager();
COMPONENT_API std::shared_ptr<UrlManager> createUrlManager(const std::filesystem::path& configurationFile);

}  // namespace foundation::urlmanager
