#include "ConfinedFolder.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "PosixError.h"
#include "install/enczip/ExtractErrors.h"

namespace install::enczip {
namespace {

// The kernel's own limit on links followed in one lookup.
constexpr int kMostLinks = 40;

// The parts of a '/'-separated path, leaving out empty ones and ".".
std::vector<std::string> partsOf(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start && path.compare(start, end - start, ".") != 0)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string path;
    for (const std::string& part : parts) path += (path.empty() ? "" : "/") + part;
    return path;
}

std::optional<std::string> linkTarget(int folder, const std::string& name) {
    std::string target(4096, '\0');
    const ssize_t length = ::readlinkat(folder, name.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    target.resize(static_cast<std::size_t>(length));
    return target;
}

int openFolderBeneath(int root, const std::string& relative) {
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(
        ::syscall(SYS_openat2, root, relative.empty() ? "." : relative.c_str(), &how, sizeof how));
}

}  // namespace

ConfinedFolder::ConfinedFolder(const std::filesystem::path& folder, Resolution resolution)
    : path_(folder), kernelFirst_(resolution == Resolution::KernelFirst) {
    std::filesystem::create_directories(folder);
    root_ = FileDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root_.valid()) throwFileSystemError("Cannot open folder", folder, errno);
}

ConfinedFolder::Folder ConfinedFolder::folder(const std::string& relative, const std::string& subject,
                                              std::vector<std::string>* created) const {
    if (kernelFirst_) {
        // Without links on the way the path through no link is the path itself, once ".." is
        // taken back.
        const int found = openFolderBeneath(root_.get(), relative);
        if (found >= 0) {
            std::vector<std::string> parts;
            for (std::string& part : partsOf(relative)) {
                if (part != "..") {
                    parts.push_back(std::move(part));
                } else if (!parts.empty()) {
                    parts.pop_back();
                }
            }
            return {FileDescriptor(found), joined(parts)};
        }
    }
    std::optional<Folder> found = walk(relative, created ? Missing::Create : Missing::Fail, created);
    if (!found) {
        throw UnsafeArchiveEntryError(
            subject, "path leads through a symbolic link outside the destination (" + relative + ")");
    }
    return std::move(*found);
}

bool ConfinedFolder::linkStaysInside(const std::string& linkPath) const {
    const std::size_t slash = linkPath.rfind('/');
    const std::string parent = slash == std::string::npos ? "" : linkPath.substr(0, slash);
    const std::optional<Folder> folder = walk(parent, Missing::Fail, nullptr);
    if (!folder) return false;
    const std::optional<std::string> target =
        linkTarget(folder->descriptor.get(), linkPath.substr(slash == std::string::npos ? 0 : slash + 1));
    if (!target || target->empty() || target->front() == '/') return false;
    return walk(folder->path + "/" + *target, Missing::AssumeFolder, nullptr).has_value();
}

std::optional<ConfinedFolder::Folder> ConfinedFolder::walk(const std::string& relative, Missing missing,
                                                           std::vector<std::string>* created) const {
    std::vector<std::string> pending = partsOf(relative);
    std::reverse(pending.begin(), pending.end());
    // One descriptor per part of the way so far; an invalid one stands for a folder assumed.
    std::vector<FileDescriptor> way;
    std::vector<std::string> names;
    int links = 0;
    while (!pending.empty()) {
        const std::string part = std::move(pending.back());
        pending.pop_back();
        if (part == "..") {
            if (names.empty()) return std::nullopt;
            names.pop_back();
            way.pop_back();
            continue;
        }
        const int here = way.empty() ? root_.get() : way.back().get();
        if (here < 0) {
            way.emplace_back();
            names.push_back(part);
            continue;
        }
        const int next = ::openat(here, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next >= 0) {
            way.emplace_back(next);
            names.push_back(part);
            continue;
        }
        const int error = errno;
        const std::filesystem::path shown = path_ / joined(names) / part;
        if (error == ENOENT && missing == Missing::Create) {
            if (::mkdirat(here, part.c_str(), 0755) == 0) {
                created->push_back(joined(names) + (names.empty() ? "" : "/") + part);
            } else if (errno != EEXIST) {
                throwFileSystemError("Cannot create folder", shown, errno);
            }
            pending.push_back(part);
            continue;
        }
        if (error == ELOOP || error == ENOTDIR) {
            if (const std::optional<std::string> target = linkTarget(here, part)) {
                if (target->empty() || target->front() == '/' || ++links > kMostLinks) return std::nullopt;
                std::vector<std::string> through = partsOf(*target);
                pending.insert(pending.end(), through.rbegin(), through.rend());
                continue;
            }
        }
        if ((error == ENOENT || error == ENOTDIR) && missing == Missing::AssumeFolder) {
            way.emplace_back();
            names.push_back(part);
            continue;
        }
        throwFileSystemError(error == ENOTDIR || error == ELOOP ? "Not a folder" : "Cannot open folder",
                             shown, error == ELOOP ? ENOTDIR : error);
    }
    if (!way.empty() && !way.back().valid()) return Folder{FileDescriptor(), joined(names)};
    FileDescriptor descriptor =
        way.empty() ? FileDescriptor::reopenFolder(root_.get()) : std::move(way.back());
    if (!descriptor.valid()) throwFileSystemError("Cannot open folder", path_, errno);
    return Folder{std::move(descriptor), joined(names)};
}

}  // namespace install::enczip
