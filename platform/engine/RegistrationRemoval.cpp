#include "RegistrationRemoval.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "RegistryStore.h"
#include "Sha256.h"
#include "fl/i18n/TextConversion.h"
#include "install/platformutil/DefaultDirectoryProvider.h"

namespace fs = std::filesystem;

namespace install::engine {
namespace {

std::string contentOf(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

}  // namespace

bool RegistrationRemoval::removeRecord(const InstalledRegistration& registration, std::string& why) {
    const std::u16string key = fl::i18n::to_u16string(registration.path);
    const auto valueName = platformutil::DefaultDirectoryProvider::kInstallationFolderValue;
    try {
        const registry::RegistryStore store;
        const auto recorded = store.read(key, valueName);
        if (!recorded) return true;
        if (*recorded != fl::i18n::to_u16string(registration.target)) {
            why = "names another installation folder now";
            return false;
        }
        store.write(key, valueName, std::nullopt);
    } catch (const std::exception& error) {
        why = std::string("cannot be removed: ") + error.what();
        return false;
    }
    removed_.push_back({registration, {}, fs::perms::none});
    return true;
}

RegistrationRemoval::~RegistrationRemoval() {
    if (kept_) return;
    for (const Removed& removed : removed_) {
        std::error_code ignored;
        const fs::path path = removed.registration.path;
        if (removed.registration.kind == InstalledRegistration::Kind::InstallationRecord) {
            try {
                registry::RegistryStore().write(
                    fl::i18n::to_u16string(removed.registration.path),
                    platformutil::DefaultDirectoryProvider::kInstallationFolderValue,
                    fl::i18n::to_u16string(removed.registration.target));
            } catch (const std::exception&) {
                // The registry cannot be written now; the installation itself is back in place.
            }
            continue;
        }
        if (removed.registration.kind == InstalledRegistration::Kind::CommandLink) {
            fs::create_symlink(removed.registration.target, path, ignored);
            continue;
        }
        std::ofstream(path, std::ios::binary) << removed.content;
        fs::permissions(path, removed.permissions, ignored);
    }
}

bool RegistrationRemoval::remove(const InstalledRegistration& registration, std::string& why) {
    if (registration.kind == InstalledRegistration::Kind::InstallationRecord)
        return removeRecord(registration, why);
    const fs::path path = registration.path;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (!fs::exists(status)) return true;
    Removed removed{registration, {}, status.permissions()};
    if (registration.kind == InstalledRegistration::Kind::CommandLink) {
        if (!fs::is_symlink(status) || fs::read_symlink(path, error) != fs::path(registration.target)) {
            why = "no longer a link to " + registration.target;
            return false;
        }
    } else if (!fs::is_regular_file(status) || enczip::Sha256::ofBytes(removed.content = contentOf(path)) !=
                                                   enczip::Sha256::normalized(registration.sha256)) {
        why = "changed since the installation";
        return false;
    }
    if (!fs::remove(path, error) || error) {
        why = "cannot be removed: " + error.message();
        return false;
    }
    removed_.push_back(std::move(removed));
    return true;
}

}  // namespace install::engine
