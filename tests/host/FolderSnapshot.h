#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>

namespace velora::installer::test {

// What a listing with sizes and times shows of one entry of a folder tree.
struct EntryState {
    char kind = '?';  // 'd' folder, 'f' file, 'l' link, '?' anything else
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    unsigned permissions = 0;

    bool operator==(const EntryState&) const = default;
};

// Every entry below a folder, links not followed, keyed by relative path: two snapshots are equal
// when nothing was added, removed, resized, touched or re-permitted. The folder's own time is left
// out, as a listing of it shows: checking that a folder is writable means creating and removing a
// file in it, which changes that time and nothing else.
class FolderSnapshot {
public:
    static FolderSnapshot take(const std::filesystem::path& folder);

    bool operator==(const FolderSnapshot&) const = default;
    const std::map<std::string, EntryState>& entries() const { return entries_; }

private:
    std::map<std::string, EntryState> entries_;
};

std::ostream& operator<<(std::ostream& out, const FolderSnapshot& snapshot);

}  // namespace velora::installer::test
