#include "DestinationGuard.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "PosixError.h"
#include "install/enczip/ExtractErrors.h"

namespace fs = std::filesystem;

namespace install::enczip {

DestinationGuard::DestinationGuard(const fs::path& destination) {
    fs::create_directories(destination);
    root_ = fs::canonical(destination);
}

fs::path DestinationGuard::relativePath(const std::string& name, const std::string& entryName,
                                        std::string_view role) const {
    const std::string subject = role.empty() ? std::string("name") : std::string(role);
    if (name.empty()) throw UnsafeArchiveEntryError(entryName, "empty " + subject);
    if (name.front() == '/') throw UnsafeArchiveEntryError(entryName, "absolute path in " + subject);
    fs::path relative;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        const std::string_view part(name.data() + start, end - start);
        if (part == "..") throw UnsafeArchiveEntryError(entryName, "\"..\" in " + subject);
        if (!part.empty() && part != ".") relative /= fs::path(std::string(part));
        start = end + 1;
    }
    return relative;
}

fs::path DestinationGuard::ensureDirectory(const fs::path& relative, const std::string& entryName) {
    if (relative.empty()) return root_;
    if (auto known = verified_.find(relative.native()); known != verified_.end()) return known->second;

    const fs::path parent = ensureDirectory(relative.parent_path(), entryName);
    fs::path real = parent / relative.filename();
    struct stat status {};
    while (::lstat(real.c_str(), &status) != 0) {
        if (errno != ENOENT) throwFileSystemError("Cannot inspect folder", real, errno);
        if (::mkdir(real.c_str(), 0755) != 0 && errno != EEXIST) {
            throwFileSystemError("Cannot create folder", real, errno);
        }
    }
    if (S_ISLNK(status.st_mode)) {
        std::error_code error;
        const fs::path target = fs::canonical(real, error);
        if (error || !isInside(target)) {
            throw UnsafeArchiveEntryError(entryName,
                                          "path leads through a symbolic link outside the destination (" +
                                              relative.generic_string() + ")");
        }
        if (!fs::is_directory(target)) {
            throwFileSystemError("Not a folder", real, ENOTDIR);
        }
        real = target;
    } else if (!S_ISDIR(status.st_mode)) {
        throwFileSystemError("Not a folder", real, ENOTDIR);
    }
    verified_.emplace(relative.native(), real);
    return real;
}

void DestinationGuard::checkLinkTarget(const fs::path& realParent, const std::string& target,
                                       const std::string& entryName) const {
    if (target.empty()) throw UnsafeArchiveEntryError(entryName, "symbolic link without a target");
    if (target.front() == '/') {
        throw UnsafeArchiveEntryError(entryName, "symbolic link to the absolute path " + target);
    }
    if (!isInside((realParent / target).lexically_normal())) {
        throw UnsafeArchiveEntryError(entryName, "symbolic link points outside the destination: " + target);
    }
}

void DestinationGuard::forgetDirectory(const fs::path& relative) {
    if (verified_.erase(relative.native()) == 0) return;
    const std::string prefix = relative.native() + '/';
    std::erase_if(verified_, [&prefix](const auto& known) { return known.first.starts_with(prefix); });
}

bool DestinationGuard::isInside(const fs::path& absolute) const {
    return std::mismatch(root_.begin(), root_.end(), absolute.begin(), absolute.end()).first == root_.end();
}

}  // namespace install::enczip
