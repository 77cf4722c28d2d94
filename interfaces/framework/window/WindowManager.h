#pragma once

#include <string>

#include "foundation/ComponentExport.h"
#include "framework/window/ProxyCredentialsSink.h"
#include "framework/window/ProxySinkRegistration.h"

namespace framework::window {

// The installer's windows. Without an embedded browser in this build, applying proxy settings
// means handing them to whichever part of the host application drives the browser pages.
class COMPONENT_API WindowManager {
public:
    // Uses the sink the host application has installed for the process, as found at the time
    // of each call.
    WindowManager() = default;
    // Uses this sink only.
    explicit WindowManager(ProxyCredentialsSink sink);
    WindowManager(const WindowManager&) = default;
    WindowManager& operator=(const WindowManager&) = default;
    virtual ~WindowManager();

    // Passes the credentials on. Throws std::runtime_error when no sink is there to take them,
    // and lets a sink's refusal through. Neither text carries the credentials.
    virtual void applyProxyInfoToCEF(const std::string& userName, const std::string& password) const;

    // Installs the process's sink (replacing any earlier one) until the registration ends.
    [[nodiscard]] static ProxySinkRegistration installProxyCredentialsSink(ProxyCredentialsSink sink);

private:
    ProxyCredentialsSink sink_;
};

}  // namespace framework::window
