#pragma once

#include <functional>
#include <string>

namespace framework::window {

// Takes proxy credentials on behalf of the embedded browser that shows the installer's pages.
// A sink reports a refusal by throwing.
using ProxyCredentialsSink = std::function<void(const std::string& userName, const std::string& password)>;

}  // namespace framework::window
