// Runs two contenders in turn, ours first in even runs and the reference first in odd ones, so
// that neither always meets a page cache, a disk queue or a processor clock the other left behind.
#pragma once

#include <functional>

#include "RatioStatistics.h"

namespace velora::bench {

// Each contender times one run (the run's number given) and returns its seconds.
using TimedRun = std::function<double(int run)>;

PairedRuns alternate(int runs, const TimedRun& ours, const TimedRun& reference);

}  // namespace velora::bench
