#include "install/validatefolder/FolderValidatorUtility.h"

#include "install/platformutil/DefaultDirectoryProvider.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::validatefolder {

FolderValidatorUtility::FolderValidatorUtility() = default;
FolderValidatorUtility::~FolderValidatorUtility() = default;

std::filesystem::path FolderValidatorUtility::getUserAppDataFolder() const {
    return std::filesystem::path(platformutil::DefaultDirectoryProvider().getUserAppDataDirectory());
}

std::filesystem::path FolderValidatorUtility::getInstallerFolder() const {
    return platformutil::PlatformUtility::getInstallationPath();
}

}  // namespace install::validatefolder
