// The replacement of a runtime by a newer update level: its products set aside in the folder
// until the new level is in place, then dropped, or put back when it failed.
#include "RuntimeReplacement.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <system_error>
#include <vector>

#include "InstallationManifest.h"
#include "ProductRemoval.h"
#include "StagingArea.h"
#include "TreeRemoval.h"

namespace fs = std::filesystem;

namespace install::engine {
namespace {

std::string ownPrefix() {
    return std::string(RuntimeReplacement::kPrefix) + std::to_string(::getpid()) + "-";
}

// The entries of the folder whose names start with `prefix`.
std::vector<std::string> namesStartingWith(const enczip::ConfinedFolder& destination,
                                           const std::string& prefix) {
    const int listed = enczip::FileDescriptor::reopenFolder(destination.descriptor()).release();
    DIR* listing = listed < 0 ? nullptr : ::fdopendir(listed);
    if (listing == nullptr)
        throw std::system_error(errno, std::generic_category(), "cannot list " + destination.path().string());
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        if (std::string_view(entry->d_name).starts_with(prefix)) names.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    return names;
}

bool isDirectory(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder, error);
}

}  // namespace

void RuntimeReplacement::setAside(const fs::path& folder) {
    try {
        ProductRemoval removal(folder);
        // The name carries whether the replaced installation had made its folder, so that the
        // new record says so too and its uninstaller removes the folder as the old one would.
        removal.setAside(ownPrefix() + (removal.manifest().getCreatedFolder() ? kCreatedFolderMark : ""));
    } catch (...) {
        // Kept already when only the last flush to disk failed.
        putBack(folder);
        throw;
    }
}

void RuntimeReplacement::discard(const fs::path& folder) noexcept {
    try {
        if (!isDirectory(folder)) return;
        const enczip::ConfinedFolder destination(folder);
        for (const std::string& name : namesStartingWith(destination, ownPrefix()))
            removeTree(destination.descriptor(), name);
    } catch (const std::exception&) {
        // The next run drops it: an installation is in place.
    }
}

void RuntimeReplacement::putBack(const fs::path& folder) noexcept {
    try {
        if (!isDirectory(folder)) return;
        const enczip::ConfinedFolder destination(folder);
        for (const std::string& name : namesStartingWith(destination, ownPrefix()))
            StagingArea::takeBackKept(destination, name);
    } catch (const std::exception&) {
        // The next run puts it back: no installation took its place.
    }
}

bool RuntimeReplacement::replacedOneThatCreatedItsFolder(const fs::path& folder) {
    try {
        if (!isDirectory(folder)) return false;
        const enczip::ConfinedFolder destination(folder);
        return !namesStartingWith(destination, ownPrefix() + kCreatedFolderMark).empty();
    } catch (const std::exception&) {
        return false;
    }
}

void RuntimeReplacement::settleLeftovers(const enczip::ConfinedFolder& destination) {
    const std::string own = ownPrefix();
    std::vector<std::string> left;
    for (std::string& name : namesStartingWith(destination, kPrefix)) {
        if (!name.starts_with(own)) left.push_back(std::move(name));
    }
    if (left.empty()) return;
    bool replaced = false;
    try {
        replaced = InstallationManifest::readFrom(destination.path()).has_value();
    } catch (const InstallationManifestException&) {
        // An unreadable record decides nothing: what was set aside stays until it can be read.
        return;
    }
    for (const std::string& name : left) {
        if (!replaced) {
            StagingArea::takeBackKept(destination, name);
        } else if (!removeTree(destination.descriptor(), name)) {
            throw std::runtime_error("cannot remove " + (destination.path() / name).string());
        }
    }
}

void RuntimeReplacement::settleLeftovers(const fs::path& folder) {
    if (!isDirectory(folder)) return;
    const enczip::ConfinedFolder destination(folder);
    StagingArea::recoverLeftovers(destination);
    settleLeftovers(destination);
}

}  // namespace install::engine
