// The archive-reading thread the handler takes over or starts, and what joining it publishes
// from the product repository.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <ostream>
#include <set>
#include <system_error>
#include <thread>

#include "support/MockRepositoryAdapter.h"
#include "support/ModelFixture.h"
#include "support/ValueText.h"

namespace {

using install::product_installer::workflow_utils::DataModelHandler;
using testing::Return;
using workflow_test::joined;

class ArchiveReadingThreadTest : public workflow_test::ModelFixture {
protected:
    std::string published() const {
        return joined(handler->getDoesLocalArchivesExist(), independent().getDoesLocalArchivesExist(),
                      handler->getAvailableProducts(), handler->getInstallableProducts(),
                      handler->getSelectedProducts());
    }
};

TEST_F(ArchiveReadingThreadTest, WithoutArchivesNothingIsPublishedAndTheRepositoryIsNotAskedForProducts) {
    handler->initializeProductSelectionModel();
    handler->setDoesLocalArchivesExist(true);
    handler->joinArchiveReadingThread();  // no repository yet
    EXPECT_EQ(published(), "false|false|[]|[]|[]");

    auto repository = std::make_shared<testing::StrictMock<workflow_test::MockRepositoryAdapter>>();
    EXPECT_CALL(*repository, doProductsExist()).WillOnce(Return(false));
    handler->setProductRepoAdapterInstance(repository);
    handler->setDoesLocalArchivesExist(true);
    handler->joinArchiveReadingThread();
    EXPECT_EQ(published(), "false|false|[]|[]|[]");
}

struct Publication {
    const char* name;
    bool runtime;
    std::set<std::u16string> selectedBefore;
    std::string published;
};
void PrintTo(const Publication& row, std::ostream* out) { *out << row.name; }

class ArchivePublicationTest : public ArchiveReadingThreadTest,
                               public testing::WithParamInterface<Publication> {};

TEST_P(ArchivePublicationTest, JoiningPublishesTheRepositorysProducts) {
    auto repository = std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
    ON_CALL(*repository, doProductsExist()).WillByDefault(Return(true));
    ON_CALL(*repository, getAvailableProductBasecodes())
        .WillByDefault(Return(std::vector<std::u16string>{u"RUNTIME", u"COMPILER"}));
    handler->setProductRepoAdapterInstance(repository);
    handler->setIsQRTInstallation(GetParam().runtime);
    handler->initializeProductSelectionModel();
    handler->initializeSelectedProducts(GetParam().selectedBefore);

    handler->joinArchiveReadingThread();
    EXPECT_EQ(published(), GetParam().published);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Installations, ArchivePublicationTest, testing::Values(
    Publication{"Ordinary", false, {}, "true|true|[RUNTIME,COMPILER]|[]|[]"},
    Publication{"RuntimeWithNothingSelected", true, {}, "true|true|[RUNTIME,COMPILER]|[RUNTIME,COMPILER]|[COMPILER,RUNTIME]"},
    Publication{"RuntimeWithASelection", true, {u"COMPILER"}, "true|true|[RUNTIME,COMPILER]|[RUNTIME,COMPILER]|[COMPILER]"}),
    [](const auto& info) { return std::string(info.param.name); });
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

TEST_F(ArchiveReadingThreadTest, JoiningFromTheArchiveThreadItselfThrowsResourceDeadlock) {
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer forgets a thread whose join failed, and aborts on the real join afterwards.
    GTEST_SKIP() << "a failed self-join cannot be followed by a real join under ThreadSanitizer";
#endif
    std::promise<DataModelHandler*> handlerReady;
    std::promise<std::error_code> joinAttempted;
    auto self = std::make_unique<DataModelHandler>(
        installer.model, installer.root,
        std::thread([ready = handlerReady.get_future(), &joinAttempted]() mutable {
            try {
                ready.get()->joinArchiveReadingThread();
                joinAttempted.set_value({});
            } catch (const std::system_error& error) {
                joinAttempted.set_value(error.code());
            }
        }));
    handlerReady.set_value(self.get());
    EXPECT_EQ(joinAttempted.get_future().get(), std::errc::resource_deadlock_would_occur);
    self.reset();  // the thread is still the handler's: destruction must join it, or the process ends
}

}  // namespace
