// The figures every timing benchmark reports: medians of paired runs, the run-to-run spread of
// their ratio, whether the ratio misses its goal, and the one machine-readable line per workload
// that bench/run-all reads.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velora::bench {

// The middle value; the mean of the two middle values of an even count. Zero for no values.
double median(std::vector<double> values);

// The median absolute deviation from the median: how far a typical run strays, unmoved by the
// one run a busy machine spoiled.
double spread(const std::vector<double>& values);

enum class Verdict { Met, Missed, ReportOnly };

// A ratio (ours over the reference, lower is better) misses its goal only when it lies beyond it
// by more than the spread measured in the same runs: a busy machine widens the spread rather
// than failing a goal that quieter runs meet.
Verdict judge(double ratio, std::optional<double> goal, double ratioSpread);

// One workload's result: this project's figure and the reference's, each the median of its runs,
// in `unit` (lower is better).
struct RatioRow {
    std::string name;
    std::string unit;
    double ours = 0;
    std::optional<double> reference;
    std::optional<double> goal;
    double spread = 0;  // of the per-run ratios, or of our runs when there is no reference
    int runs = 0;

    std::optional<double> ratio() const;
    Verdict verdict() const;
};

// The times of the paired runs of one workload: run i of ours beside run i of the reference.
struct PairedRuns {
    std::vector<double> ours;
    std::vector<double> reference;

    RatioRow row(std::string name, std::string unit, std::optional<double> goal) const;
};

// `RATIO name=... unit=... ours=... reference=... ratio=... goal=... spread=... runs=...
// verdict=...`, one line, no spaces inside a value, "-" for what does not apply.
std::string ratioLine(const RatioRow& row);

}  // namespace velora::bench
