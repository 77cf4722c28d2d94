// The archive-reading thread the handler takes over or starts, and what joining it publishes
// from the product repository.
#include <gmock/gmock.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <set>
#include <thread>

#include "support/MockRepositoryAdapter.h"
#include "support/ModelFixture.h"

namespace {

using install::product_installer::workflow_utils::DataModelHandler;
using testing::Return;
using workflow_test::joined, workflow_test::PrintTo;

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
