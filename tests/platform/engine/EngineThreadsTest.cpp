// The engine's own threads. Products staged on two threads: which failure the run reports, and
// that nothing starts after one. The progress channels: each kind reaches its own listeners, from
// any thread, one report at a time.
#include <gmock/gmock.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "EngineProgressPublisher.h"
#include "ProductWorkers.h"
#include "install/engine/ProgressRegistration.h"

namespace install::engine {
namespace {

using ::testing::ElementsAreArray;

enum class Task { Succeeds, Fails, FailsOnceStopped, GivesUpOnceStopped };

struct WorkersRow {
    const char* name;
    std::size_t threads;
    std::vector<Task> tasks;
    std::optional<std::size_t> reported;  // the index whose failure is rethrown
    std::set<std::size_t> started;
};

void PrintTo(const WorkersRow& row, std::ostream* out) { *out << row.name; }

class ProductWorkersTest : public ::testing::TestWithParam<WorkersRow> {};

TEST_P(ProductWorkersTest, ReportTheFirstProductInOrderThatFailed) {
    const WorkersRow& row = GetParam();
    ProductWorkers workers(row.tasks.size(), row.threads);
    std::mutex mutex;
    std::set<std::size_t> started;
    const auto waitForStop = [&] {
        while (!workers.stopping()) std::this_thread::yield();
    };

    std::optional<std::size_t> reported;
    try {
        workers.run([&](std::size_t index) {
            {
                const std::lock_guard lock(mutex);
                started.insert(index);
            }
            switch (row.tasks[index]) {
                case Task::Succeeds:
                    return;
                case Task::Fails:
                    throw std::runtime_error(std::to_string(index));
                case Task::FailsOnceStopped:
                    waitForStop();
                    throw std::runtime_error(std::to_string(index));
                case Task::GivesUpOnceStopped:
                    waitForStop();
                    throw ProductAbandoned{};
            }
        });
    } catch (const std::runtime_error& failure) {
        reported = std::stoul(failure.what());
    }

    EXPECT_EQ(reported, row.reported);
    EXPECT_THAT(started, ElementsAreArray(row.started));
}

constexpr Task S = Task::Succeeds;
constexpr Task F = Task::Fails;

INSTANTIATE_TEST_SUITE_P(
    Runs, ProductWorkersTest,
    ::testing::Values(
        WorkersRow{"AllSucceed", 2, {S, S, S, S, S}, std::nullopt, {0, 1, 2, 3, 4}},
        WorkersRow{"OneThreadStopsAtTheFailure", 1, {S, S, F, S, S}, 2, {0, 1, 2}},
        WorkersRow{
            "AnEarlierProductGivesUpForALaterFailure", 2, {Task::GivesUpOnceStopped, F, S, S}, 1, {0, 1}},
        WorkersRow{"AnEarlierFailureOutranksALaterOne", 2, {Task::FailsOnceStopped, F, S}, 0, {0, 1}},
        WorkersRow{"MoreThreadsThanProducts", 8, {S, F}, 1, {0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressRegistrationTest, EachKindReachesItsOwnListenersWhileConnectedOneReportAtATime) {
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::atomic<int> downloads{0};
    int installs = 0;
    int uninstalls = 0;
    {
        const auto install = registerInstallProgressCallback([&](InstallProgressData) { ++installs; });
        const auto uninstall =
            registerUninstallProgressCallback([&](UninstallProgressData) { ++uninstalls; });
        const auto download = registerDownloadProgressCallback([&](DownloadProgressData) {
            if (++inside > 1) overlapped = true;
            std::this_thread::yield();
            --inside;
            ++downloads;
        });
        std::vector<std::thread> workers;
        for (int worker = 0; worker < 4; ++worker) {
            workers.emplace_back([] {
                for (std::uint64_t percent = 0; percent <= 100; ++percent)
                    publishDownloadProgress({u"x", 0, 0, percent});
            });
        }
        for (std::thread& worker : workers) worker.join();
        publishUninstallProgress({u"Velora", 1, 2, 50});
    }
    publishInstallProgress({u"after the connection closed", 0, 0, 0, 0, 100});

    EXPECT_EQ(downloads.load(), 4 * 101);
    EXPECT_FALSE(overlapped.load());
    EXPECT_EQ(uninstalls, 1);
    EXPECT_EQ(installs, 0);
}

}  // namespace
}  // namespace install::engine
