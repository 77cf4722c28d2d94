// The embedded browser's proxy settings, fed by the window manager's sink.
#include "host/BrowserProxy.h"

#include "framework/window/WindowManager.h"
#include "host/ConfiguredProxy.h"

namespace velora::installer {

BrowserProxy::BrowserProxy(std::string userName, std::string password) { take(userName, password); }

framework::window::ProxySinkRegistration BrowserProxy::receiveFromProxyPage() {
    return framework::window::WindowManager::installProxyCredentialsSink(
        [this](const std::string& userName, const std::string& password) { take(userName, password); });
}

ProxyRoute BrowserProxy::route() const {
    ProxyRoute route{configuredProxyAddress(), {}, {}};
    const std::lock_guard lock(mutex_);
    route.userName = userName_;
    route.password = password_;
    return route;
}

void BrowserProxy::take(const std::string& userName, const std::string& password) {
    if (userName.empty() || password.empty()) return;
    const std::lock_guard lock(mutex_);
    userName_ = userName;
    password_ = password;
}

}  // namespace velora::installer
