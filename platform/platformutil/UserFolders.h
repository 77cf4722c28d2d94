#pragma once

#include <filesystem>
#include <string>

namespace install::platformutil {

// The current user's folders by the XDG base-directory and user-directory conventions, falling
// back to the password database when $HOME is not set. Each is empty when it cannot be found.
class UserFolders {
public:
    static std::filesystem::path home();
    static std::string userName();
    static std::filesystem::path configHome();
    static std::filesystem::path dataHome();
    // $XDG_DOWNLOAD_DIR, else the entry of "user-dirs.dirs", else $HOME/Downloads.
    static std::filesystem::path downloads();
};

}  // namespace install::platformutil
