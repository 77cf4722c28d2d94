#pragma once

#include <filesystem>
#include <set>

namespace install::validatefolder {

// The mount points of this process's view of the file system (/proc/self/mountinfo).
class MountTable {
public:
    static MountTable current();

    bool isMountPoint(const std::filesystem::path& canonicalFolder) const;

private:
    std::set<std::filesystem::path> mountPoints_;
    bool known_ = false;
};

}  // namespace install::validatefolder
