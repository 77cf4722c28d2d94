#include "MountTable.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

namespace install::validatefolder {
namespace {

// mountinfo writes blanks, tabs, line feeds and backslashes in paths as three octal digits.
std::string unescape(const std::string& field) {
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool escaped =
            field[i] == '\\' && i + 3 < field.size() && field.find_first_not_of("01234567", i + 1) >= i + 4;
        if (escaped) {
            path += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            path += field[i];
        }
    }
    return path;
}

// Without a mount table, a folder on another device than its parent is a mount point.
bool differsFromParent(const std::filesystem::path& folder) {
    struct stat own {};
    struct stat parent {};
    if (::stat(folder.c_str(), &own) != 0 || ::stat(folder.parent_path().c_str(), &parent) != 0) return false;
    return own.st_dev != parent.st_dev;
}

}  // namespace

MountTable MountTable::current() {
    MountTable table;
    std::ifstream file("/proc/self/mountinfo");
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (fields >> id >> parent >> device >> root >> mountPoint) {
            table.mountPoints_.insert(std::filesystem::path(unescape(mountPoint)));
            table.known_ = true;
        }
    }
    return table;
}

bool MountTable::isMountPoint(const std::filesystem::path& canonicalFolder) const {
    if (canonicalFolder == canonicalFolder.root_path()) return true;
    if (!known_) return differsFromParent(canonicalFolder);
    return mountPoints_.count(canonicalFolder) > 0;
}

}  // namespace install::validatefolder
