#include "StagingArea.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <system_error>
#include <vector>

#include "InstallationManifest.h"
#include "TemporaryName.h"
#include "TreeRemoval.h"

namespace install::engine {
namespace {

enczip::FileDescriptor openFolder(int parent, const std::string& name) {
    enczip::FileDescriptor folder(
        ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.valid())
        throw std::system_error(errno, std::generic_category(), "cannot open the staging folder");
    return folder;
}

void setTime(int folder, const timespec& modified) {
    const timespec times[2] = {{0, UTIME_OMIT}, modified};
    ::futimens(folder, times);
}

}  // namespace

void StagingArea::recoverLeftovers(const enczip::ConfinedFolder& destination) {
    const int listed = enczip::FileDescriptor::reopenFolder(destination.descriptor()).release();
    DIR* listing = listed < 0 ? nullptr : ::fdopendir(listed);
    if (listing == nullptr)
        throw std::system_error(errno, std::generic_category(), "cannot list " + destination.path().string());
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(listing)) {
        if (std::string_view(entry->d_name).starts_with(InstallationManifest::kStagingPrefix))
            leftovers.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    for (const std::string& name : leftovers) takeBackAndRemove(destination, name);
}

void StagingArea::takeBackAndRemove(const enczip::ConfinedFolder& destination, const std::string& name) {
    std::optional<timespec> rootTime;
    {
        const enczip::FileDescriptor folder(::openat(destination.descriptor(), name.c_str(),
                                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (folder.valid()) rootTime = ChangeJournal::takeBack(destination, folder.get());
    }
    if (!removeTree(destination.descriptor(), name))
        throw std::runtime_error("cannot remove " + (destination.path() / name).string());
    if (rootTime) setTime(destination.descriptor(), *rootTime);
}

StagingArea::StagingArea(const enczip::ConfinedFolder& destination) : destination_(destination) {
    struct stat before {};
    if (::fstat(destination.descriptor(), &before) != 0)
        throw std::system_error(errno, std::generic_category(),
                                "cannot inspect " + destination.path().string());
    name_ = enczip::temporaryName(InstallationManifest::kStagingPrefix);
    while (::mkdirat(destination.descriptor(), name_.c_str(), 0700) != 0) {
        if (errno != EEXIST)
            throw std::system_error(errno, std::generic_category(), "cannot make a staging folder");
        name_ = enczip::temporaryName(InstallationManifest::kStagingPrefix);
    }
    folder_ = openFolder(destination.descriptor(), name_);
    try {
        journal_ = std::make_unique<ChangeJournal>(folder_.get());
        // The folder's own time before this folder was made in it.
        journal_->folderTouched("", before.st_mtim);
        for (const char* inner : {ChangeJournal::kAsideFolder, "products"}) {
            if (::mkdirat(folder_.get(), inner, 0700) != 0)
                throw std::system_error(errno, std::generic_category(), "cannot prepare the staging folder");
        }
        aside_ = openFolder(folder_.get(), ChangeJournal::kAsideFolder);
    } catch (...) {
        folder_ = enczip::FileDescriptor();
        removeTree(destination.descriptor(), name_);
        setTime(destination.descriptor(), before.st_mtim);
        throw;
    }
}

StagingArea::~StagingArea() {
    folder_ = enczip::FileDescriptor();
    aside_ = enczip::FileDescriptor();
    journal_.reset();
    if (kept_) return;
    try {
        if (finished_) {
            removeTree(destination_.descriptor(), name_);
        } else {
            takeBackAndRemove(destination_, name_);
        }
    } catch (const std::exception&) {
        // Left for the next run, which takes back what it can before it starts.
    }
}

std::filesystem::path StagingArea::productFolder(std::size_t index) const {
    return destination_.path() / name_ / "products" / std::to_string(index);
}

void StagingArea::flush() const {
    // One call writes out the whole file system: every file and folder of the products at
    // once, rather than waiting on the disk once per file.
    if (::syncfs(folder_.get()) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot write to disk");
}

void StagingArea::finish() {
    journal_->committed();
    finished_ = true;
}

std::string StagingArea::keepUnfinished(const std::string& prefix) {
    flush();
    std::string kept = enczip::temporaryName(prefix);
    while (::renameat2(destination_.descriptor(), name_.c_str(), destination_.descriptor(), kept.c_str(),
                       RENAME_NOREPLACE) != 0) {
        if (errno != EEXIST) throw std::system_error(errno, std::generic_category(), "cannot keep " + name_);
        kept = enczip::temporaryName(prefix);
    }
    kept_ = true;
    if (::fsync(destination_.descriptor()) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot write to disk");
    return kept;
}

}  // namespace install::engine
