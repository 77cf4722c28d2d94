#pragma once

#include <cstdint>
#include <optional>

namespace install::engine {

// Optional parts of an installation. Each flag is 0 when the part is to be installed and 1 when
// not; an empty flag leaves the engine's own default.
struct OptionalFeatureFlags {
    std::optional<std::int32_t> documentation;
    std::optional<std::int32_t> demos;
    std::optional<std::int32_t> reserved;
};

}  // namespace install::engine
