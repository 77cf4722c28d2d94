// The archive-reading thread the handler takes over or starts, and what joining it publishes
// from the product repository.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "support/MockRepositoryAdapter.h"
#include "support/ModelFixture.h"

namespace {

using install::product_installer::workflow_utils::DataModelHandler;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::NiceMock;
using testing::Return;
using testing::StrictMock;
using testing::UnorderedElementsAre;
using workflow_test::MockRepositoryAdapter;
using workflow_test::ModelFixture;

class ArchiveReadingThreadTest : public ModelFixture {
protected:
    // A repository that holds the given products, in the order it lists them.
    std::shared_ptr<NiceMock<MockRepositoryAdapter>> repositoryHolding(std::vector<std::u16string> products) {
        auto adapter = std::make_shared<NiceMock<MockRepositoryAdapter>>();
        ON_CALL(*adapter, doProductsExist()).WillByDefault(Return(!products.empty()));
        ON_CALL(*adapter, getAvailableProductBasecodes()).WillByDefault(Return(products));
        return adapter;
    }

    void runtimeInstallationWithSelection(const std::set<std::u16string>& selected) const {
        handler->setIsQRTInstallation(true);
        handler->initializeProductSelectionModel();
        handler->initializeSelectedProducts(selected);
    }
};

TEST_F(ArchiveReadingThreadTest, WithoutAdapterTheLocalArchivesFlagBecomesFalse) {
    handler->setDoesLocalArchivesExist(true);
    handler->joinArchiveReadingThread();
    EXPECT_FALSE(handler->getDoesLocalArchivesExist());
    EXPECT_FALSE(independent().getDoesLocalArchivesExist());
    EXPECT_THAT(handler->getAvailableProducts(), IsEmpty());
}

TEST_F(ArchiveReadingThreadTest, TakesOverTheGivenThreadAndJoinsIt) {
    bool archivesRead = false;  // no atomic: the join itself must order the write before our read
    auto reading =
        std::make_shared<DataModelHandler>(installer.model, installer.root, std::thread([&archivesRead] {
                                               std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                               archivesRead = true;
                                           }));
    reading->joinArchiveReadingThread();
    EXPECT_TRUE(archivesRead);
}

TEST_F(ArchiveReadingThreadTest, AdapterWithoutArchivesIsNotAskedForProducts) {
    auto adapter = std::make_shared<StrictMock<MockRepositoryAdapter>>();
    EXPECT_CALL(*adapter, doProductsExist()).WillOnce(Return(false));
    handler->setProductRepoAdapterInstance(adapter);
    handler->setAvailableProducts({u"EARLIER"});

    handler->joinArchiveReadingThread();

    EXPECT_FALSE(handler->getDoesLocalArchivesExist());
    EXPECT_THAT(handler->getAvailableProducts(), ElementsAre(u"EARLIER"));
}

TEST_F(ArchiveReadingThreadTest, OrdinaryInstallationPublishesOnlyTheAvailableProducts) {
    handler->setProductRepoAdapterInstance(repositoryHolding({u"VELORA", u"SIMULINK"}));
    handler->initializeProductSelectionModel();

    handler->joinArchiveReadingThread();

    EXPECT_TRUE(handler->getDoesLocalArchivesExist());
    EXPECT_TRUE(independent().getDoesLocalArchivesExist());
    EXPECT_THAT(handler->getAvailableProducts(), ElementsAre(u"VELORA", u"SIMULINK"));
    EXPECT_THAT(handler->getInstallableProducts(), IsEmpty());
    EXPECT_THAT(handler->getSelectedProducts(), IsEmpty());
}

TEST_F(ArchiveReadingThreadTest, RuntimeInstallationWithNothingSelectedSelectsEveryProduct) {
    handler->setProductRepoAdapterInstance(repositoryHolding({u"VELORA_RUNTIME", u"COMPILER", u"A_TOOLBOX"}));
    runtimeInstallationWithSelection({});

    handler->joinArchiveReadingThread();

    EXPECT_TRUE(handler->getDoesLocalArchivesExist());
    EXPECT_THAT(handler->getAvailableProducts(), ElementsAre(u"VELORA_RUNTIME", u"COMPILER", u"A_TOOLBOX"));
    EXPECT_THAT(handler->getInstallableProducts(), ElementsAre(u"VELORA_RUNTIME", u"COMPILER", u"A_TOOLBOX"));
    EXPECT_THAT(handler->getSelectedProducts(),
                UnorderedElementsAre(u"VELORA_RUNTIME", u"COMPILER", u"A_TOOLBOX"));
}

TEST_F(ArchiveReadingThreadTest, RuntimeInstallationLeavesAnExistingSelectionAlone) {
    handler->setProductRepoAdapterInstance(repositoryHolding({u"VELORA_RUNTIME", u"COMPILER"}));
    runtimeInstallationWithSelection({u"COMPILER"});

    handler->joinArchiveReadingThread();

    EXPECT_THAT(handler->getAvailableProducts(), ElementsAre(u"VELORA_RUNTIME", u"COMPILER"));
    EXPECT_THAT(handler->getInstallableProducts(), ElementsAre(u"VELORA_RUNTIME", u"COMPILER"));
    EXPECT_THAT(handler->getSelectedProducts(), ElementsAre(u"COMPILER"));
}

TEST_F(ArchiveReadingThreadTest, JoiningTwiceAsksTheRepositoryAgain) {
    auto adapter = std::make_shared<StrictMock<MockRepositoryAdapter>>();
    EXPECT_CALL(*adapter, doProductsExist()).Times(2).WillRepeatedly(Return(true));
    EXPECT_CALL(*adapter, getAvailableProductBasecodes())
        .WillOnce(Return(std::vector<std::u16string>{u"VELORA"}))
        .WillOnce(Return(std::vector<std::u16string>{u"VELORA", u"SIMULINK"}));
    handler->setProductRepoAdapterInstance(adapter);

    handler->joinArchiveReadingThread();
    EXPECT_NO_THROW(handler->joinArchiveReadingThread());

    EXPECT_THAT(handler->getAvailableProducts(), ElementsAre(u"VELORA", u"SIMULINK"));
}

TEST_F(ArchiveReadingThreadTest, RepositoryFailurePassesToTheCaller) {
    auto adapter = std::make_shared<NiceMock<MockRepositoryAdapter>>();
    ON_CALL(*adapter, doProductsExist())
        .WillByDefault(testing::Throw(std::runtime_error("archive folder gone")));
    handler->setProductRepoAdapterInstance(adapter);
    EXPECT_THROW(handler->joinArchiveReadingThread(), std::runtime_error);
}

TEST_F(ArchiveReadingThreadTest, JoiningFromTheArchiveThreadItselfThrowsResourceDeadlock) {
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer's pthread_join forgets a thread whose join failed, and its own check
    // aborts when the thread is joined for real afterwards.
    GTEST_SKIP() << "a failed self-join cannot be followed by a real join under ThreadSanitizer";
#endif
    std::promise<DataModelHandler*> handlerReady;
    std::promise<std::error_code> joinAttempted;
    auto self = std::make_unique<DataModelHandler>(
        installer.model, installer.root,
        std::thread([ready = handlerReady.get_future(), &joinAttempted]() mutable {
            DataModelHandler* const handler = ready.get();
            try {
                handler->joinArchiveReadingThread();
                joinAttempted.set_value({});
            } catch (const std::system_error& error) {
                joinAttempted.set_value(error.code());
            }
        }));
    handlerReady.set_value(self.get());

    EXPECT_EQ(joinAttempted.get_future().get(), std::errc::resource_deadlock_would_occur);
    // The thread is still the handler's: destruction joins it.
    self.reset();
}

TEST_F(ArchiveReadingThreadTest, DestructionWaitsForAStillRunningReader) {
    std::atomic<bool> finished{false};
    std::promise<void> started;
    auto reading = std::make_unique<DataModelHandler>(
        installer.model, installer.root, std::thread([&finished, &started] {
            started.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            finished.store(true, std::memory_order_relaxed);
        }));
    started.get_future().wait();

    reading.reset();
    EXPECT_TRUE(finished.load(std::memory_order_relaxed));
}

TEST_F(ArchiveReadingThreadTest, DestructionAfterJoinDoesNotJoinAgain) {
    auto reading = std::make_unique<DataModelHandler>(installer.model, installer.root, std::thread([] {}));
    reading->joinArchiveReadingThread();
    EXPECT_NO_THROW(reading.reset());
}

TEST_F(ArchiveReadingThreadTest, AdapterAndProductMapAreSharedNotCopied) {
    auto adapter = repositoryHolding({});
    handler->setProductRepoAdapterInstance(adapter);
    EXPECT_EQ(handler->getProductRepoAdapterInstance(), adapter);

    DataModelHandler::AvailableProductMap products{{u"VELORA", nullptr}};
    handler->setAvailableProductMap(products);
    handler->setAvailableProductMap(handler->getAvailableProductMap());
    EXPECT_EQ(handler->getAvailableProductMap(), products);
}

}  // namespace
