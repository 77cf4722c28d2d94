#include "Extraction.h"

#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "PosixError.h"
#include "TemporaryFile.h"
#include "TemporaryName.h"
#include "install/enczip/ExtractErrors.h"

namespace install::enczip {
namespace {

// The most written between two progress reports, so a cancel is seen within it.
constexpr std::size_t kProgressStep = std::size_t{1} << 20;
// What a default umask of 022 leaves of an archive's modes, setuid and setgid gone as well.
constexpr mode_t kFileModes = 0755;
constexpr mode_t kFolderModes = 01755;

std::optional<timespec> modificationTime(archive_entry* entry) {
    if (!archive_entry_mtime_is_set(entry)) return std::nullopt;
    return timespec{archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)};
}

std::string entryName(archive_entry* entry) {
    const char* name = archive_entry_pathname(entry);
    return name ? std::string(name) : std::string();
}

// The name as a '/'-separated path below the destination; "" for the destination itself.
std::string relativePath(const std::string& name) {
    if (name.empty()) throw UnsafeArchiveEntryError(name, "empty name");
    if (name.front() == '/') throw UnsafeArchiveEntryError(name, "absolute path in name");
    std::string relative;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part == "..") throw UnsafeArchiveEntryError(name, "\"..\" in name");
        if (!part.empty() && part != ".") relative += (relative.empty() ? "" : "/") + part;
        start = end + 1;
    }
    return relative;
}

std::string parentPart(const std::string& relative) {
    const std::size_t slash = relative.rfind('/');
    return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

std::string lastPart(const std::string& relative) { return relative.substr(relative.rfind('/') + 1); }

std::string below(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

}  // namespace

Extraction::Extraction(const std::string& archive, const std::string& destination,
                       const ExtractOptions& options)
    : reader_(archive, options.passphrase), root_(destination), options_(options) {}

std::vector<PlacedEntry> Extraction::run() {
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
    // In the order the files were written: of two files with one name, the later one stands.
    for (auto& [index, digest] : digests_.finish()) {
        if (placed_[index].kind == PlacedEntry::Kind::File) placed_[index].sha256 = std::move(digest);
    }
    verifyLinks();
    settleFolders();
    return std::move(placed_);
}

void Extraction::placeEntry(archive_entry* entry, const std::string& name) {
    const std::string relative = relativePath(name);
    if (archive_entry_hardlink(entry) != nullptr)
        throw UnsafeArchiveEntryError(name, "hard links are refused");
    switch (archive_entry_filetype(entry)) {
        case AE_IFDIR:
            return placeFolder(entry, relative, name);
        case AE_IFREG:
            return placeFile(entry, relative, name);
        case AE_IFLNK:
            return placeLink(entry, relative, name);
        default:
            throw UnsafeArchiveEntryError(name,
                                          "devices, pipes and sockets have no place in an installation");
    }
}

void Extraction::placeFolder(archive_entry* entry, const std::string& relative, const std::string& name) {
    if (relative.empty()) return;
    parent_.reset();
    std::vector<std::string> created;
    const ConfinedFolder::Folder folder = root_.folder(relative, name, &created);
    for (std::string& path : created) remember({PlacedEntry::Kind::Folder, std::move(path), 0, {}, {}});
    // Permissions and times are applied at the end: a read-only folder must still take its
    // content, and writing that content changes the folder's time.
    folders_.push_back({folder.path, static_cast<mode_t>(archive_entry_perm(entry) & kFolderModes),
                        modificationTime(entry),
                        static_cast<std::size_t>(std::count(folder.path.begin(), folder.path.end(), '/'))});
}

void Extraction::placeFile(archive_entry* entry, const std::string& relative, const std::string& name) {
    if (relative.empty()) throw UnsafeArchiveEntryError(name, "a file cannot replace the destination folder");
    const ConfinedFolder::Folder& parent = parentOf(relative, name);
    const std::string fileName = lastPart(relative);
    TemporaryFile file(parent.descriptor.get(), root_.path() / parent.path,
                       options_.privateDestination ? fileName : std::string());
    ArchiveReader::Block block;
    std::uint64_t end = 0;
    while (reader_.nextBlock(block, name)) {
        const auto offset = static_cast<std::uint64_t>(block.offset);
        if (offset < end) throw std::runtime_error("Damaged data of \"" + name + "\": blocks out of order");
        const auto* data = static_cast<const char*>(block.data);
        for (std::size_t done = 0; done < block.size;) {
            const std::size_t size = std::min(block.size - done, kProgressStep);
            file.writeAt(offset + done, data + done, size);
            done += size;
            progress_.entryBytesWritten += size;
            progress_.totalBytesWritten += size;
            reportProgress();
        }
        end = offset + block.size;
    }
    const std::uint64_t length = std::max(end, progress_.entrySize);
    // The digest is taken from what the file holds, holes and all.
    FileDescriptor readBack = file.finish(length, static_cast<mode_t>(archive_entry_perm(entry) & kFileModes),
                                          modificationTime(entry));
    // In a staging folder a late write error can still surface with the digest: the folder goes
    // with the failed run.
    if (!options_.privateDestination) readBack = file.settled(std::move(readBack));
    file.commitAs(fileName);
    const std::string path = below(parent.path, fileName);
    const std::size_t index = remember({PlacedEntry::Kind::File, path, length, {}, {}});
    digests_.add(std::move(readBack), index, root_.path() / path);
}

void Extraction::placeLink(archive_entry* entry, const std::string& relative, const std::string& name) {
    if (relative.empty()) throw UnsafeArchiveEntryError(name, "a link cannot replace the destination folder");
    const char* rawTarget = archive_entry_symlink(entry);
    const std::string target = rawTarget ? rawTarget : "";
    if (target.empty()) throw UnsafeArchiveEntryError(name, "symbolic link without a target");
    if (target.front() == '/')
        throw UnsafeArchiveEntryError(name, "symbolic link to the absolute path " + target);
    const ConfinedFolder::Folder& parent = parentOf(relative, name);
    // Read as text from where the link stands; where it really leads is checked once every
    // entry is in place, since a later link can change it.
    int depth = static_cast<int>(
        parent.path.empty() ? 0 : std::count(parent.path.begin(), parent.path.end(), '/') + 1);
    for (std::size_t start = 0; start <= target.size(); ++start) {
        const std::size_t end = std::min(target.find('/', start), target.size());
        const std::string part = target.substr(start, end - start);
        depth += part == ".." ? -1 : (part.empty() || part == "." ? 0 : 1);
        if (depth < 0)
            throw UnsafeArchiveEntryError(name, "symbolic link points outside the destination: " + target);
        start = end;
    }
    std::string temporary = temporaryName(".enczip-");
    while (::symlinkat(target.c_str(), parent.descriptor.get(), temporary.c_str()) != 0) {
        if (errno != EEXIST)
            throwFileSystemError("Cannot create symbolic link", root_.path() / parent.path / temporary,
                                 errno);
        temporary = temporaryName(".enczip-");
    }
    if (::renameat(parent.descriptor.get(), temporary.c_str(), parent.descriptor.get(),
                   lastPart(relative).c_str()) != 0) {
        const int error = errno;
        ::unlinkat(parent.descriptor.get(), temporary.c_str(), 0);
        throwFileSystemError("Cannot place entry", root_.path() / relative, error);
    }
    remember({PlacedEntry::Kind::SymbolicLink, below(parent.path, lastPart(relative)), 0, {}, target});
    // A link can change where a path leads, and so which folder the next file goes into.
    parent_.reset();
}

const ConfinedFolder::Folder& Extraction::parentOf(const std::string& relative, const std::string& name) {
    // Files of one folder come one after another; a file placed in a folder cannot change where
    // that folder's path leads, so the folder stays open for the next one.
    const std::string parentPath = parentPart(relative);
    if (parent_ && parentKey_ == parentPath) return *parent_;
    parent_.reset();
    std::vector<std::string> created;
    parent_.emplace(root_.folder(parentPath, name, &created));
    parentKey_ = parentPath;
    for (std::string& path : created) remember({PlacedEntry::Kind::Folder, std::move(path), 0, {}, {}});
    return *parent_;
}

std::size_t Extraction::remember(PlacedEntry entry) {
    const auto [known, added] = placedAt_.emplace(entry.path, placed_.size());
    if (added) {
        placed_.push_back(std::move(entry));
    } else {
        placed_[known->second] = std::move(entry);
    }
    return known->second;
}

void Extraction::reportProgress() {
    if (options_.onProgress && !options_.onProgress(progress_))
        throw ExtractionInterruptedError(progress_.entryName);
}

void Extraction::verifyLinks() {
    // Each link was read as text when it was made, but a link made later can change where an
    // earlier one leads (a target through another link followed by ".."). Only the final
    // state counts, and every link that leads out is named.
    std::string escaping;
    std::string first;
    for (const PlacedEntry& entry : placed_) {
        if (entry.kind != PlacedEntry::Kind::SymbolicLink || root_.linkStaysInside(entry.path)) continue;
        const ConfinedFolder::Folder parent = root_.folder(parentPart(entry.path), entry.path);
        ::unlinkat(parent.descriptor.get(), lastPart(entry.path).c_str(), 0);
        escaping += (escaping.empty() ? "" : ", ") + entry.path;
        if (first.empty()) first = entry.path;
    }
    if (!first.empty())
        throw UnsafeArchiveEntryError(first, "symbolic links lead outside the destination: " + escaping);
}

void Extraction::settleFolders() {
    std::stable_sort(folders_.begin(), folders_.end(),
                     [](const PendingFolder& a, const PendingFolder& b) { return a.depth > b.depth; });
    for (const PendingFolder& pending : folders_) {
        const ConfinedFolder::Folder folder = root_.folder(pending.path, pending.path);
        if (::fchmod(folder.descriptor.get(), pending.permissions) != 0)
            throwFileSystemError("Cannot set permissions", root_.path() / pending.path, errno);
        if (pending.modified) {
            const timespec times[2] = {{0, UTIME_OMIT}, *pending.modified};
            if (::futimens(folder.descriptor.get(), times) != 0)
                throwFileSystemError("Cannot set modification time", root_.path() / pending.path, errno);
        }
    }
}

}  // namespace install::enczip
