#include "ProductMover.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "RelativePath.h"
#include "TemporaryName.h"
#include "install/enczip/ExtractErrors.h"

namespace install::engine {
namespace {

using enczip::ConfinedFolder;
using enczip::FileDescriptor;

std::string below(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return name.empty() ? folder : folder + "/" + name;
}

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::system_error(errno, std::generic_category(), what + " " + path);
}

bool reserved(const std::string& name) {
    return name == InstallationManifest::kFileName || name == InstallationManifest::kFileListName ||
           name.starts_with(InstallationManifest::kStagingPrefix);
}

std::vector<std::string> stagedNamesIn(int folder) {
    auto names = namesIn(folder);
    if (!names) fail("Cannot list a staged folder", "");
    return std::move(*names);
}

}  // namespace

ProductMover::ProductMover(const ConfinedFolder& destination, StagingArea& staging)
    : destination_(destination), staging_(staging) {}

void ProductMover::move(const std::filesystem::path& stagedFolder,
                        const std::vector<enczip::PlacedEntry>& staged, InstalledProductEntry& product) {
    folders_.clear();
    movedWhole_.clear();
    const FileDescriptor root(::open(stagedFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!root.valid()) fail("Cannot open", stagedFolder.string());
    moveFolder(root.get(), "", destination_.folder("", ""));
    for (const enczip::PlacedEntry& entry : staged) {
        const auto [path, created] = placedPath(entry.path);
        if (entry.kind == enczip::PlacedEntry::Kind::File) {
            product.files.push_back({path, entry.size, entry.sha256});
        } else if (entry.kind == enczip::PlacedEntry::Kind::SymbolicLink) {
            product.links.push_back({path, entry.linkTarget});
        } else if (created) {
            product.folders.push_back(path);
        }
    }
}

void ProductMover::placeFile(const std::string& name, const std::string& content) {
    const std::string temporary = enczip::temporaryName(".record-");
    struct stat status {};
    {
        const FileDescriptor file(::openat(staging_.descriptor(), temporary.c_str(),
                                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!file.valid() ||
            ::write(file.get(), content.data(), content.size()) != static_cast<ssize_t>(content.size()) ||
            ::fsync(file.get()) != 0 || ::fstat(file.get(), &status) != 0)
            fail("Cannot write", name);
    }
    const ConfinedFolder::Folder top = destination_.folder("", name);
    moveEntry(staging_.descriptor(), temporary, status, top, name);
}

void ProductMover::moveFolder(int staged, const std::string& stagedPath,
                              const ConfinedFolder::Folder& target) {
    folders_[stagedPath] = target.path;
    for (const std::string& name : stagedNamesIn(staged)) {
        if (stagedPath.empty() && reserved(name))
            throw enczip::UnsafeArchiveEntryError(name, "the name is kept for the installation's own files");
        struct stat status {};
        if (::fstatat(staged, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) fail("Cannot inspect", name);
        const std::string inner = below(stagedPath, name);
        struct stat existing {};
        if (S_ISDIR(status.st_mode) &&
            ::fstatat(target.descriptor.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
            (S_ISDIR(existing.st_mode) || S_ISLNK(existing.st_mode))) {
            std::optional<ConfinedFolder::Folder> merged;
            try {
                // A link to a folder inside is followed; one leading out stops the run.
                merged.emplace(destination_.folder(below(target.path, name), below(target.path, name)));
            } catch (const std::filesystem::filesystem_error&) {
                if (S_ISDIR(existing.st_mode)) throw;  // a link to no folder is replaced below
            }
            if (merged) {
                const FileDescriptor stagedInner(
                    ::openat(staged, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
                // Its entries move out of it, so it must be writable, whatever the archive said.
                if (!stagedInner.valid() || ::fchmod(stagedInner.get(), status.st_mode | S_IRWXU) != 0)
                    fail("Cannot open", inner);
                moveFolder(stagedInner.get(), inner, *merged);
                continue;
            }
        }
        moveEntry(staged, name, status, target, name);
        if (S_ISDIR(status.st_mode)) {
            movedWhole_.insert(inner);
            folders_[inner] = below(target.path, name);
        }
    }
}

void ProductMover::moveEntry(int staged, const std::string& stagedName, const struct stat& status,
                             const ConfinedFolder::Folder& target, const std::string& name) {
    touch(target);
    const std::string path = below(target.path, name);
    struct stat existing {};
    if (::fstatat(target.descriptor.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        const std::string aside = enczip::temporaryName("");
        staging_.journal().keptAside(path, aside);
        // A file or link stays under its name until the new one is renamed over it; a folder,
        // or anything replaced by one, has to make room first.
        const bool linked = !S_ISDIR(status.st_mode) && !S_ISDIR(existing.st_mode) &&
                            ::linkat(target.descriptor.get(), name.c_str(), staging_.asideDescriptor(),
                                     aside.c_str(), 0) == 0;
        if (!linked &&
            ::renameat(target.descriptor.get(), name.c_str(), staging_.asideDescriptor(), aside.c_str()) != 0)
            fail("Cannot keep aside", path);
    }
    staging_.journal().placed(path, status);
    if (::renameat(staged, stagedName.c_str(), target.descriptor.get(), name.c_str()) != 0)
        fail("Cannot place", path);
}

void ProductMover::touch(const ConfinedFolder::Folder& target) {
    if (touched_.count(target.path) > 0) return;
    struct stat status {};
    if (::fstat(target.descriptor.get(), &status) != 0) fail("Cannot inspect", target.path);
    staging_.journal().folderTouched(target.path, status.st_mtim);
    touched_.insert(target.path);
}

std::pair<std::string, bool> ProductMover::placedPath(const std::string& stagedPath) const {
    for (std::string prefix = stagedPath;; prefix = parentOf(prefix)) {
        const auto found = folders_.find(prefix);
        if (found == folders_.end()) {
            if (prefix.empty()) return {stagedPath, false};
            continue;
        }
        std::string rest = stagedPath.substr(prefix.size());
        if (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
        return {below(found->second, rest), movedWhole_.count(prefix) > 0};
    }
}

}  // namespace install::engine
