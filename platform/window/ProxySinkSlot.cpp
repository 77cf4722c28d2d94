#include "ProxySinkSlot.h"

namespace framework::window {

ProxySinkSlot& ProxySinkSlot::instance() {
    static ProxySinkSlot slot;
    return slot;
}

std::uint64_t ProxySinkSlot::install(ProxyCredentialsSink sink) {
    std::lock_guard lock(mutex_);
    sink_ = std::make_shared<const ProxyCredentialsSink>(std::move(sink));
    installation_ = ++lastInstallation_;
    return installation_;
}

void ProxySinkSlot::uninstall(std::uint64_t installation) {
    std::lock_guard lock(mutex_);
    if (installation != installation_) return;
    sink_.reset();
    installation_ = 0;
}

std::shared_ptr<const ProxyCredentialsSink> ProxySinkSlot::current() const {
    std::lock_guard lock(mutex_);
    return sink_;
}

}  // namespace framework::window
