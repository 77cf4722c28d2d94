#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "install/destination_lock/DestinationLock.h"

namespace velora::installer {

// The run's exclusive claim on its installation folder, taken once the folder is chosen and
// before any step looks into it, and held until the run ends. Another installer holding the
// folder either ends this run (the user is told which installer, and how to wait for it) or, when
// waiting was asked for, is waited for until it finishes or the user interrupts.
class DestinationClaim {
public:
    enum class Outcome { Claimed, HeldByAnother, Interrupted, Failed };

    // `people` is where the waiting is announced.
    DestinationClaim(bool waitForOthers, std::ostream& people);

    // Claims the folder (again, if the run changed its mind about it). Never throws.
    Outcome claim(const std::filesystem::path& destination);
    Outcome lastOutcome() const { return outcome_; }
    // Why the last claim failed: one sentence for the user.
    const std::string& reason() const { return reason_; }
    // The process exit status of a run that ends because the last claim failed.
    int exitStatus() const;

private:
    Outcome take(const std::filesystem::path& destination);
    Outcome wait(const std::filesystem::path& destination,
                 const install::destination_lock::DestinationBusyException& busy);

    bool waitForOthers_;
    std::ostream& people_;
    std::unique_ptr<install::destination_lock::DestinationLock> lock_;
    Outcome outcome_ = Outcome::Claimed;
    std::string reason_;
};

}  // namespace velora::installer
