#include "install/platformutil/PlatformUtility.h"

#include <ctime>
#include <mutex>
#include <optional>
#include <system_error>

namespace install::platformutil {
namespace {

// The host's choice of installation path, set once at start-up and read by every component.
struct InstallationPathSetting {
    std::mutex mutex;
    std::optional<std::filesystem::path> path;
};

InstallationPathSetting& installationPathSetting() {
    static InstallationPathSetting setting;
    return setting;
}

std::filesystem::path executableFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path{} : executable.parent_path();
}

// A name longer than the system allows cannot exist either.
bool isMissing(const std::error_code& error) {
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ||
           error == std::errc::filename_too_long;
}

}  // namespace

std::string PlatformUtility::getPlatformUTCTime() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%F %T", &utc);
    return std::string(text, length);
}

std::filesystem::path PlatformUtility::getInstallationPath() {
    {
        InstallationPathSetting& setting = installationPathSetting();
        std::lock_guard lock(setting.mutex);
        if (setting.path) return *setting.path;
    }
    return executableFolder();
}

void PlatformUtility::setInstallationPath(const std::filesystem::path& path) {
    InstallationPathSetting& setting = installationPathSetting();
    std::lock_guard lock(setting.mutex);
    if (path.empty()) {
        setting.path.reset();
    } else {
        setting.path = path;
    }
}

std::filesystem::path PlatformUtility::getNearestExistingAncestor(const std::filesystem::path& path) {
    std::filesystem::path candidate = std::filesystem::absolute(path).lexically_normal();
    while (true) {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(candidate, error);
        if (std::filesystem::exists(status)) return candidate;
        if (error && !isMissing(error)) {
            throw std::filesystem::filesystem_error("cannot examine path", candidate, error);
        }
        const std::filesystem::path parent = candidate.parent_path();
        if (parent == candidate || parent.empty()) {
            throw std::filesystem::filesystem_error(
                "no part of the path exists", path,
                std::make_error_code(std::errc::no_such_file_or_directory));
        }
        candidate = parent;
    }
}

}  // namespace install::platformutil
