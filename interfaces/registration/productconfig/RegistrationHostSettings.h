#pragma once

#include <filesystem>

#include "foundation/ComponentExport.h"

namespace registration::productconfig {

// Where the desktop session of the host keeps what the registration creates.
struct COMPONENT_API RegistrationHostSettings {
    std::filesystem::path desktopFolder;       // launchers shown on the desktop
    std::filesystem::path applicationsFolder;  // entries of the applications menu

    // VELORA_DESKTOP_FOLDER and VELORA_APPLICATIONS_FOLDER when the installer application names
    // them; otherwise the current user's folders: the desktop named in user-dirs.dirs (else
    // ~/Desktop) and $XDG_DATA_HOME/applications (else ~/.local/share/applications). Never throws; a folder
    // that cannot be determined stays empty and the action needing it fails when run.
    static RegistrationHostSettings fromEnvironment();
};

}  // namespace registration::productconfig
