#include "UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

namespace install::platformutil {
namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

// XDG variables holding a relative path are invalid and must be ignored.
std::optional<std::filesystem::path> absoluteFromEnvironment(const char* name) {
    const std::optional<std::string> value = environment(name);
    if (!value || !std::filesystem::path(*value).is_absolute()) return std::nullopt;
    return std::filesystem::path(*value);
}

std::optional<passwd> passwordEntry(std::vector<char>& buffer) {
    buffer.resize(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &result) != 0 || result == nullptr) {
        return std::nullopt;
    }
    return entry;
}

// A line of user-dirs.dirs reads  XDG_DOWNLOAD_DIR="$HOME/Downloads"
std::optional<std::filesystem::path> downloadsFromUserDirs(const std::filesystem::path& home) {
    std::ifstream file(UserFolders::configHome() / "user-dirs.dirs");
    const std::string prefix = "XDG_DOWNLOAD_DIR=\"";
    for (std::string line; std::getline(file, line);) {
        if (!line.starts_with(prefix) || !line.ends_with('"')) continue;
        std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
        if (value.starts_with("$HOME")) return home / std::filesystem::path(value.substr(5)).relative_path();
        if (std::filesystem::path(value).is_absolute()) return std::filesystem::path(value);
    }
    return std::nullopt;
}

}  // namespace

std::filesystem::path UserFolders::home() {
    if (const auto value = environment("HOME")) return *value;
    std::vector<char> buffer;
    if (const auto entry = passwordEntry(buffer); entry && entry->pw_dir != nullptr) return entry->pw_dir;
    return {};
}

std::string UserFolders::userName() {
    if (const auto value = environment("USER")) return *value;
    std::vector<char> buffer;
    if (const auto entry = passwordEntry(buffer); entry && entry->pw_name != nullptr) return entry->pw_name;
    return {};
}

std::filesystem::path UserFolders::configHome() {
    if (const auto value = absoluteFromEnvironment("XDG_CONFIG_HOME")) return *value;
    const std::filesystem::path folder = home();
    return folder.empty() ? folder : folder / ".config";
}

std::filesystem::path UserFolders::dataHome() {
    if (const auto value = absoluteFromEnvironment("XDG_DATA_HOME")) return *value;
    const std::filesystem::path folder = home();
    return folder.empty() ? folder : folder / ".local" / "share";
}

std::filesystem::path UserFolders::downloads() {
    if (const auto value = absoluteFromEnvironment("XDG_DOWNLOAD_DIR")) return *value;
    const std::filesystem::path folder = home();
    if (folder.empty()) return folder;
    if (const auto configured = downloadsFromUserDirs(folder)) return *configured;
    return folder / "Downloads";
}

}  // namespace install::platformutil
