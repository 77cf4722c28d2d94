#include "FolderSnapshot.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace velora::installer::test {

namespace {

EntryState stateOf(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        throw std::system_error(errno, std::generic_category(), "lstat " + path.string());
    EntryState state;
    state.kind = S_ISDIR(status.st_mode)   ? 'd'
                 : S_ISREG(status.st_mode) ? 'f'
                 : S_ISLNK(status.st_mode) ? 'l'
                                           : '?';
    // A folder's size depends on the file system's bookkeeping, not on what it holds.
    state.size = state.kind == 'd' ? 0 : static_cast<std::uint64_t>(status.st_size);
    state.modifiedNanoseconds =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    state.permissions = status.st_mode & 07777;
    return state;
}

}  // namespace

FolderSnapshot FolderSnapshot::take(const std::filesystem::path& folder) {
    FolderSnapshot snapshot;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        snapshot.entries_[entry.path().lexically_relative(folder).string()] = stateOf(entry.path());
    }
    return snapshot;
}

std::ostream& operator<<(std::ostream& out, const FolderSnapshot& snapshot) {
    for (const auto& [path, state] : snapshot.entries()) {
        out << '\n'
            << state.kind << ' ' << std::oct << state.permissions << std::dec << ' ' << state.size << ' '
            << state.modifiedNanoseconds << ' ' << path;
    }
    return out;
}

}  // namespace velora::installer::test
