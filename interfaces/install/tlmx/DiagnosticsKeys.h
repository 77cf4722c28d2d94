#pragma once

#include <string>
#include <variant>

#include "foundation/ComponentExport.h"

namespace install::tlmx {

// The diagnostics service's key spaces. Session keys are plain numbers agreed with the service
// (26 "engine finished", 60 "step started", ...): the enumeration is left open so that any number
// is a key, written SessionDataKey{26}. The GPU key space is open for the same reason.
enum class SessionDataKey : int {};
enum class GpuDataKey : int {};

// The fields of an error record.
enum class ErrorDataKey : int {
    ErrorCode = 1,
    PrimaryMessage = 2,
    SecondaryMessage = 3,
    Location = 4,
};

// The fields of a product record (see ProductData).
enum class ProductDataKey : int {
    BaseCode = 1,
    Name = 2,
    DownloadSize = 3,
    InstallSize = 4,
    Downloadable = 5,
};

using DiagnosticsKey = std::variant<ErrorDataKey, ProductDataKey, SessionDataKey, GpuDataKey>;

// The name under which a key appears in a written record: "error.1", "product.2", "session.26",
// "gpu.3".
COMPONENT_API std::string keyName(const DiagnosticsKey& key);

}  // namespace install::tlmx
