#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::destination_lock {

// One process's exclusive claim on an installation folder, held for as long as the object lives.
// Two installers writing into one folder would each rewrite the installation record from what
// they read at their start and lose the other's products, so every run that changes a folder
// holds its claim from before it looks at the folder until it is done.
//
// The claim is an flock on a lock file beside the folder (".<name>.velora-installer.lock" in its
// parent, which is made when missing and removed again if it is still empty on release). The
// file is created without following links, holds the claimant's process id so that a refused
// installer can name it, and is removed on release, so nothing is left beside the folder. A
// process that dies keeps no claim: the system drops its lock with it.
class COMPONENT_API DestinationLock {
public:
    // Asked about ten times a second while another process holds the claim; false gives up.
    using KeepWaiting = std::function<bool()>;

    // Takes the claim at once. Throws DestinationBusyException when another process holds it,
    // DestinationLockException when the lock file cannot be made or locked.
    explicit DestinationLock(const std::filesystem::path& destination);
    // Waits for the claim as long as keepWaiting says so; then throws DestinationBusyException.
    DestinationLock(const std::filesystem::path& destination, const KeepWaiting& keepWaiting);
    ~DestinationLock();
    DestinationLock(const DestinationLock&) = delete;
    DestinationLock& operator=(const DestinationLock&) = delete;

    // The folder as claimed: absolute, without "." and ".." parts or a trailing separator.
    const std::filesystem::path& getDestination() const;

    // Where the lock file of a folder lies.
    static std::filesystem::path getLockFile(const std::filesystem::path& destination);

private:
    class Claim;
    std::unique_ptr<Claim> claim_;
};

class COMPONENT_API DestinationLockException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~DestinationLockException() override;
};

class COMPONENT_API DestinationBusyException : public DestinationLockException {
public:
    DestinationBusyException(const std::filesystem::path& destination, pid_t holder);
    ~DestinationBusyException() override;

    const std::filesystem::path& getDestination() const;
    // The process holding the claim; 0 when it has not written its id yet.
    pid_t getHolder() const;

private:
    std::filesystem::path destination_;
    pid_t holder_;
};

}  // namespace install::destination_lock
