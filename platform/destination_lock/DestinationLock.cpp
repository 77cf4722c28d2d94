// The destination lock: an flock on a lock file beside the installation folder.
#include "install/destination_lock/DestinationLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

namespace install::destination_lock {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSuffix = ".velora-installer.lock";
// A lock file name longer than a file name may be keeps the start of the folder's name and a
// hash of the whole, so that it is still the same in every process.
constexpr std::size_t kLongestName = 255;
constexpr std::size_t kKeptNameLength = 160;
constexpr auto kPollInterval = std::chrono::milliseconds(100);
// Attempts when the lock file (or a parent made for it) is removed under us by a claimant that
// is just releasing: each attempt makes and opens them again.
constexpr int kMaxAttempts = 100;

class Descriptor {
public:
    explicit Descriptor(int descriptor = -1) : descriptor_(descriptor) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset();
            descriptor_ = std::exchange(other.descriptor_, -1);
        }
        return *this;
    }
    int get() const { return descriptor_; }
    explicit operator bool() const { return descriptor_ >= 0; }
    void reset() {
        if (descriptor_ >= 0) ::close(descriptor_);
        descriptor_ = -1;
    }

private:
    int descriptor_;
};

fs::path normalised(const fs::path& destination) {
    fs::path path = fs::absolute(destination).lexically_normal();
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
    return path;
}

std::string lockFileName(const fs::path& destination) {
    // Built by appending: a literal prepended to a temporary string trips a false -Wrestrict
    // of g++ 12 in optimised builds.
    std::string name = ".";
    name += destination.filename().string();
    name += kSuffix;
    if (name.size() <= kLongestName) return name;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const unsigned char byte : name) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return name.substr(0, kKeptNameLength) + "-" + hex + kSuffix;
}

[[noreturn]] void fail(const std::string& action, const fs::path& path, int error) {
    throw DestinationLockException("cannot " + action + " " + path.string() + ": " + std::strerror(error));
}

bool sameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

pid_t readHolder(int file) {
    char text[32] = {};
    const ssize_t count = ::pread(file, text, sizeof text - 1, 0);
    pid_t holder = 0;
    if (count > 0) std::from_chars(text, text + count, holder);
    return holder > 0 ? holder : 0;
}

// Only for the message of a refused claimant: the claim holds whether or not this succeeds.
void writeHolder(int file) {
    const std::string text = std::to_string(::getpid()) + "\n";
    if (::ftruncate(file, 0) == 0) (void)!::pwrite(file, text.data(), text.size(), 0);
}

}  // namespace

class DestinationLock::Claim {
public:
    explicit Claim(const fs::path& destination)
        : destination_(normalised(destination)), folder_(destination_.parent_path()) {
        if (!destination_.has_filename()) throw DestinationLockException("cannot lock the root folder");
        name_ = lockFileName(destination_);
    }
    ~Claim() { release(); }
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;

    // True once taken; false while another process holds it (holder() tells which).
    bool tryTake() {
        for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
            makeFolder();
            Descriptor folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (!folder) {
                if (errno == ENOENT) continue;
                fail("open the folder", folder_, errno);
            }
            struct stat opened {};
            Descriptor file = openLockFile(folder.get(), opened);
            if (!file) continue;
            if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
                if (errno != EWOULDBLOCK) fail("lock", lockFile(), errno);
                holder_ = readHolder(file.get());
                return false;
            }
            // A claimant releasing while we opened the file has removed it since; a lock on it
            // would exclude nobody who comes later.
            struct stat named {};
            if (::fstatat(folder.get(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
                !sameFile(named, opened)) {
                continue;
            }
            writeHolder(file.get());
            folderDescriptor_ = std::move(folder);
            file_ = std::move(file);
            return true;
        }
        throw DestinationLockException("cannot lock " + destination_.string() +
                                       ": its lock file keeps being removed");
    }

    const fs::path& destination() const { return destination_; }
    pid_t holder() const { return holder_; }

private:
    fs::path lockFile() const { return folder_ / name_; }

    // Not following a link: whatever was planted under the name is refused, never written
    // through. Not open when the folder was removed meanwhile.
    Descriptor openLockFile(int folder, struct stat& opened) const {
        Descriptor file(
            ::openat(folder, name_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644));
        const int createError = errno;
        if (!file && createError == EACCES) {
            // Another user's lock file locks as well when only read; it just cannot name us.
            file =
                Descriptor(::openat(folder, name_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        }
        if (!file && createError == ENOENT) return file;
        if (!file) fail("create the lock file", lockFile(), createError);
        if (::fstat(file.get(), &opened) != 0) fail("examine the lock file", lockFile(), errno);
        if (!S_ISREG(opened.st_mode) || opened.st_nlink > 1) {
            throw DestinationLockException("the lock file " + lockFile().string() +
                                           " is not a file of its own; remove it and try again");
        }
        return file;
    }

    // The lock file needs the folder's parent; what is made for it is removed on release if
    // nothing else came to live there.
    void makeFolder() {
        std::vector<fs::path> missing;
        for (fs::path path = folder_; path.has_relative_path(); path = path.parent_path()) {
            struct stat status {};
            if (::stat(path.c_str(), &status) == 0 || errno != ENOENT) break;
            missing.push_back(path);
        }
        for (auto path = missing.rbegin(); path != missing.rend(); ++path) {
            if (::mkdir(path->c_str(), 0755) == 0) {
                made_.push_back(*path);
            } else if (errno != EEXIST) {
                fail("make the folder", *path, errno);
            }
        }
    }

    void release() noexcept {
        if (file_) {
            struct stat opened {};
            struct stat named {};
            if (::fstat(file_.get(), &opened) == 0 &&
                ::fstatat(folderDescriptor_.get(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                sameFile(named, opened)) {
                ::unlinkat(folderDescriptor_.get(), name_.c_str(), 0);
            }
            file_.reset();  // closing it releases the lock
            folderDescriptor_.reset();
        }
        for (auto path = made_.rbegin(); path != made_.rend(); ++path) ::rmdir(path->c_str());
    }

    fs::path destination_;
    fs::path folder_;
    std::string name_;
    std::vector<fs::path> made_;
    Descriptor folderDescriptor_;
    Descriptor file_;
    pid_t holder_ = 0;
};

DestinationLock::DestinationLock(const fs::path& destination) : claim_(std::make_unique<Claim>(destination)) {
    if (!claim_->tryTake()) throw DestinationBusyException(claim_->destination(), claim_->holder());
}

DestinationLock::DestinationLock(const fs::path& destination, const KeepWaiting& keepWaiting)
    : claim_(std::make_unique<Claim>(destination)) {
    while (!claim_->tryTake()) {
        if (!keepWaiting()) throw DestinationBusyException(claim_->destination(), claim_->holder());
        std::this_thread::sleep_for(kPollInterval);
    }
}

DestinationLock::~DestinationLock() = default;

const fs::path& DestinationLock::getDestination() const { return claim_->destination(); }

fs::path DestinationLock::getLockFile(const fs::path& destination) {
    const fs::path folder = normalised(destination);
    return folder.parent_path() / lockFileName(folder);
}

DestinationLockException::~DestinationLockException() = default;

DestinationBusyException::DestinationBusyException(const fs::path& destination, pid_t holder)
    : DestinationLockException("another installer" +
                               (holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string()) +
                               " is installing into " + destination.string()),
      destination_(destination),
      holder_(holder) {}

DestinationBusyException::~DestinationBusyException() = default;

const fs::path& DestinationBusyException::getDestination() const { return destination_; }

pid_t DestinationBusyException::getHolder() const { return holder_; }

}  // namespace install::destination_lock
