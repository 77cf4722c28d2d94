#include "host/DestinationClaim.h"

#include "host/ExitStatus.h"
#include "install/cpputil/Interrupt.h"

namespace velora::installer {

namespace lock = install::destination_lock;

namespace {

std::string otherInstaller(const lock::DestinationBusyException& busy) {
    return busy.getHolder() > 0 ? "another installer (process " + std::to_string(busy.getHolder()) + ")"
                                : std::string("another installer");
}

}  // namespace

DestinationClaim::DestinationClaim(bool waitForOthers, std::ostream& people)
    : waitForOthers_(waitForOthers), people_(people) {}

int DestinationClaim::exitStatus() const {
    switch (outcome_) {
        case Outcome::HeldByAnother:
            return kExitDestinationHeld;
        case Outcome::Interrupted:
            return kExitInterrupted;
        default:
            return kExitFailure;
    }
}

DestinationClaim::Outcome DestinationClaim::claim(const std::filesystem::path& destination) {
    reason_.clear();
    outcome_ = take(destination);
    return outcome_;
}

DestinationClaim::Outcome DestinationClaim::take(const std::filesystem::path& destination) {
    try {
        if (lock_ && lock::DestinationLock::getLockFile(lock_->getDestination()) ==
                         lock::DestinationLock::getLockFile(destination)) {
            return Outcome::Claimed;
        }
        lock_.reset();
        lock_ = std::make_unique<lock::DestinationLock>(destination);
        return Outcome::Claimed;
    } catch (const lock::DestinationBusyException& busy) {
        if (waitForOthers_) return wait(destination, busy);
        reason_ = "The installation folder " + busy.getDestination().string() + " is in use by " +
                  otherInstaller(busy) +
                  "; run again when it has finished, or with --wait-lock to wait for it.";
        return Outcome::HeldByAnother;
    } catch (const std::exception& error) {
        reason_ = "The installer cannot claim the installation folder " + destination.string() + " (" +
                  error.what() + ").";
        return Outcome::Failed;
    }
}

DestinationClaim::Outcome DestinationClaim::wait(const std::filesystem::path& destination,
                                                 const lock::DestinationBusyException& busy) {
    people_ << "Waiting for " << otherInstaller(busy) << " to finish installing into "
            << busy.getDestination().string() << " ...\n"
            << std::flush;
    try {
        lock_ = std::make_unique<lock::DestinationLock>(
            destination, [] { return !install::cpputil::interrupt::is_set(); });
        return Outcome::Claimed;
    } catch (const lock::DestinationBusyException&) {
        reason_ = "The installer was interrupted while waiting for " + otherInstaller(busy) + ".";
        return Outcome::Interrupted;
    } catch (const std::exception& error) {
        reason_ = "The installer cannot claim the installation folder " + destination.string() + " (" +
                  error.what() + ").";
        return Outcome::Failed;
    }
}

}  // namespace velora::installer
