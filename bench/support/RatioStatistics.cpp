// Medians, spreads, goal decisions and the RATIO line shared by the timing benchmarks.
#include "RatioStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velora::bench {

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double spread(const std::vector<double>& values) {
    const double centre = median(values);
    std::vector<double> deviations;
    deviations.reserve(values.size());
    for (const double value : values) deviations.push_back(std::fabs(value - centre));
    return median(std::move(deviations));
}

Verdict judge(double ratio, std::optional<double> goal, double ratioSpread) {
    if (!goal) return Verdict::ReportOnly;
    return ratio > *goal + ratioSpread ? Verdict::Missed : Verdict::Met;
}

std::optional<double> RatioRow::ratio() const {
    if (!reference || *reference <= 0) return std::nullopt;
    return ours / *reference;
}

Verdict RatioRow::verdict() const {
    const auto value = ratio();
    // A goal with no usable reference figure cannot be shown to be met.
    if (!value) return goal ? Verdict::Missed : Verdict::ReportOnly;
    return judge(*value, goal, spread);
}

RatioRow PairedRuns::row(std::string name, std::string unit, std::optional<double> goal) const {
    RatioRow result{
        std::move(name), std::move(unit), median(ours), std::nullopt, goal, 0, static_cast<int>(ours.size())};
    if (reference.empty()) {
        result.spread = spread(ours);
        return result;
    }
    result.reference = median(reference);
    std::vector<double> ratios;
    for (std::size_t run = 0; run < ours.size() && run < reference.size(); ++run)
        if (reference[run] > 0) ratios.push_back(ours[run] / reference[run]);
    result.spread = spread(ratios);
    return result;
}

std::string ratioLine(const RatioRow& row) {
    const auto number = [](std::optional<double> value) {
        if (!value) return std::string("-");
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", *value);
        return std::string(text);
    };
    static const char* const kVerdicts[] = {"met", "missed", "report"};
    return "RATIO name=" + row.name + " unit=" + row.unit + " ours=" + number(row.ours) +
           " reference=" + number(row.reference) + " ratio=" + number(row.ratio()) +
           " goal=" + number(row.goal) + " spread=" + number(row.spread) +
           " runs=" + std::to_string(row.runs) + " verdict=" + kVerdicts[static_cast<int>(row.verdict())];
}

}  // namespace velora::bench
