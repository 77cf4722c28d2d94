#include "framework/window/WindowManager.h"

#include <stdexcept>
#include <utility>

#include "ProxySinkSlot.h"

namespace framework::window {

WindowManager::WindowManager(ProxyCredentialsSink sink) : sink_(std::move(sink)) {}

WindowManager::~WindowManager() = default;

void WindowManager::applyProxyInfoToCEF(const std::string& userName, const std::string& password) const {
    if (sink_) return sink_(userName, password);
    // Held while calling, so an uninstallation meanwhile cannot pull the sink away mid-call.
    const std::shared_ptr<const ProxyCredentialsSink> installed = ProxySinkSlot::instance().current();
    if (!installed || !*installed) {
        throw std::runtime_error("No embedded browser host is there to take the proxy settings");
    }
    (*installed)(userName, password);
}

ProxySinkRegistration WindowManager::installProxyCredentialsSink(ProxyCredentialsSink sink) {
    return ProxySinkRegistration(ProxySinkSlot::instance().install(std::move(sink)));
}

}  // namespace framework::window
