#include "RelativePath.h"

#include <dirent.h>

#include <cstring>

#include "FileDescriptor.h"

namespace install::engine {

std::optional<std::vector<std::string>> namesIn(int folder, std::size_t limit) {
    // A listing of its own, so the descriptor's position stays where it was.
    const int listed = enczip::FileDescriptor::reopenFolder(folder).release();
    DIR* listing = listed < 0 ? nullptr : ::fdopendir(listed);
    if (listing == nullptr) return std::nullopt;
    std::vector<std::string> names;
    while (names.size() < limit) {
        const dirent* entry = ::readdir(listing);
        if (entry == nullptr) break;
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    return names;
}

}  // namespace install::engine
