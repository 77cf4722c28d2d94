#include "framework/window/ProxySinkRegistration.h"

#include <utility>

#include "ProxySinkSlot.h"

namespace framework::window {

ProxySinkRegistration::ProxySinkRegistration(ProxySinkRegistration&& other) noexcept
    : installation_(std::exchange(other.installation_, 0)) {}

ProxySinkRegistration& ProxySinkRegistration::operator=(ProxySinkRegistration&& other) noexcept {
    if (this != &other) {
        release();
        installation_ = std::exchange(other.installation_, 0);
    }
    return *this;
}

ProxySinkRegistration::~ProxySinkRegistration() { release(); }

void ProxySinkRegistration::release() {
    if (installation_ != 0) ProxySinkSlot::instance().uninstall(std::exchange(installation_, 0));
}

}  // namespace framework::window
