#include "install/engine/DiskSpaceValidator.h"

#include <sys/statvfs.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "fl/i18n/TextConversion.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::engine {

DiskSpaceValidator::DiskSpaceValidator() = default;
DiskSpaceValidator::~DiskSpaceValidator() = default;

bool DiskSpaceValidator::hasEnoughDiskSpaceToInstall(const std::u16string& folder,
                                                     std::uint64_t requiredBytes) const {
    return getAvailableDiskSpace(folder) >= requiredBytes;
}

std::uint64_t DiskSpaceValidator::getAvailableDiskSpace(const std::u16string& folder) const {
    if (folder.empty()) throw std::invalid_argument("no folder to measure free space for");
    const std::filesystem::path existing = platformutil::PlatformUtility::getNearestExistingAncestor(
        std::filesystem::path(fl::i18n::to_string(folder)));
    struct statvfs volume {};
    if (::statvfs(existing.c_str(), &volume) != 0) {
        throw std::system_error(errno, std::generic_category(), "statvfs " + existing.string());
    }
    // Blocks free to unprivileged users: the reserve kept for the superuser is not ours to fill.
    return static_cast<std::uint64_t>(volume.f_bavail) * static_cast<std::uint64_t>(volume.f_frsize);
}

}  // namespace install::engine
