// The alternating order of paired benchmark runs.
#include "AlternatingRuns.h"

namespace velora::bench {

PairedRuns alternate(int runs, const TimedRun& ours, const TimedRun& reference) {
    PairedRuns paired;
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            paired.ours.push_back(ours(run));
            paired.reference.push_back(reference(run));
        } else {
            paired.reference.push_back(reference(run));
            paired.ours.push_back(ours(run));
        }
    }
    return paired;
}

}  // namespace velora::bench
