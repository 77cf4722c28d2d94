#pragma once

#include <memory>
#include <string>

#include "foundation/ComponentExport.h"
#include "install/online_service/OnlineServiceSettings.h"

namespace install::online_service {

// The installer's web-service client, as far as the connectivity check needs it.
class COMPONENT_API OnlineServiceClient {
public:
    explicit OnlineServiceClient(OnlineServiceSettings settings);
    OnlineServiceClient(const OnlineServiceClient&) = default;
    OnlineServiceClient& operator=(const OnlineServiceClient&) = default;
    virtual ~OnlineServiceClient();

    // Credentials for the proxy (UTF-8); they never appear in an exception text.
    virtual void setProxyCredentials(const std::string& userName, const std::string& password);

    // One request to the service, naming the locale and the calling client. Returns when the
    // service answered with success; throws ProxyAuthenticationRequiredException when the
    // proxy answers 407, std::runtime_error on any other failure.
    virtual void ping(const std::string& locale, const std::string& clientName) const;

    const OnlineServiceSettings& settings() const { return settings_; }

private:
    OnlineServiceSettings settings_;
    std::string proxyUserName_;
    std::string proxyPassword_;
};

// A client for the service the URL manager names under ONLINE_SERVICE, through the proxy it
// names under PROXY when it has one. Throws a std::exception when the address is missing.
COMPONENT_API std::shared_ptr<OnlineServiceClient> createOnlineServiceClient();
COMPONENT_API std::shared_ptr<OnlineServiceClient> createOnlineServiceClient(OnlineServiceSettings settings);

}  // namespace install::online_service
