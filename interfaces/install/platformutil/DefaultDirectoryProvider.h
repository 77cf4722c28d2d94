#pragma once

#include <filesystem>
#include <string>

#include "foundation/ComponentExport.h"
#include "install/platformutil/Platform.h"

namespace install::platformutil {

// Where things go by default: installation, download and application-data folders, and the
// record of earlier installations (the registry on Windows; on Linux a small file store under
// the user's configuration folder, "<config>/velora-installer/registry", that mirrors its keys).
// Paths for this platform follow its conventions (XDG variables, $HOME); paths asked for
// another platform use that platform's conventional form and separator.
class COMPONENT_API DefaultDirectoryProvider {
public:
    DefaultDirectoryProvider();
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
    // registration after an installation calls it. Throws std::filesystem::filesystem_error.
    virtual void recordApplicationInstallation(const std::u16string& registryKeyRoot,
                                               const std::u16string& registryKeySubRoot,
                                               const std::u16string& registryKey,
                                               const std::u16string& installationFolder) const;
};

}  // namespace install::platformutil
