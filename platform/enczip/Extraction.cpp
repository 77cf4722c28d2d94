#include "Extraction.h"

#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "PosixError.h"
#include "TemporaryFile.h"
#include "install/enczip/ExtractErrors.h"

namespace fs = std::filesystem;

namespace install::enczip {
namespace {

std::optional<timespec> modificationTime(archive_entry* entry) {
    if (!archive_entry_mtime_is_set(entry)) return std::nullopt;
    return timespec{archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)};
}

std::string entryName(archive_entry* entry) {
    const char* name = archive_entry_pathname(entry);
    return name ? std::string(name) : std::string();
}

}  // namespace

Extraction::Extraction(const std::string& archive, const std::string& destination,
                       const ExtractOptions& options)
    : reader_(archive, options.passphrase), guard_(destination), options_(options) {}

void Extraction::run() {
    while (archive_entry* entry = reader_.nextEntry()) {
        const std::string name = entryName(entry);
        progress_.entryName = name;
        progress_.entrySize =
            archive_entry_size_is_set(entry) ? static_cast<std::uint64_t>(archive_entry_size(entry)) : 0;
        progress_.entryBytesWritten = 0;
        progress_.entryComplete = false;
        placeEntry(entry, name);
        progress_.entryComplete = true;
        reportProgress();
        ++progress_.entriesCompleted;
    }
    verifyLinks();
    settleDirectories();
}

void Extraction::placeEntry(archive_entry* entry, const std::string& name) {
    const fs::path relative = guard_.relativePath(name, name);
    if (archive_entry_hardlink(entry) != nullptr) return placeHardLink(entry, relative, name);
    switch (archive_entry_filetype(entry)) {
        case AE_IFDIR:
            return placeDirectory(entry, relative, name);
        case AE_IFREG:
            return placeFile(entry, relative, name);
        case AE_IFLNK:
            return placeSymbolicLink(entry, relative, name);
        default:
            // Device nodes, pipes and sockets have no place in a product installation.
            throw std::runtime_error("Unsupported kind of archive entry \"" + name + "\"");
    }
}

void Extraction::placeDirectory(archive_entry* entry, const fs::path& relative, const std::string& name) {
    if (relative.empty()) return;
    const fs::path real = guard_.ensureDirectory(relative, name);
    // Permissions and times are applied at the end: a read-only folder must still take its
    // content, and writing that content changes the folder's time.
    directories_.push_back({real, static_cast<mode_t>(archive_entry_perm(entry) & 01777),
                            modificationTime(entry),
                            static_cast<std::size_t>(std::distance(relative.begin(), relative.end()))});
}

void Extraction::placeFile(archive_entry* entry, const fs::path& relative, const std::string& name) {
    if (relative.empty()) throw UnsafeArchiveEntryError(name, "a file cannot replace the destination folder");
    const fs::path parent = guard_.ensureDirectory(relative.parent_path(), name);
    TemporaryFile file(parent, names_);
    ArchiveReader::Block block;
    std::uint64_t end = 0;
    while (reader_.nextBlock(block, name)) {
        file.writeAt(block.offset, block.data, block.size);
        end = std::max(end, static_cast<std::uint64_t>(block.offset) + block.size);
        progress_.entryBytesWritten += block.size;
        progress_.totalBytesWritten += block.size;
        reportProgress();
    }
    const std::uint64_t length = std::max(end, progress_.entrySize);
    file.finish(length, static_cast<mode_t>(archive_entry_perm(entry) & 0777), modificationTime(entry));
    guard_.forgetDirectory(relative);
    file.commitAs(parent / relative.filename());
}

void Extraction::placeSymbolicLink(archive_entry* entry, const fs::path& relative, const std::string& name) {
    if (relative.empty()) throw UnsafeArchiveEntryError(name, "a link cannot replace the destination folder");
    const char* rawTarget = archive_entry_symlink(entry);
    const std::string target = rawTarget ? rawTarget : "";
    const fs::path parent = guard_.ensureDirectory(relative.parent_path(), name);
    guard_.checkLinkTarget(parent, target, name);
    fs::path temporary = names_.next(parent);
    while (::symlink(target.c_str(), temporary.c_str()) != 0) {
        if (errno != EEXIST) throwFileSystemError("Cannot create symbolic link", temporary, errno);
        temporary = names_.next(parent);
    }
    const fs::path finalPath = parent / relative.filename();
    moveIntoPlace(temporary, relative, finalPath);
    links_.push_back({finalPath, name});
}

void Extraction::placeHardLink(archive_entry* entry, const fs::path& relative, const std::string& name) {
    if (relative.empty()) throw UnsafeArchiveEntryError(name, "a link cannot replace the destination folder");
    const fs::path targetRelative =
        guard_.relativePath(archive_entry_hardlink(entry), name, "hard link target");
    if (targetRelative.empty()) throw UnsafeArchiveEntryError(name, "hard link to the destination folder");
    const fs::path target =
        guard_.ensureDirectory(targetRelative.parent_path(), name) / targetRelative.filename();
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0)
        throwFileSystemError("Cannot find hard link target", target, errno);
    if (S_ISDIR(status.st_mode)) throw UnsafeArchiveEntryError(name, "hard link to a folder");

    const fs::path parent = guard_.ensureDirectory(relative.parent_path(), name);
    fs::path temporary = names_.next(parent);
    // Flags 0: a target that is itself a symbolic link is linked, not followed.
    while (::linkat(AT_FDCWD, target.c_str(), AT_FDCWD, temporary.c_str(), 0) != 0) {
        if (errno != EEXIST) throwFileSystemError("Cannot create hard link", temporary, errno);
        temporary = names_.next(parent);
    }
    moveIntoPlace(temporary, relative, parent / relative.filename());
}

void Extraction::moveIntoPlace(const fs::path& temporary, const fs::path& relative,
                               const fs::path& finalPath) {
    if (::rename(temporary.c_str(), finalPath.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throwFileSystemError("Cannot place entry", finalPath, error);
    }
    guard_.forgetDirectory(relative);
}

void Extraction::reportProgress() {
    if (options_.onProgress && !options_.onProgress(progress_))
        throw ExtractionInterruptedError(progress_.entryName);
}

void Extraction::verifyLinks() const {
    // Each link was checked when it was made, but a link made later can change where an
    // earlier one leads (a target through another link followed by ".."). Only the final
    // state counts.
    for (const PlacedLink& link : links_) {
        std::error_code error;
        const fs::path resolved = fs::weakly_canonical(link.path, error);
        if (!error && !guard_.isInside(resolved)) {
            ::unlink(link.path.c_str());
            throw UnsafeArchiveEntryError(link.entryName, "symbolic link resolves outside the destination");
        }
    }
}

void Extraction::settleDirectories() {
    std::stable_sort(directories_.begin(), directories_.end(),
                     [](const PendingDirectory& a, const PendingDirectory& b) { return a.depth > b.depth; });
    for (const PendingDirectory& directory : directories_) {
        if (::chmod(directory.path.c_str(), directory.permissions) != 0) {
            throwFileSystemError("Cannot set permissions", directory.path, errno);
        }
        if (directory.modified) {
            const timespec times[2] = {{0, UTIME_OMIT}, *directory.modified};
            if (::utimensat(AT_FDCWD, directory.path.c_str(), times, 0) != 0) {
                throwFileSystemError("Cannot set modification time", directory.path, errno);
            }
        }
    }
}

}  // namespace install::enczip
