#include "DestinationLinks.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "InstallationManifest.h"

namespace install::engine {
namespace {

void scan(const enczip::ConfinedFolder& destination, int folder, const std::string& path,
          std::vector<std::string>& escaping) {
    DIR* listing = ::fdopendir(folder);
    if (listing == nullptr) {
        ::close(folder);
        throw std::system_error(errno, std::generic_category(),
                                "cannot list " + (destination.path() / path).string());
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." ||
            (path.empty() && name.starts_with(InstallationManifest::kStagingPrefix)))
            continue;
        const std::string inner = path.empty() ? name : path + "/" + name;
        unsigned char type = entry->d_type;
        struct stat status {};
        if (type == DT_UNKNOWN &&
            ::fstatat(::dirfd(listing), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
            type = S_ISLNK(status.st_mode) ? DT_LNK : S_ISDIR(status.st_mode) ? DT_DIR : DT_REG;
        if (type == DT_LNK && !destination.linkStaysInside(inner)) escaping.push_back(inner);
        if (type != DT_DIR) continue;
        const int below =
            ::openat(::dirfd(listing), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (below >= 0) scan(destination, below, inner, escaping);
    }
    ::closedir(listing);
}

}  // namespace

std::vector<std::string> DestinationLinks::escaping(const enczip::ConfinedFolder& destination) {
    std::vector<std::string> found;
    const int root = enczip::FileDescriptor::reopenFolder(destination.descriptor()).release();
    if (root < 0)
        throw std::system_error(errno, std::generic_category(), "cannot list " + destination.path().string());
    scan(destination, root, "", found);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace install::engine
