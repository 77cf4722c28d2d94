#include "install/platformutil/SizeFormatter.h"

#include <array>

namespace install::platformutil {

std::string SizeFormatter::format(std::uint64_t bytes) {
    static constexpr std::array<const char*, 7> units{"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (bytes < 1024) return std::to_string(bytes) + " B";

    // Integer tenths rather than printf: the result must not depend on the global C locale,
    // which the message catalogue may have switched to one with a decimal comma.
    std::size_t unit = 0;
    long double value = static_cast<long double>(bytes);
    while (value >= 1024.0L && unit + 1 < units.size()) {
        value /= 1024.0L;
        ++unit;
    }
    auto tenths = static_cast<std::uint64_t>(value * 10.0L + 0.5L);
    // 1023.96 KiB rounds up to the next unit rather than showing "1024.0 KiB".
    if (tenths >= 10240 && unit + 1 < units.size()) {
        tenths = static_cast<std::uint64_t>(value / 1024.0L * 10.0L + 0.5L);
        ++unit;
    }
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " " + units[unit];
}

}  // namespace install::platformutil
