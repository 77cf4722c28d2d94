#include "TemporaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "PosixError.h"
#include "TemporaryName.h"

namespace install::enczip {

namespace {

// Read as well as written: the file's digest is taken by reading it back.
constexpr int kCreation = O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

}  // namespace

TemporaryFile::TemporaryFile(int folder, std::filesystem::path shownFolder, const std::string& finalName)
    : folder_(folder), shownFolder_(std::move(shownFolder)) {
    // Something already there (an earlier entry of the same name) is replaced by a rename, as
    // in any other folder.
    for (name_ = finalName.empty() ? temporaryName(".enczip-") : finalName;;
         name_ = temporaryName(".enczip-")) {
        file_ = FileDescriptor(::openat(folder_, name_.c_str(), kCreation, 0600));
        if (file_.valid()) return;
        if (errno != EEXIST) throwFileSystemError("Cannot create file", shownFolder_ / name_, errno);
    }
}

TemporaryFile::~TemporaryFile() {
    file_ = FileDescriptor();
    if (!committed_) ::unlinkat(folder_, name_.c_str(), 0);
}

void TemporaryFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (offset != position_) {
        if (::lseek(file_.get(), static_cast<off_t>(offset), SEEK_SET) < 0)
            throwFileSystemError("Cannot seek in file", shownFolder_ / name_, errno);
        position_ = offset;
    }
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(file_.get(), bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throwFileSystemError("Cannot write file", shownFolder_ / name_, errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
        position_ += static_cast<std::uint64_t>(written);
    }
}

FileDescriptor TemporaryFile::finish(std::uint64_t length, mode_t permissions,
                                     const std::optional<timespec>& modified) {
    if (length > position_ && ::ftruncate(file_.get(), static_cast<off_t>(length)) != 0)
        throwFileSystemError("Cannot set file length", shownFolder_ / name_, errno);
    if (::fchmod(file_.get(), permissions) != 0)
        throwFileSystemError("Cannot set permissions", shownFolder_ / name_, errno);
    if (modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, *modified};
        if (::futimens(file_.get(), times) != 0)
            throwFileSystemError("Cannot set modification time", shownFolder_ / name_, errno);
    }
    // Handing the descriptor on spares a second descriptor and a close per file.
    return std::move(file_);
}

bool TemporaryFile::closeWritten(FileDescriptor file) { return ::close(file.release()) == 0; }

FileDescriptor TemporaryFile::settled(FileDescriptor written) const {
    FileDescriptor copy(::fcntl(written.get(), F_DUPFD_CLOEXEC, 0));
    if (!copy.valid()) throwFileSystemError("Cannot read back file", shownFolder_ / name_, errno);
    if (!closeWritten(std::move(written)))
        throwFileSystemError("Cannot write file", shownFolder_ / name_, errno);
    return copy;
}

void TemporaryFile::commitAs(const std::string& name) {
    if (file_.valid()) close();
    if (name == name_) {
        committed_ = true;
        return;
    }
    if (::renameat(folder_, name_.c_str(), folder_, name.c_str()) != 0)
        throwFileSystemError("Cannot place file", shownFolder_ / name, errno);
    committed_ = true;
}

void TemporaryFile::close() {
    // A deferred write error (full disk, quota) shows up only here.
    if (!closeWritten(std::move(file_)))
        throwFileSystemError("Cannot write file", shownFolder_ / name_, errno);
}

}  // namespace install::enczip
