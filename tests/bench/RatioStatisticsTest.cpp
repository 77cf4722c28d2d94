// The figures bench/run-all decides on: the median and spread of paired runs, when a ratio misses
// its goal, the RATIO line it parses, and the order in which paired runs alternate.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench/support/AlternatingRuns.h"
#include "bench/support/RatioStatistics.h"

namespace velora::bench {
namespace {

struct PairedCase {
    std::string name;
    std::vector<double> ours;
    std::vector<double> reference;
    std::optional<double> goal;
    std::string line;
};

class PairedRunsTest : public ::testing::TestWithParam<PairedCase> {};

TEST_P(PairedRunsTest, GivesTheMedianRatioItsSpreadAndTheVerdict) {
    const PairedCase& row = GetParam();
    EXPECT_EQ(ratioLine(PairedRuns{row.ours, row.reference}.row("w", "s", row.goal)), row.line);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PairedRunsTest,
    ::testing::Values(
        PairedCase{"OddCountMetWithinGoal",
                   {2.0, 2.1, 9.0, 2.05, 2.0},
                   {2.0, 2.0, 2.0, 2.0, 2.0},
                   1.05,
                   "RATIO name=w unit=s ours=2.05 reference=2 ratio=1.025 goal=1.05 spread=0.025 runs=5 "
                   "verdict=met"},
        // 1.3 lies beyond 1.2 by less than the 0.15 the runs strayed: a busy machine, not a miss.
        PairedCase{
            "BeyondTheGoalByLessThanTheSpread",
            {1.0, 1.3, 1.6, 1.3},
            {1.0, 1.0, 1.0, 1.0},
            1.2,
            "RATIO name=w unit=s ours=1.3 reference=1 ratio=1.3 goal=1.2 spread=0.15 runs=4 verdict=met"},
        PairedCase{
            "BeyondTheGoalByMoreThanTheSpread",
            {1.5, 1.5, 1.6, 1.5, 1.4},
            {1.0, 1.0, 1.0, 1.0, 1.0},
            1.2,
            "RATIO name=w unit=s ours=1.5 reference=1 ratio=1.5 goal=1.2 spread=0 runs=5 verdict=missed"},
        PairedCase{"ReferenceOfZeroCannotMeetAGoal",
                   {1.0, 1.0},
                   {0.0, 0.0},
                   1.1,
                   "RATIO name=w unit=s ours=1 reference=0 ratio=- goal=1.1 spread=0 runs=2 verdict=missed"},
        PairedCase{
            "NoReferenceIsReportedOnly",
            {0.30, 0.25, 0.26, 0.90, 0.27},
            {},
            std::nullopt,
            "RATIO name=w unit=s ours=0.27 reference=- ratio=- goal=- spread=0.02 runs=5 verdict=report"}),
    [](const auto& info) { return info.param.name; });

struct StatisticCase {
    std::string name;
    std::vector<double> values;
    double median;
    double spread;
};

class StatisticsTest : public ::testing::TestWithParam<StatisticCase> {};

TEST_P(StatisticsTest, MedianAndSpread) {
    const StatisticCase& row = GetParam();
    EXPECT_DOUBLE_EQ(median(row.values), row.median);
    EXPECT_DOUBLE_EQ(spread(row.values), row.spread);
}

INSTANTIATE_TEST_SUITE_P(Rows, StatisticsTest,
                         ::testing::Values(StatisticCase{"Empty", {}, 0, 0}, StatisticCase{"One", {7}, 7, 0},
                                           StatisticCase{"EvenUnsorted", {4, 1, 3, 2}, 2.5, 1},
                                           StatisticCase{
                                               "OutlierLeavesSpreadSmall", {10, 11, 12, 100, 9}, 11, 1}),
                         [](const auto& info) { return info.param.name; });

TEST(AlternatingRunsTest, OursGoesFirstInEvenRunsAndTheReferenceInOddOnes) {
    std::string order;
    const PairedRuns runs = alternate(
        4,
        [&](int run) {
            order += "o" + std::to_string(run);
            return 10.0 + run;
        },
        [&](int run) {
            order += "r" + std::to_string(run);
            return 20.0 + run;
        });
    EXPECT_EQ(order, "o0r0r1o1o2r2r3o3");
    EXPECT_EQ(runs.ours, (std::vector<double>{10, 11, 12, 13}));
    EXPECT_EQ(runs.reference, (std::vector<double>{20, 21, 22, 23}));
}

}  // namespace
}  // namespace velora::bench
