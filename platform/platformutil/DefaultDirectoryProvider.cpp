#include "install/platformutil/DefaultDirectoryProvider.h"

#include <unistd.h>

#include <ctime>
#include <optional>
#include <system_error>
#include <utility>

#include "RegistryStore.h"
#include "UserFolders.h"
#include "fl/i18n/TextConversion.h"

namespace install::platformutil {
namespace {

constexpr const char16_t* kProductFolder = u"Velora";

std::optional<std::u16string> installationKey(const std::u16string& keyRoot, const std::u16string& subRoot,
                                              const std::u16string& key) {
    std::u16string normalised = DefaultDirectoryProvider::installationRecordKey(keyRoot, subRoot, key);
    if (normalised.empty()) return std::nullopt;
    return normalised;
}

char16_t separatorOf(Platform platform) { return platform == Platform::Windows ? u'\\' : u'/'; }

// Joins in the target platform's form; a relative path written with slashes gets that
// platform's separator too.
void append(std::u16string& path, std::u16string part, Platform platform) {
    if (part.empty()) return;
    const char16_t separator = separatorOf(platform);
    for (char16_t& c : part) {
        if (c == u'/' || c == u'\\') c = separator;
    }
    if (!path.empty() && path.back() != separator) path += separator;
    path += part;
}

std::u16string homeOn(Platform platform) {
    const std::u16string user = fl::i18n::to_u16string(UserFolders::userName());
    switch (platform) {
        case Platform::Windows:
            return u"C:\\Users\\" + user;
        case Platform::MacOS:
            return u"/Users/" + user;
        default:
            return UserFolders::home().u16string();
    }
}

}  // namespace

std::u16string DefaultDirectoryProvider::installationRecordKey(const std::u16string& registryKeyRoot,
                                                               const std::u16string& registryKeySubRoot,
                                                               const std::u16string& registryKey) {
    if (install::registry::RegistryStore::normalisedKey(registryKey).empty()) return {};
    return install::registry::RegistryStore::normalisedKey(registryKeyRoot + u'\\' + registryKey + u'\\' +
                                                           registryKeySubRoot);
}

DefaultDirectoryProvider::DefaultDirectoryProvider()
    : DefaultDirectoryProvider(install::registry::RegistryStore::defaultRoot()) {}

DefaultDirectoryProvider::DefaultDirectoryProvider(std::filesystem::path registryRoot)
    : registryRoot_(std::move(registryRoot)) {}

DefaultDirectoryProvider::~DefaultDirectoryProvider() = default;

std::u16string DefaultDirectoryProvider::getDefaultInstallationDirectory(
    const std::filesystem::path& relativePath, const std::u16string& releaseFamily, Platform platform,
    bool ignorePreviousInstallation, const std::u16string& productFamily,
    const std::u16string& registryKeySubRoot, const std::u16string& registryKeyRoot,
    const std::u16string& registryKey) const {
    if (!ignorePreviousInstallation) {
        const auto key = installationKey(registryKeyRoot, registryKeySubRoot, registryKey);
        const auto recorded =
            key ? install::registry::RegistryStore(registryRoot_).read(*key, kInstallationFolderValue)
                : std::nullopt;
        if (recorded && !recorded->empty()) return *recorded;
    }
    std::u16string folder = getPlatformInstallationDirectory(platform);
    append(folder, relativePath.empty() ? productFamily : relativePath.u16string(), platform);
    append(folder, releaseFamily, platform);
    return folder;
}

std::u16string DefaultDirectoryProvider::getPlatformInstallationDirectory(Platform platform) const {
    switch (platform) {
        case Platform::Windows:
            return u"C:\\Program Files";
        case Platform::MacOS:
            return u"/Applications";
        default:
            // Only the superuser can write below /usr/local; everyone else installs for themselves.
            if (geteuid() == 0) return u"/usr/local";
            return (UserFolders::home() / ".local" / "opt").u16string();
    }
}

std::u16string DefaultDirectoryProvider::getDefaultDownloadDirectory(const std::u16string& folderName,
                                                                     Platform platform) const {
    std::u16string folder;
    if (platform == getCurrentPlatform()) {
        folder = UserFolders::downloads().u16string();
    } else {
        folder = homeOn(platform);
        append(folder, u"Downloads", platform);
    }
    append(folder, kProductFolder, platform);
    append(folder, folderName, platform);
    return folder;
}

std::u16string DefaultDirectoryProvider::getCurrentTimestamp() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y_%m_%d_%H_%M_%S", &local);
    return fl::i18n::to_u16string(std::string_view(text, length));
}

std::u16string DefaultDirectoryProvider::getUserAppDataDirectory() const {
    return UserFolders::dataHome().u16string();
}

bool DefaultDirectoryProvider::isApplicationPrevInstalled(const std::u16string& registryKeyRoot,
                                                          const std::u16string& registryKeySubRoot,
                                                          const std::u16string& registryKey) const {
    const auto key = installationKey(registryKeyRoot, registryKeySubRoot, registryKey);
    if (!key) return false;
    const auto recorded =
        install::registry::RegistryStore(registryRoot_).read(*key, kInstallationFolderValue);
    return recorded && !recorded->empty();
}

void DefaultDirectoryProvider::recordApplicationInstallation(const std::u16string& registryKeyRoot,
                                                             const std::u16string& registryKeySubRoot,
                                                             const std::u16string& registryKey,
                                                             const std::u16string& installationFolder) const {
    const auto key = installationKey(registryKeyRoot, registryKeySubRoot, registryKey);
    if (!key) {
        throw std::filesystem::filesystem_error("no registry entry for an empty key", registryRoot_,
                                                std::make_error_code(std::errc::invalid_argument));
    }
    install::registry::RegistryStore(registryRoot_)
        .write(*key, kInstallationFolderValue,
               installationFolder.empty() ? std::nullopt : std::optional<std::u16string>(installationFolder));
}

}  // namespace install::platformutil
