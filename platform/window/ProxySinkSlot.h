#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "framework/window/ProxyCredentialsSink.h"

namespace framework::window {

// The one place per process where the host's sink is kept. The embedded browser is a resource
// of the whole process, and the proxy gate reaches it through a freshly constructed
// WindowManager, so the sink cannot travel with any object the gate is given.
class ProxySinkSlot {
public:
    static ProxySinkSlot& instance();

    std::uint64_t install(ProxyCredentialsSink sink);
    void uninstall(std::uint64_t installation);
    std::shared_ptr<const ProxyCredentialsSink> current() const;

private:
    ProxySinkSlot() = default;

    mutable std::mutex mutex_;
    std::shared_ptr<const ProxyCredentialsSink> sink_;
    std::uint64_t installation_ = 0;
    std::uint64_t lastInstallation_ = 0;
};

}  // namespace framework::window
