#pragma once

#include <filesystem>
#include <string>

#include "foundation/ComponentExport.h"
#include "install/platformutil/Platform.h"

namespace install::platformutil {

// Where things go by default: installation, download and application-data folders, and the
// record of earlier installations. Installations are recorded machine-wide, in the registry on
// Windows and on Linux in the registry file store every installer of the machine shares (see
// install/registry/RegistryReader.h), as the value "InstallationFolder" of the key
// "<key root>\<key>\<key sub-root>". Paths for this platform follow its conventions (XDG
// variables, $HOME); paths asked for another platform use that platform's conventional form
// and separator.
class COMPONENT_API DefaultDirectoryProvider {
public:
    static constexpr const char16_t* kInstallationFolderValue = u"InstallationFolder";
    // The registry key of an installation record as the registry store names it; empty for an
    // empty key, which names no product.
    static std::u16string installationRecordKey(const std::u16string& registryKeyRoot,
                                                const std::u16string& registryKeySubRoot,
                                                const std::u16string& registryKey);

    // Over the registry of this machine.
    DefaultDirectoryProvider();
    // Over the registry file store under another root.
    explicit DefaultDirectoryProvider(std::filesystem::path registryRoot);
    virtual ~DefaultDirectoryProvider();

    // The recorded folder of an earlier installation under the registry key, unless
    // `ignorePreviousInstallation` is set or none is recorded; otherwise the platform's
    // installation folder followed by the relative path (the product family when the path is
    // empty) and the release family, each only when non-empty.
    virtual std::u16string getDefaultInstallationDirectory(const std::filesystem::path& relativePath,
                                                           const std::u16string& releaseFamily,
                                                           Platform platform, bool ignorePreviousInstallation,
                                                           const std::u16string& productFamily,
                                                           const std::u16string& registryKeySubRoot,
                                                           const std::u16string& registryKeyRoot,
                                                           const std::u16string& registryKey) const;

    // Where applications are installed: "/usr/local" for the superuser and "$HOME/.local/opt"
    // otherwise on Linux, "C:\Program Files" on Windows, "/Applications" on macOS.
    virtual std::u16string getPlatformInstallationDirectory(Platform platform) const;

    // The user's download folder ($XDG_DOWNLOAD_DIR, else $HOME/Downloads), then "Velora", then
    // the folder name.
    virtual std::u16string getDefaultDownloadDirectory(const std::u16string& folderName,
                                                       Platform platform) const;

    // Local time as "YYYY_MM_DD_HH_MM_SS": usable as a folder name on every platform.
    virtual std::u16string getCurrentTimestamp() const;

    // The folder under which applications keep the user's data ($XDG_DATA_HOME, else
    // $HOME/.local/share); nothing may be installed inside it.
    virtual std::u16string getUserAppDataDirectory() const;

    // Whether an installation is recorded under the key; the folder it names is not examined.
    virtual bool isApplicationPrevInstalled(const std::u16string& registryKeyRoot,
                                            const std::u16string& registryKeySubRoot,
                                            const std::u16string& registryKey) const;

    // Records (or, with an empty folder, forgets) the installation folder under the key; the
    // registration after an installation calls it. Throws std::filesystem::filesystem_error for
    // an empty key or a registry that cannot be written, std::runtime_error for one that cannot
    // be read.
    virtual void recordApplicationInstallation(const std::u16string& registryKeyRoot,
                                               const std::u16string& registryKeySubRoot,
                                               const std::u16string& registryKey,
                                               const std::u16string& installationFolder) const;

private:
    std::filesystem::path registryRoot_;
};

}  // namespace install::platformutil
