#include "install/engine/ProgressRegistration.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "EngineProgressPublisher.h"

namespace install::engine {
namespace {

TEST(ProgressRegistrationTest, ReportsFromAWorkerThreadReachTheRegisteredFunction) {
    std::vector<InstallProgressData> received;
    {
        const boost::signals2::scoped_connection connection =
            registerInstallProgressCallback([&](InstallProgressData data) { received.push_back(data); });
        std::thread worker([] { publishInstallProgress({u"Velora", 1, 2048, 4, 8192, 25}); });
        worker.join();
    }
    publishInstallProgress({u"after the connection closed", 0, 0, 0, 0, 100});

    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].text, u"Velora");
    EXPECT_EQ(received[0].doneComponents, 1u);
    EXPECT_EQ(received[0].doneSize, 2048u);
    EXPECT_EQ(received[0].totalComponents, 4u);
    EXPECT_EQ(received[0].totalSize, 8192u);
    EXPECT_EQ(received[0].percent, 25u);
}

TEST(ProgressRegistrationTest, EachKindReachesOnlyItsOwnListeners) {
    int downloads = 0;
    int uninstalls = 0;
    const auto download = registerDownloadProgressCallback([&](DownloadProgressData data) {
        EXPECT_EQ(data.percent, 50u);
        ++downloads;
    });
    const auto uninstall = registerUninstallProgressCallback([&](UninstallProgressData) { ++uninstalls; });

    publishDownloadProgress({u"Flowmere", 512, 1024, 50});
    publishInstallProgress({u"Velora", 0, 0, 0, 0, 10});
    EXPECT_EQ(downloads, 1);
    EXPECT_EQ(uninstalls, 0);
    publishUninstallProgress({u"Velora", 1, 2, 50});
    EXPECT_EQ(uninstalls, 1);
}

TEST(ProgressRegistrationTest, ReportsOfOneKindAreDeliveredOneAtATime) {
    std::atomic<int> inside{0};
    std::atomic<int> mostAtOnce{0};
    std::atomic<int> delivered{0};
    const auto connection = registerDownloadProgressCallback([&](DownloadProgressData) {
        const int now = ++inside;
        int seen = mostAtOnce.load();
        while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::yield();
        --inside;
        ++delivered;
    });

    std::vector<std::thread> workers;
    for (int worker = 0; worker < 4; ++worker) {
        workers.emplace_back([] {
            for (std::uint64_t percent = 0; percent <= 100; ++percent)
                publishDownloadProgress({u"x", 0, 0, percent});
        });
    }
    for (std::thread& worker : workers) worker.join();
    EXPECT_EQ(delivered.load(), 4 * 101);
    EXPECT_EQ(mostAtOnce.load(), 1);
}

}  // namespace
}  // namespace install::engine
