#include "TreeRemoval.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace install::engine {

bool removeTree(int folder, const std::string& name) {
    if (::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT) return true;
    if (errno != EISDIR && errno != EPERM) return false;
    const int inner = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (inner < 0) return false;
    DIR* listing = ::fdopendir(inner);
    if (listing == nullptr) {
        ::close(inner);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    bool removed = true;
    for (const std::string& inside : names) removed = removeTree(::dirfd(listing), inside) && removed;
    ::closedir(listing);
    return removed && ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0;
}

}  // namespace install::engine
