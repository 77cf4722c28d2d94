#pragma once

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>

#include "host/ModelEvents.h"

namespace velora::installer {

// Shows installation progress to a person: on a terminal one bar redrawn in place with the
// percentage, sizes and the current component; elsewhere (a pipe, a log) a plain line each
// time the percentage changes. Safe from any thread.
class ProgressDisplay {
public:
    ProgressDisplay(std::ostream& out, bool isTerminal) : out_(out), terminal_(isTerminal) {}

    void update(const ProgressEvent& event);
    // Ends the bar's line, if one is drawn.
    void finish();

private:
    std::string describe(const ProgressEvent& event) const;

    std::mutex mutex_;
    std::ostream& out_;
    bool terminal_;
    bool barDrawn_ = false;
    std::string lastLine_;
    std::uint64_t lastPercent_ = UINT64_MAX;
};

}  // namespace velora::installer
