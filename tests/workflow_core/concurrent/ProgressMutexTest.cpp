// An overall-progress update reads the records, computes and writes as one step: while it is
// under way no progress setter or other update may complete, or the overall record could be
// computed from records that are no longer current.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <latch>
#include <ostream>
#include <string>
#include <thread>

#include "support/SubstituteHandler.h"

namespace {

using install::product_installer::workflow_utils::DataModelHandler;
using workflow_test::SubstituteHandler;

// Holds an update inside its read of the records (the updaters read through the virtual
// getters) long enough for an unguarded writer on another thread to slip in.
class SlowReadingHandler : public SubstituteHandler {
public:
    DownloadProgressData getDownloadProgressData() const override {
        pauseIfArmed();
        return SubstituteHandler::getDownloadProgressData();
    }
    UninstallProgressData getUninstallProgressData() const override {
        pauseIfArmed();
        return SubstituteHandler::getUninstallProgressData();
    }

    mutable std::latch updateIsReading{1};
    mutable std::atomic<bool> armed{false};
    std::atomic<bool> otherFinished{false};
    mutable std::atomic<bool> otherFinishedDuringUpdate{false};

private:
    void pauseIfArmed() const {
        if (!armed.exchange(false)) return;
        updateIsReading.count_down();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        otherFinishedDuringUpdate = otherFinished.load();
    }
};

using Operation = std::function<void(const DataModelHandler&)>;

struct ExclusionCase {
    const char* label;
    Operation update;
    Operation other;
};
void PrintTo(const ExclusionCase& row, std::ostream* out) { *out << row.label; }

class ProgressMutexTest : public testing::TestWithParam<ExclusionCase> {};

TEST_P(ProgressMutexTest, NothingElseCompletesWhileAnUpdateIsUnderWay) {
    SlowReadingHandler handler;
    handler.initializeProgressData();
    handler.setDownloadProgressData(u"a", 1, 10, 10, u"", u"");
    handler.setUninstallProgressData(u"u", 1, 10, 10, u"", u"");
    handler.armed = true;

    std::thread updater([&] { GetParam().update(handler); });
    handler.updateIsReading.wait();
    std::thread other([&] {
        GetParam().other(handler);
        handler.otherFinished = true;
    });
    updater.join();
    other.join();

    EXPECT_FALSE(handler.otherFinishedDuringUpdate);
    EXPECT_FALSE(handler.getModelInstance().isInTransaction());
}

// A setter and the other updater, each held off while an update reads the records.
INSTANTIATE_TEST_SUITE_P(
    Pairs, ProgressMutexTest,
    testing::Values(ExclusionCase{"OverallThenInstall",
                                  [](const DataModelHandler& h) { h.updateOverallProgress(); },
                                  [](const DataModelHandler& h) {
                                      h.setInstallProgressData(u"c", 1, 5, 2, 10, 50, u"", u"");
                                  }},
                    ExclusionCase{"UninstallOverallThenOverall",
                                  [](const DataModelHandler& h) { h.updateOverallUninstallProgress(); },
                                  [](const DataModelHandler& h) { h.updateOverallProgress(); }}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
