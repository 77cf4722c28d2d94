#pragma once

#include <stdexcept>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::online_service {

// The proxy between the installer and the online service asks for credentials, or refused the
// ones given (HTTP 407).
class COMPONENT_API ProxyAuthenticationRequiredException : public std::runtime_error {
public:
    explicit ProxyAuthenticationRequiredException(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace install::online_service
