#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "foundation/ComponentExport.h"
#include "install/tlmxclient/TLMXSettingsClientResponse.h"

namespace install::tlmxclient {

// Asks the usage-data settings service how the usage-data checkbox is to be offered. This
// client answers from a settings file (JSON) instead of the network:
//
//   { "default":  { "shown": true, "selectable": true, "checked": false },
//     "releases": { "2031.1": { "checked": true } } }
//
// A release entry overrides the default entry field by field; a field missing from both takes the
// built-in value (shown, selectable, not checked: the user opts in). Without a file every answer
// is the built-in one. Texts are UTF-8.
class COMPONENT_API TLMXSettingsClient {
public:
    explicit TLMXSettingsClient(std::filesystem::path settingsFile);
    virtual ~TLMXSettingsClient();

    // Credentials for a proxy that demands them; kept for requests that leave the machine.
    virtual void setProxyCredentials(const std::string& userName, const std::string& password);

    // The settings for a signed-in user of an online installation: the installer's product code,
    // the release family and the user's access token identify the request.
    virtual TLMXSettingsClientResponse getSettings(const std::string& productCode,
                                                   const std::string& releaseFamily,
                                                   const std::string& accessToken) const;
    // The settings of a release when nobody is signed in (installation from a folder).
    virtual TLMXSettingsClientResponse getSettings(const std::string& releaseFamily) const;

    // The file named by VELORA_USAGE_DATA_SETTINGS when set, else "usage_data_settings.json" in
    // the running installer's folder.
    static std::filesystem::path defaultSettingsFile();

private:
    std::filesystem::path settingsFile_;
    std::string proxyUserName_;
    std::string proxyPassword_;
};

// The settings file exists but cannot be read or is not a settings object.
class COMPONENT_API TLMXSettingsClientException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~TLMXSettingsClientException() override;
};

// Makes the clients, so that the host can put another kind of client in place.
class COMPONENT_API TLMXSettingsClientFactory {
public:
    virtual ~TLMXSettingsClientFactory();
    // A client over defaultSettingsFile().
    virtual std::unique_ptr<TLMXSettingsClient> createClient() const;
};

COMPONENT_API std::unique_ptr<TLMXSettingsClientFactory> createTLMXSettingsClientFactory();

}  // namespace install::tlmxclient
