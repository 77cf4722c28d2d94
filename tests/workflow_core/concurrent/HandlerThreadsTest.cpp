// The handler's multi-threaded side.
//
// The progress writers on engine threads. An overall-progress update reads the records,
// computes and writes as one step: while it is under way no setter or other update may complete,
// or the overall record could be computed from records that are no longer current. Records
// written concurrently stay whole while the workflow thread reads them, and replaced ones are freed.
//
// The archive-reading thread the handler takes over or starts, and what joining it publishes
// from the product repository.
#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <latch>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "fl/i18n/Message.h"
#include "support/MockRepositoryAdapter.h"
#include "support/ModelFixture.h"
#include "support/SubstituteHandler.h"
#include "tq_zero/ModelDiagnostics.h"

namespace {

using install::product_installer::workflow_utils::DataModelHandler;
using workflow_test::joined, workflow_test::PrintTo;

constexpr std::uint64_t kWriters = 6;

// Unoptimised and sanitized builds of the model are much slower, so they send fewer reports.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
constexpr std::uint64_t kReportsPerWriter = 3'000;
#else
constexpr std::uint64_t kReportsPerWriter = 100'000;
#endif

// Every field of a record follows from one number, so a reader can tell a record one writer
// wrote whole from one stitched together from several reports.
void report(const DataModelHandler& h, std::uint64_t n, bool download) {
    const auto name = fl::i18n::to_u16string(std::to_string(n));
    if (download) {
        h.setDownloadProgressData(name, n, 2 * n + 1, n % 101, name + u"m", name + u"t");
    } else {
        h.setInstallProgressData(name, n, n + 1, n + 2, 3 * n, n % 97, name + u"m", name + u"t");
    }
    h.updateOverallProgress();
}

// Whether the record mixes reports: its bytes and its title, the fields written around the others,
// must follow from the number its name carries, as `report` derives them.
template <class Record>
bool isTorn(const Record& r, std::uint64_t bytes, std::uint64_t bytesOffset, const std::u16string& title) {
    if (r.getComponentName().empty()) return false;
    const auto n = std::stoull(fl::i18n::to_string(r.getComponentName()));
    return bytes != n + bytesOffset || title != r.getComponentName() + u"t";
}

class ProgressWritersTest : public workflow_test::ModelFixture {
protected:
    void SetUp() override { handler->initializeProgressData(); }
};

TEST_F(ProgressWritersTest, ConcurrentReportsStayWholeAndTheLastOnesStay) {
    const auto withoutRecords = tq::zero::detail::liveNodeCount(installer.root);
    std::latch start(kWriters + 1);
    std::atomic<std::uint64_t> running{kWriters};
    std::vector<std::thread> writers;
    for (std::uint64_t writer = 0; writer < kWriters; ++writer) {
        writers.emplace_back([&, writer] {
            start.arrive_and_wait();
            for (std::uint64_t i = 0; i < kReportsPerWriter; ++i)
                report(*handler, i * kWriters + writer + 1, (kReportsPerWriter - i) % 2 == 1);
            running.fetch_sub(1);
        });
    }
    start.arrive_and_wait();
    std::uint64_t torn = 0;
    while (running.load() > 0) {
        const auto d = handler->getDownloadProgressData();
        const auto i = handler->getInstallProgressData();
        torn += isTorn(d, d.getBytesDownloadedSoFar(), 0, d.getDownloadTitle());
        torn += isTorn(i, i.getBytesInstalledSoFar(), 1, i.getInstallTitle());
        torn += handler->getOverallProgressData().getPercentage() > 100;
    }
    for (auto& writer : writers) writer.join();

    EXPECT_EQ(torn, 0u);
    // Every writer's last report is a download report of the final round.
    EXPECT_GT(handler->getDownloadProgressData().getBytesDownloadedSoFar(),
              (kReportsPerWriter - 1) * kWriters);
    EXPECT_FALSE(model().isInTransaction());
    // Every replaced record is freed: the download, install and overall records are all that is left.
    EXPECT_EQ(tq::zero::detail::liveNodeCount(installer.root), withoutRecords + 3);
}

// Holds an update inside its read of the records (the updaters read through the virtual
// getters) long enough for an unguarded writer on another thread to slip in.
class SlowReadingHandler : public workflow_test::SubstituteHandler {
public:
    DownloadProgressData getDownloadProgressData() const override {
        pauseIfArmed();
        return workflow_test::SubstituteHandler::getDownloadProgressData();
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

using H = const DataModelHandler&;
using Operation = std::function<void(H)>;

struct ExclusionCase {
    const char* name;
    Operation update;
    Operation other;
};

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
// clang-format off
INSTANTIATE_TEST_SUITE_P(Pairs, ProgressMutexTest, testing::Values(
    ExclusionCase{"OverallThenInstall", [](H h) { h.updateOverallProgress(); }, [](H h) { h.setInstallProgressData(u"c", 1, 5, 2, 10, 50, u"", u""); }},
    ExclusionCase{"OverallThenUninstallOverall", [](H h) { h.updateOverallProgress(); }, [](H h) { h.updateOverallUninstallProgress(); }}),
    workflow_test::rowName);
// clang-format on

// --- the archive-reading thread ---

using testing::Return;

class ArchiveReadingThreadTest : public workflow_test::ModelFixture {
protected:
    std::string published() const {
        return joined(handler->getDoesLocalArchivesExist(), independent().getDoesLocalArchivesExist(),
                      handler->getAvailableProducts(), handler->getInstallableProducts(),
                      handler->getSelectedProducts());
    }
};

struct Publication {
    const char* name;
    bool productsExist;
    bool runtime;
    std::set<std::u16string> selectedBefore;
    std::string published;
};

class ArchivePublicationTest : public ArchiveReadingThreadTest,
                               public testing::WithParamInterface<Publication> {};

TEST_P(ArchivePublicationTest, JoiningPublishesTheRepositorysProductsOnlyWhenThereAreAny) {
    auto repository = std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
    ON_CALL(*repository, doProductsExist()).WillByDefault(Return(GetParam().productsExist));
    EXPECT_CALL(*repository, getAvailableProductBasecodes())
        .Times(GetParam().productsExist ? 1 : 0)
        .WillRepeatedly(Return(std::vector<std::u16string>{u"RUNTIME", u"COMPILER"}));
    handler->setProductRepoAdapterInstance(repository);
    handler->setIsQRTInstallation(GetParam().runtime);
    handler->initializeProductSelectionModel();
    handler->initializeSelectedProducts(GetParam().selectedBefore);
    handler->setDoesLocalArchivesExist(true);  // joining answers for the repository

    handler->joinArchiveReadingThread();
    EXPECT_EQ(published(), GetParam().published);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Installations, ArchivePublicationTest, testing::Values(
    Publication{"NoArchives", false, true, {}, "false|false|[]|[]|[]"},
    Publication{"Ordinary", true, false, {}, "true|true|[RUNTIME,COMPILER]|[]|[]"},
    Publication{"RuntimeWithNothingSelected", true, true, {}, "true|true|[RUNTIME,COMPILER]|[RUNTIME,COMPILER]|[COMPILER,RUNTIME]"},
    Publication{"RuntimeWithASelection", true, true, {u"COMPILER"}, "true|true|[RUNTIME,COMPILER]|[RUNTIME,COMPILER]|[COMPILER]"}),
    workflow_test::rowName);
// clang-format on

TEST_F(ArchiveReadingThreadTest, TheGivenThreadIsJoinedBeforeTheRepositoryIsAsked) {
    bool archivesRead = false;  // no atomic: the join itself must order the write before the read
    DataModelHandler reading(installer.model, installer.root, std::thread([&archivesRead] {
                                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                 archivesRead = true;
                             }));
    reading.joinArchiveReadingThread();
    EXPECT_TRUE(archivesRead);
}

}  // namespace
