#include "TemporaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "PosixError.h"

namespace install::enczip {

TemporaryFile::TemporaryFile(const std::filesystem::path& directory, TemporaryName& names) {
    for (;;) {
        path_ = names.next(directory);
        descriptor_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (descriptor_ >= 0) return;
        if (errno != EEXIST) throwFileSystemError("Cannot create file", path_, errno);
    }
}

TemporaryFile::~TemporaryFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
    if (!committed_) ::unlink(path_.c_str());
}

void TemporaryFile::writeAt(std::int64_t offset, const void* data, std::size_t size) {
    if (offset >= 0 && static_cast<std::uint64_t>(offset) != position_) {
        if (::lseek(descriptor_, offset, SEEK_SET) < 0)
            throwFileSystemError("Cannot seek in file", path_, errno);
        position_ = static_cast<std::uint64_t>(offset);
    }
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(descriptor_, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throwFileSystemError("Cannot write file", path_, errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
        position_ += static_cast<std::uint64_t>(written);
    }
}

void TemporaryFile::finish(std::uint64_t length, mode_t permissions,
                           const std::optional<timespec>& modified) {
    if (length > position_ && ::ftruncate(descriptor_, static_cast<off_t>(length)) != 0) {
        throwFileSystemError("Cannot set file length", path_, errno);
    }
    if (::fchmod(descriptor_, permissions) != 0) throwFileSystemError("Cannot set permissions", path_, errno);
    if (modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, *modified};
        if (::futimens(descriptor_, times) != 0)
            throwFileSystemError("Cannot set modification time", path_, errno);
    }
    close();
}

void TemporaryFile::commitAs(const std::filesystem::path& finalPath) {
    if (descriptor_ >= 0) close();
    // Renaming over an existing file makes ext4 (its replace-via-rename safeguard) write the new
    // file's data out before the call returns, so a reinstall over thousands of files would wait
    // on the disk for each one. The old file goes first instead; the new one still appears
    // under its name only complete.
    struct stat existing {};
    if (::lstat(finalPath.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) ::unlink(finalPath.c_str());
    if (::rename(path_.c_str(), finalPath.c_str()) != 0)
        throwFileSystemError("Cannot place file", finalPath, errno);
    committed_ = true;
}

void TemporaryFile::close() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    // A deferred write error (full disk, quota) shows up only here.
    if (::close(descriptor) != 0) throwFileSystemError("Cannot write file", path_, errno);
}

}  // namespace install::enczip
