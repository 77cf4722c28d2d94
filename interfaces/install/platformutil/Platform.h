#pragma once

#include <cstdint>

namespace install::platformutil {

// The platforms an installer knows. The value 0 is always the platform this build runs on, so
// tables keyed by platform number read the same in every build; the other two keep their order.
#if defined(_WIN32)
enum class Platform : std::int32_t { Windows = 0, Linux = 1, MacOS = 2 };
#else
enum class Platform : std::int32_t { Linux = 0, Windows = 1, MacOS = 2 };
#endif

inline constexpr Platform getCurrentPlatform() { return static_cast<Platform>(0); }

}  // namespace install::platformutil
