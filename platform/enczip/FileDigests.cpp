// Digests of finished files on a second thread: the queue and the reading back.
#include "FileDigests.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "PosixError.h"
#include "Sha256.h"
#include "TemporaryFile.h"

namespace install::enczip {
namespace {

// Files waiting at most: a bound on the descriptors held open and on how far the digests may
// fall behind the extraction.
constexpr std::size_t kMostPending = 64;
// Files gathered before a sleeping thread is woken: a wake-up costs about as much as the digest
// of a small file.
constexpr std::size_t kWakeBatch = 16;
constexpr std::size_t kReadSize = std::size_t{1} << 20;

}  // namespace

FileDigests::FileDigests() : thread_([this] { work(); }) {}

FileDigests::~FileDigests() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
        pending_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

void FileDigests::add(FileDescriptor file, std::size_t key, std::filesystem::path shownPath) {
    std::unique_lock lock(mutex_);
    if (pending_.size() >= kMostPending) {
        producerWaiting_ = true;
        changed_.wait(lock, [this] { return pending_.size() < kMostPending / 2 || failed_; });
        producerWaiting_ = false;
    }
    // After a failure the run ends anyway; finish() reports it.
    if (failed_) return;
    pending_.push_back({std::move(file), key, std::move(shownPath)});
    const bool wake = workerSleeping_ && pending_.size() >= kWakeBatch;
    lock.unlock();
    if (wake) changed_.notify_all();
}

std::vector<std::pair<std::size_t, std::string>> FileDigests::finish() {
    std::unique_lock lock(mutex_);
    closing_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return (pending_.empty() && !busy_) || failed_; });
    if (failed_) {
        if (failedErrno_ != 0) throwFileSystemError(failedWhat_, failedPath_, failedErrno_);
        throw std::runtime_error(failure_ + ": " + failedPath_.string());
    }
    return std::move(digests_);
}

void FileDigests::work() {
    // Never zeroed: every byte is read into before it is used, and clearing a mebibyte costs
    // more than the digests of an archive of small files.
    const auto buffer = std::make_unique_for_overwrite<char[]>(kReadSize);
    std::unique_lock lock(mutex_);
    for (;;) {
        if (pending_.empty() && !closing_) {
            workerSleeping_ = true;
            changed_.wait(lock, [this] { return pending_.size() >= kWakeBatch || closing_; });
            workerSleeping_ = false;
        }
        if (pending_.empty()) return;
        Pending file = std::move(pending_.front());
        pending_.pop_front();
        busy_ = true;
        if (producerWaiting_ && pending_.size() < kMostPending / 2) changed_.notify_all();
        lock.unlock();
        std::string digest;
        std::string failure;
        const char* what = "Cannot read back file";
        int error = 0;
        try {
            digest = digestOf(file, buffer.get());
        } catch (const std::system_error& readFailure) {
            error = readFailure.code().value();
        } catch (const std::exception& digestFailure) {
            failure = digestFailure.what();
        }
        // The descriptor is the one that wrote the file: a write the disk refused later shows up
        // when it is closed.
        if (!TemporaryFile::closeWritten(std::move(file.file)) && error == 0 && failure.empty()) {
            error = errno;
            what = "Cannot write file";
        }
        lock.lock();
        busy_ = false;
        if (error != 0 || !failure.empty()) {
            failed_ = true;
            failure_ = failure;
            failedErrno_ = error;
            failedWhat_ = what;
            failedPath_ = file.shownPath;
            pending_.clear();
        } else {
            digests_.emplace_back(file.key, std::move(digest));
        }
        if (failed_ || producerWaiting_ || (closing_ && pending_.empty())) changed_.notify_all();
    }
}

std::string FileDigests::digestOf(const Pending& pending, char* buffer) {
    const int file = pending.file.get();
    Sha256 digest;
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(file, buffer, kReadSize, offset);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category());
        }
        if (got == 0) break;
        digest.update(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
    return digest.finishHex();
}

}  // namespace install::enczip
