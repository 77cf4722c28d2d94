#include "TemporaryName.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace install::enczip {

std::string temporaryName(const std::string& prefix) {
    std::uint64_t bits = 0;
    while (::getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) {
        if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "getrandom");
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = prefix;
    for (int shift = 60; shift >= 0; shift -= 4) name.push_back(kDigits[(bits >> shift) & 0xf]);
    return name;
}

}  // namespace install::enczip
