#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "FileDescriptor.h"

namespace install::enczip {

// A folder held open by descriptor, and every path below it resolved from that descriptor so
// that nothing reached through it lies outside: symbolic links on the way are followed only as
// long as they stay inside, whatever earlier writes left there. The kernel resolves paths
// without links in one call (openat2, RESOLVE_BENEATH) where it can; otherwise, and whenever a
// link is on the way, the path is walked one part at a time without following any link blindly.
class ConfinedFolder {
public:
    enum class Resolution { KernelFirst, WalkOnly };

    // A folder below the root: its descriptor and its path from the root through no link
    // ("" for the root itself).
    struct Folder {
        FileDescriptor descriptor;
        std::string path;
    };

    // Opens the folder, creating it and its parents when missing. Throws filesystem_error.
    explicit ConfinedFolder(const std::filesystem::path& folder,
                            Resolution resolution = Resolution::KernelFirst);

    int descriptor() const { return root_.get(); }
    const std::filesystem::path& path() const { return path_; }

    // The folder at `relative` ('/'-separated). Missing folders are made when `created` is
    // given, and their paths appended to it. Throws UnsafeArchiveEntryError naming `subject`
    // when the way leads outside, filesystem_error when a part is missing or not a folder.
    Folder folder(const std::string& relative, const std::string& subject,
                  std::vector<std::string>* created = nullptr) const;

    // Whether the symbolic link at `linkPath` (from the root through no link) leads inside,
    // now and after any later write that only adds folders: missing parts count as folders.
    bool linkStaysInside(const std::string& linkPath) const;

private:
    enum class Missing { Create, Fail, AssumeFolder };

    // Nothing when the way leads outside the root or through too many links.
    std::optional<Folder> walk(const std::string& relative, Missing missing,
                               std::vector<std::string>* created) const;

    std::filesystem::path path_;
    FileDescriptor root_;
    bool kernelFirst_;
};

}  // namespace install::enczip
