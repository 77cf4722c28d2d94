#pragma once

#include <string>

namespace install::product_installer::workflow_utils {

// A yes-or-no choice as the registration runner's option map spells it.
inline std::string registrationOptionFlag(bool value) { return value ? "true" : "false"; }

}  // namespace install::product_installer::workflow_utils
