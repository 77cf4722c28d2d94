// The engine's progress channels: each kind reaches its own listeners, from any thread, one
// report at a time.
#include "install/engine/ProgressRegistration.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "EngineProgressPublisher.h"

namespace install::engine {
namespace {

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
