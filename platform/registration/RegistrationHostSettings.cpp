#include "registration/productconfig/RegistrationHostSettings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace registration::productconfig {
namespace {

fs::path variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value == '/' ? fs::path(value) : fs::path();
}

fs::path homeFolder() {
    if (fs::path home = variable("HOME"); !home.empty()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

// The desktop as the user's session names it: XDG_DESKTOP_DIR="$HOME/..." in user-dirs.dirs.
fs::path sessionDesktopFolder(const fs::path& home) {
    fs::path configuration = variable("XDG_CONFIG_HOME");
    if (configuration.empty() && !home.empty()) configuration = home / ".config";
    std::ifstream dirs(configuration / "user-dirs.dirs");
    const std::string key = "XDG_DESKTOP_DIR=";
    for (std::string line; std::getline(dirs, line);) {
        if (!line.starts_with(key)) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME"))
            return home.empty() ? fs::path() : fs::path(home.string() + value.substr(5));
        if (!value.empty() && value.front() == '/') return value;
    }
    return home.empty() ? fs::path() : home / "Desktop";
}

fs::path sessionApplicationsFolder(const fs::path& home) {
    if (fs::path data = variable("XDG_DATA_HOME"); !data.empty()) return data / "applications";
    return home.empty() ? fs::path() : home / ".local" / "share" / "applications";
}

}  // namespace

// An installer application that runs for someone else's session (or a test) names the folders
// outright through VELORA_DESKTOP_FOLDER and VELORA_APPLICATIONS_FOLDER.
RegistrationHostSettings RegistrationHostSettings::fromEnvironment() {
    const fs::path home = homeFolder();
    fs::path desktop = variable("VELORA_DESKTOP_FOLDER");
    fs::path applications = variable("VELORA_APPLICATIONS_FOLDER");
    if (desktop.empty()) desktop = sessionDesktopFolder(home);
    if (applications.empty()) applications = sessionApplicationsFolder(home);
    return {desktop, applications};
}

}  // namespace registration::productconfig
