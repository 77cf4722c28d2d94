#include "install/validatefolder/FolderValidator.h"

#include <climits>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include <unistd.h>

#include "MountTable.h"
#include "fl/i18n/TextConversion.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::validatefolder {
namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kForbiddenCharacters = u"+@'!*?;<>|";
constexpr const char* kProbePattern = ".velora-write-probe-XXXXXX";

std::string quoted(const std::u16string& folder) { return "\"" + fl::i18n::to_string(folder) + "\""; }

bool isEnglish(char16_t c) { return c >= 0x20 && c <= 0x7E; }

bool hasComponentEndingInDot(const fs::path& path) {
    for (const fs::path& component : path.relative_path()) {
        const std::string name = component.string();
        if (!name.empty() && name.back() == '.') return true;
    }
    return false;
}

// The resolved form where it can be had: symbolic links in the existing part followed.
fs::path resolved(const fs::path& path) {
    std::error_code error;
    fs::path result = fs::weakly_canonical(path, error);
    return error ? path.lexically_normal() : result;
}

bool isSameOrInside(const fs::path& folder, const fs::path& container) {
    const fs::path relative = folder.lexically_relative(container);
    return !relative.empty() && *relative.begin() != "..";
}

fs::path nearestExistingAncestor(const fs::path& path, const std::u16string& folder) {
    try {
        return platformutil::PlatformUtility::getNearestExistingAncestor(path);
    } catch (const fs::filesystem_error& error) {
        throw FolderValidatorExceptionWritePermission("Folder " + quoted(folder) +
                                                      " cannot be examined: " + error.code().message());
    }
}

// Names the system would refuse when creating the missing part of the path.
void checkCreatable(const fs::path& path, const fs::path& existing, const std::u16string& folder) {
    if (path.native().size() >= PATH_MAX) {
        throw FolderValidatorFailedToCreateFolder("Folder " + quoted(folder) +
                                                  " cannot be created: the path is longer than " +
                                                  std::to_string(PATH_MAX - 1) + " bytes");
    }
    for (const fs::path& component : path.lexically_relative(existing)) {
        if (component.native().size() > NAME_MAX) {
            throw FolderValidatorFailedToCreateFolder(
                "Folder " + quoted(folder) + " cannot be created: the name \"" + component.string() +
                "\" is longer than " + std::to_string(NAME_MAX) + " bytes");
        }
    }
}

void probeWriting(const fs::path& folder, const std::u16string& shown) {
    std::string probe = (folder / kProbePattern).string();
    const int descriptor = ::mkstemp(probe.data());
    if (descriptor < 0) {
        throw FolderValidatorExceptionWritePermission("Cannot write to folder " + quoted(shown) + ": " +
                                                      std::generic_category().message(errno));
    }
    ::close(descriptor);
    if (::unlink(probe.c_str()) != 0) {
        throw FolderValidatorExceptionWritePermission("Cannot remove files from folder " + quoted(shown) +
                                                      ": " + std::generic_category().message(errno));
    }
}

}  // namespace

FolderValidator::FolderValidator() : utility_(std::make_unique<FolderValidatorUtility>()) {}

FolderValidator::~FolderValidator() = default;

const FolderValidatorUtility& FolderValidator::getFolderValidatorUtility() const { return *utility_; }

bool FolderValidator::checkWarnings(const std::u16string& folder) const {
    const fs::path path(fl::i18n::to_string(folder));
    std::error_code error;
    if (!path.is_absolute() || !fs::is_directory(path, error)) return false;
    const fs::path canonical = fs::canonical(path, error);
    return !error && MountTable::current().isMountPoint(canonical);
}

void FolderValidator::checkRequired(const std::u16string& folder, bool createIfMissing) const {
    const fs::path path(fl::i18n::to_string(folder));
    if (!path.is_absolute()) {
        throw FolderValidatorAbsolutePath("Folder " + quoted(folder) + " is not an absolute path");
    }
    for (char16_t c : folder) {
        if (!isEnglish(c)) {
            throw FolderValidatorExceptionNonEnglishCharacter(
                "Folder " + quoted(folder) + " contains a character outside printable ASCII");
        }
    }
    if (folder.find_first_of(kForbiddenCharacters) != std::u16string::npos) {
        throw FolderValidatorExceptionInvalidCharacter(
            "Folder " + quoted(folder) + " contains one of " +
            fl::i18n::to_string(std::u16string(kForbiddenCharacters)));
    }
    if (hasComponentEndingInDot(path)) {
        throw FolderValidatorExceptionTrailingDotsOnWindows("Folder " + quoted(folder) +
                                                            " has a name ending in a dot");
    }

    const fs::path existing = nearestExistingAncestor(path, folder);
    std::error_code error;
    if (!fs::is_directory(existing, error)) {
        throw FolderValidatorNotADirectory("\"" + existing.string() + "\" on the path of " + quoted(folder) +
                                           " is not a folder");
    }

    const FolderValidatorUtility& utility = getFolderValidatorUtility();
    const fs::path target = resolved(path);
    const fs::path appData = utility.getUserAppDataFolder();
    if (!appData.empty() && isSameOrInside(target, resolved(appData))) {
        throw FolderContainsUsersDefaultAppDataError(
            "Folder " + quoted(folder) + " lies in the user's application-data folder " + appData.string());
    }
    const fs::path installer = utility.getInstallerFolder();
    if (!installer.empty() && target == resolved(installer)) {
        throw FolderIsInstallerRootError("Folder " + quoted(folder) + " is the installer's own folder");
    }

    fs::path writable = existing;
    if (existing != path.lexically_normal()) {
        checkCreatable(path, existing, folder);
        if (createIfMissing) {
            fs::create_directories(path, error);
            if (error) {
                throw FolderValidatorFailedToCreateFolder("Folder " + quoted(folder) +
                                                          " cannot be created: " + error.message());
            }
            writable = path;
        }
    }
    probeWriting(writable, folder);
}

}  // namespace install::validatefolder
