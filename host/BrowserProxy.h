// The proxy settings of the pages the installer shows in its embedded browser.
#pragma once

#include <mutex>
#include <string>

#include "framework/window/ProxySinkRegistration.h"
#include "host/AccountSignIn.h"

namespace velora::installer {

// What the embedded browser would use to load a page such as the sign-in page: the proxy the
// address configuration names, and the credentials the proxy page hands over through the window
// manager. Before the proxy page has done so, the credentials given for the run serve, as a
// person types them when the browser itself asks.
class BrowserProxy {
public:
    BrowserProxy(std::string userName, std::string password);
    BrowserProxy(const BrowserProxy&) = delete;
    BrowserProxy& operator=(const BrowserProxy&) = delete;

    // Makes this object the window manager's sink for as long as the registration lives.
    [[nodiscard]] framework::window::ProxySinkRegistration receiveFromProxyPage();
    // The route at the time of asking.
    ProxyRoute route() const;

private:
    // Credentials with an empty part mean the proxy asks for none: the earlier ones stay.
    void take(const std::string& userName, const std::string& password);

    mutable std::mutex mutex_;
    std::string userName_;
    std::string password_;
};

}  // namespace velora::installer
