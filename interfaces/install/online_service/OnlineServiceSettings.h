#pragma once

#include <optional>
#include <string>

namespace install::online_service {

// Where the online service is and how to get there.
struct OnlineServiceSettings {
    std::string serviceUrl;  // the address pinged, http or https
    // The proxy to go through; empty: the system's, from the http_proxy, https_proxy and
    // all_proxy variables.
    std::string proxyUrl;
    // Hosts reached without a proxy; unset: the system's no_proxy variable. "" means none.
    std::optional<std::string> noProxy;
    long timeoutSeconds = 30;
};

}  // namespace install::online_service
