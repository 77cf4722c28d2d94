// Release information: what was read, once written, reads back as the same release.
#include <optional>
#include <sstream>

#include "FuzzSupport.h"
#include "foundation/release_info/ReleaseInfo.h"

using foundation::release_info::ReleaseInfo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream input{std::string(velora::fuzz::text(data, size))};
    std::optional<ReleaseInfo> first;
    try {
        first.emplace(input);
    } catch (const foundation::release_info::ReleaseInfoException&) {
        return 0;
    }
    std::stringstream written;
    first->write(written);
    const ReleaseInfo second(written);
    velora::fuzz::check(second.getReleaseFamily() == first->getReleaseFamily() &&
                        second.getReleaseStatus() == first->getReleaseStatus() &&
                        second.getUpdateLevel() == first->getUpdateLevel() &&
                        second.getVersion() == first->getVersion());
    return 0;
}
