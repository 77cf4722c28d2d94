#include "install/validatefolder/DestinationContentValidator.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "InstallationManifest.h"
#include "fl/i18n/TextConversion.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::validatefolder {
namespace {

namespace fs = std::filesystem;
using engine::InstallationManifest;
using foundation::release_info::ReleaseInfo;

constexpr const char* kReleaseFile = "VersionInfo.xml";

std::string utf8(const std::u16string& text) { return fl::i18n::to_string(text); }

std::string describe(const std::u16string& family, const std::u16string& status) {
    return utf8(family) + (status.empty() ? "" : " (" + utf8(status) + ")");
}

// True for an empty folder, and for one that holds only what killed installation runs left
// (their staging folders, which the engine takes back before it starts).
bool holdsNothingToKeep(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        if (!entry->path().filename().string().starts_with(InstallationManifest::kStagingPrefix))
            return false;
    }
    return !error;
}

// Nothing when the folder is missing or holds nothing to keep: there is nothing to conflict with.
std::optional<InstallationManifest> recordOf(const fs::path& folder) {
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (!fs::exists(status)) return std::nullopt;
    if (!fs::is_directory(status)) {
        throw OverwriteException("\"" + folder.string() + "\" is a file, not an installation folder");
    }
    if (holdsNothingToKeep(folder)) return std::nullopt;
    std::optional<InstallationManifest> manifest;
    try {
        manifest = InstallationManifest::readFrom(folder);
    } catch (const engine::InstallationManifestException& failure) {
        throw OverwriteException("\"" + folder.string() +
                                 "\" holds an unreadable installation record: " + failure.what());
    }
    if (!manifest) {
        throw OverwriteException("\"" + folder.string() +
                                 "\" holds files but no installation of these products");
    }
    return manifest;
}

}  // namespace

DestinationContentValidator::DestinationContentValidator(std::u16string folder)
    : folder_(std::move(folder)) {}

DestinationContentValidator::DestinationContentValidator(std::u16string folder,
                                                         std::optional<ReleaseInfo> installerRelease)
    : folder_(std::move(folder)), releaseGiven_(true), installerRelease_(std::move(installerRelease)) {}

DestinationContentValidator::~DestinationContentValidator() = default;

std::optional<ReleaseInfo> DestinationContentValidator::getInstallerRelease() const {
    if (releaseGiven_) return installerRelease_;
    const fs::path file = platformutil::PlatformUtility::getInstallationPath() / kReleaseFile;
    std::error_code error;
    if (!fs::exists(file, error)) return std::nullopt;
    std::ifstream stream(file, std::ios::binary);
    return ReleaseInfo(stream);
}

void DestinationContentValidator::validate(const std::u16string& installedControllingFamily,
                                           const std::u16string& offeredControllingFamily) const {
    const fs::path folder(utf8(folder_));
    const std::optional<InstallationManifest> manifest = recordOf(folder);
    if (!manifest) return;

    if (!installedControllingFamily.empty() && !offeredControllingFamily.empty() &&
        installedControllingFamily != offeredControllingFamily) {
        throw ControllingProductsMismatchException("\"" + folder.string() + "\" holds " +
                                                   utf8(installedControllingFamily) + ", not " +
                                                   utf8(offeredControllingFamily));
    }
    const std::optional<ReleaseInfo> installer = getInstallerRelease();
    if (!installer) return;
    if (manifest->getReleaseFamily() != installer->getReleaseFamily() ||
        manifest->getReleaseStatus() != installer->getReleaseStatus()) {
        throw ReleaseStatusMismatchException(
            "\"" + folder.string() + "\" holds release " +
            describe(manifest->getReleaseFamily(), manifest->getReleaseStatus()) + ", the installer is " +
            describe(installer->getReleaseFamily(), installer->getReleaseStatus()));
    }
    if (manifest->getUpdateLevel() != installer->getUpdateLevel()) {
        throw UpdateLevelMismatchException(
            "\"" + folder.string() + "\" holds update level " + std::to_string(manifest->getUpdateLevel()) +
            ", the installer has " + std::to_string(installer->getUpdateLevel()));
    }
}

}  // namespace install::validatefolder
