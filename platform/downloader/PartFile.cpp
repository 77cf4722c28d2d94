#include "PartFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace install::downloader {

namespace {

// The disk starts writing every this many bytes appended, while the transfer goes on, so that the
// flush before the rename waits for the last few megabytes instead of the whole archive.
constexpr std::uint64_t kWriteBackStep = 8u << 20;

}  // namespace

PartFile::PartFile(std::filesystem::path path) : path_(std::move(path)) {
    descriptor_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor_ < 0) fail("cannot open");
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) fail("cannot read the size of");
    size_ = static_cast<std::uint64_t>(status.st_size);
    writeBackStarted_ = size_;
    if (size_ == 0) digest_ = std::make_unique<enczip::Sha256>();
}

PartFile::~PartFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

void PartFile::restart() {
    if (::ftruncate(descriptor_, 0) != 0) fail("cannot empty");
    size_ = 0;
    writeBackStarted_ = 0;
    digest_ = std::make_unique<enczip::Sha256>();
}

void PartFile::append(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::pwrite(descriptor_, data, size, static_cast<off_t>(size_));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) fail("cannot write to");
        if (digest_) digest_->update(data, static_cast<std::size_t>(written));
        data += written;
        size -= static_cast<std::size_t>(written);
        size_ += static_cast<std::uint64_t>(written);
    }
    if (size_ - writeBackStarted_ >= kWriteBackStep) {
        // Only starts the write-back and does not wait for it: commitAs() still flushes all. A
        // file system that cannot do this leaves it all to the flush.
        ::sync_file_range(descriptor_, static_cast<off_t>(writeBackStarted_),
                          static_cast<off_t>(size_ - writeBackStarted_), SYNC_FILE_RANGE_WRITE);
        writeBackStarted_ = size_;
    }
}

std::string PartFile::sha256Hex() {
    if (digest_) return digest_->finishHex();
    try {
        return enczip::Sha256::ofFile(descriptor_);
    } catch (const std::system_error&) {
        fail("cannot read");
    }
}

void PartFile::commitAs(const std::filesystem::path& target) {
    if (::fsync(descriptor_) != 0) fail("cannot flush");
    if (::rename(path_.c_str(), target.c_str()) != 0) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot rename " + path_.string() + " to " + target.string());
    }
    // Without this the rename may be lost with the folder's entry after a power cut, leaving the
    // part file and no target.
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderDescriptor >= 0) {
        ::fsync(folderDescriptor);
        ::close(folderDescriptor);
    }
    path_ = target;
}

void PartFile::remove() {
    if (::unlink(path_.c_str()) != 0 && errno != ENOENT) fail("cannot remove");
    size_ = 0;
}

void PartFile::removeIfEmpty() noexcept {
    if (size_ == 0) ::unlink(path_.c_str());
}

void PartFile::fail(const std::string& what) const {
    throw std::system_error(errno, std::generic_category(), what + " " + path_.string());
}

}  // namespace install::downloader
