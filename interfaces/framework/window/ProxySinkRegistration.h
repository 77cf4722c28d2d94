#pragma once

#include <cstdint>

#include "foundation/ComponentExport.h"

namespace framework::window {

// Keeps a sink installed by WindowManager::installProxyCredentialsSink for as long as it
// lives. Destroying it uninstalls the sink, unless a later installation has replaced it.
class COMPONENT_API ProxySinkRegistration {
public:
    ProxySinkRegistration() = default;
    explicit ProxySinkRegistration(std::uint64_t installation) : installation_(installation) {}
    ProxySinkRegistration(ProxySinkRegistration&& other) noexcept;
    ProxySinkRegistration& operator=(ProxySinkRegistration&& other) noexcept;
    ProxySinkRegistration(const ProxySinkRegistration&) = delete;
    ProxySinkRegistration& operator=(const ProxySinkRegistration&) = delete;
    ~ProxySinkRegistration();

    // Uninstalls now; later calls and the destructor do nothing.
    void release();

private:
    std::uint64_t installation_ = 0;  // 0: nothing to uninstall
};

}  // namespace framework::window
