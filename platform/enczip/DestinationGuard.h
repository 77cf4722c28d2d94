#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

namespace install::enczip {

// Keeps every write of one extraction inside the destination folder. Entry names are checked
// as text; folders on the way are checked on disk, because an earlier entry may have made one
// of them a symbolic link.
class DestinationGuard {
public:
    // Creates the destination when missing and remembers its real location.
    explicit DestinationGuard(const std::filesystem::path& destination);

    const std::filesystem::path& root() const { return root_; }

    // The name as a path relative to the destination (empty for the destination itself).
    // Throws UnsafeArchiveEntryError, naming entryName, for an absolute name or one with "..".
    // role says which name of the entry is checked, for the message ("" for the entry's own).
    std::filesystem::path relativePath(const std::string& name, const std::string& entryName,
                                       std::string_view role = {}) const;

    // The real folder for a relative folder path, creating what is missing. Throws
    // UnsafeArchiveEntryError when an existing part of the way leads outside the destination.
    std::filesystem::path ensureDirectory(const std::filesystem::path& relative,
                                          const std::string& entryName);

    // Throws UnsafeArchiveEntryError unless a symbolic link in realParent with this target
    // stays inside the destination.
    void checkLinkTarget(const std::filesystem::path& realParent, const std::string& target,
                         const std::string& entryName) const;

    // Something other than a folder now stands at relative: forget what was known of the way
    // through it.
    void forgetDirectory(const std::filesystem::path& relative);

    bool isInside(const std::filesystem::path& absolute) const;

private:
    std::filesystem::path root_;
    // Relative folder path -> its real location, each checked once.
    std::unordered_map<std::string, std::filesystem::path> verified_;
};

}  // namespace install::enczip
