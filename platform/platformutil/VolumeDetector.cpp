#include "install/platformutil/VolumeDetector.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "fl/i18n/TextConversion.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::platformutil {

VolumeDetector::VolumeDetector() = default;
VolumeDetector::~VolumeDetector() = default;

bool VolumeDetector::isSameVolume(const std::u16string& first, const std::u16string& second) const {
    return getVolumeId(first) == getVolumeId(second);
}

std::uint64_t VolumeDetector::getVolumeId(const std::u16string& path) const {
    if (path.empty()) throw std::invalid_argument("an empty path lies on no volume");
    const std::filesystem::path existing =
        PlatformUtility::getNearestExistingAncestor(std::filesystem::path(fl::i18n::to_string(path)));
    struct stat status {};
    if (::stat(existing.c_str(), &status) != 0) {
        throw std::filesystem::filesystem_error("cannot examine volume", existing,
                                                std::error_code(errno, std::generic_category()));
    }
    return static_cast<std::uint64_t>(status.st_dev);
}

}  // namespace install::platformutil
