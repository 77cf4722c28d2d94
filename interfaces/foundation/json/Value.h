#pragma once

#include <nlohmann/json.hpp>

namespace foundation::json {

// A JSON value as the diagnostics service and its callers exchange it.
using Value = nlohmann::json;

}  // namespace foundation::json
