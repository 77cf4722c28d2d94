// Whether products can be had for the installation: the repository the installer already holds,
// or else the online repository found in the host's service registry, and how its failures read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "FolderSelectionGateFixture.h"
#include "fl/i18n/Message.h"
#include "gates/selection/FolderSelectionGate.h"
#include "install/cpputil/Interrupt.h"
#include "install/repository_adapter/RepoAdapterConfiguration.h"
#include "install/repository_adapter/RepositoryExceptions.h"
#include "microservices/ServiceRegistry.h"

namespace {

namespace ra = install::repository_adapter;
using testing::_;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::NiceMock;
using testing::Return;
using testing::SaveArg;
using testing::StrictMock;
using testing::Throw;
using workflow_test::ErrorRecord;
using workflow_test::MockRepositoryAdapter;
using workflow_test::ShownStatus;

class ProductAvailabilityTest : public workflow_test::FolderSelectionGateFixture {
protected:
    ProductAvailabilityTest() {
        ON_CALL(*online, doProductsExist).WillByDefault(Return(true));
        // Another kind of repository comes first, so that only the filter can pick the right one.
        registry->registerService<ra::RepositoryAdapter>(
            std::make_shared<StrictMock<MockRepositoryAdapter>>(), {{"type", "folderproduct"}});
        registry->registerService<ra::RepositoryAdapter>(online, {{"type", "onlineproduct"}});
        gate.setServiceRegistry(registry);
    }
    void onlyTheLicenseManagerInTheFolder() const {
        ON_CALL(*folderRepository, getAvailableProductBasecodes)
            .WillByDefault(Return(std::vector<std::u16string>{u"LICENSEMANAGER"}));
    }

    std::shared_ptr<MockRepositoryAdapter> online = std::make_shared<NiceMock<MockRepositoryAdapter>>();
    std::shared_ptr<microservices::ServiceRegistry> registry =
        std::make_shared<microservices::ServiceRegistry>();
};

TEST_F(ProductAvailabilityTest, AFolderOfArchivesWithProductsIsEnough) {
    EXPECT_CALL(*online, configure).Times(0);
    gate.processData();
    EXPECT_TRUE(acceptedOnce());
    EXPECT_EQ(handler->getProductRepoAdapterInstance(), folderRepository);
    EXPECT_TRUE(handler->IsFolderRepoInstance());
}

TEST_F(ProductAvailabilityTest, ARuntimeNeedsNoRepository) {
    handler->setProductRepoAdapterInstance(nullptr);
    gate.setServiceRegistry(nullptr);
    handler->setIsQRTInstallation(true);
    gate.processData();
    EXPECT_TRUE(acceptedOnce());
}

TEST_F(ProductAvailabilityTest, OnlyTheLicenseManagerCountsAsNoProducts) {
    onlyTheLicenseManagerInTheFolder();
    EXPECT_FALSE(gate.doProductsExists());
    EXPECT_TRUE(gate.shouldCreateOnlineRepo());
    EXPECT_CALL(*online, getAvailableProducts);

    gate.processData();

    EXPECT_TRUE(acceptedOnce());
    EXPECT_EQ(handler->getProductRepoAdapterInstance(), online);
    EXPECT_FALSE(handler->IsFolderRepoInstance());
}

TEST_F(ProductAvailabilityTest, TheOnlineRepositoryIsUsedWhenNoneIsHeldOrItIsNotAFolder) {
    handler->setProductRepoAdapterInstance(nullptr);
    EXPECT_TRUE(gate.shouldCreateOnlineRepo());

    handler->setProductRepoAdapterInstance(folderRepository);
    handler->setIsFolderRepoInstance(false);
    EXPECT_FALSE(gate.doProductsExists()) << "only a folder of archives is asked";
    EXPECT_TRUE(gate.shouldCreateOnlineRepo());
}

TEST_F(ProductAvailabilityTest, TheOnlineRepositoryLearnsAboutTheInstallerAndTheFolder) {
    onlyTheLicenseManagerInTheFolder();
    independent().getRelease().setStatus(u"Prerelease");
    independent().setInstallerName(u"Velora Installer");
    independent().setInstallerVersion(u"31.0.1");
    independent().setClientString(u"velora-installer/31");
    handler->initializeLoginModelForResponseParameters();
    independent().getUserInfo().setAccessToken(u"token-123");
    installed({u"VELORA"});
    ra::config::RepoAdapterConfiguration configuration;
    EXPECT_CALL(*online, configure).WillOnce(SaveArg<0>(&configuration));
    EXPECT_CALL(*online, setProxyCredentials).Times(0);

    gate.processData();

    EXPECT_EQ(configuration.getReleaseFamily(), u"R2031a");
    EXPECT_EQ(configuration.getReleaseStatus(), u"Prerelease");
    EXPECT_EQ(configuration.getInstallerName(), u"Velora Installer");
    EXPECT_EQ(configuration.getKxAccountToken(), u"token-123");
    EXPECT_EQ(configuration.getInstallerVersion(), u"31.0.1");
    EXPECT_EQ(configuration.getClientString(), u"velora-installer/31");
    EXPECT_EQ(configuration.getUpdateNo(), -1) << "the folder holds no release file";
    EXPECT_TRUE(configuration.getIsKestrelixProductInstaller());
}

TEST_F(ProductAvailabilityTest, ProxyCredentialsReachTheOnlineRepository) {
    onlyTheLicenseManagerInTheFolder();
    handler->initializeProxy();
    independent().getProxy().setUserName(u"j\u00fcrgen");
    independent().getProxy().setPassword(u"p\u00e4ss");
    EXPECT_CALL(*online, setProxyCredentials("j\xc3\xbcrgen", "p\xc3\xa4ss"));

    gate.processData();
}

TEST_F(ProductAvailabilityTest, WithoutTheOnlineRepositoryServiceTheGateCannotGoOn) {
    onlyTheLicenseManagerInTheFolder();
    gate.setServiceRegistry(std::make_shared<microservices::ServiceRegistry>());
    EXPECT_THAT([&] { gate.processData(); }, testing::ThrowsMessage<std::runtime_error>(testing::StrEq(
                                                 "Failed to load repository adapter microservice")));

    gate.setServiceRegistry(nullptr);
    EXPECT_THROW(gate.processData(), std::runtime_error);
    EXPECT_FALSE(processed());
}

TEST_F(ProductAvailabilityTest, AnEmptyOnlineRepositoryIsReported) {
    onlyTheLicenseManagerInTheFolder();
    ON_CALL(*online, doProductsExist).WillByDefault(Return(false));

    gate.processData();

    const auto message = fl::i18n::message("noProductsAlertMsg", u"R2031a", "w64pc");
    EXPECT_EQ(status(),
              (ShownStatus{Result::Failure, 1, message, fl::i18n::message("noProductsAlertTitle")}));
    EXPECT_THAT(logLines(), ElementsAre(message));
    EXPECT_THAT(errorRecords(),
                ElementsAre(ErrorRecord{"690", "Unable to retrieve products", "",
                                        "FolderSelection::OnlineProductRepoAdapter::doProductsExist"}));
    EXPECT_FALSE(processed());
}

// --- failures while the product list loads ---

struct RepositoryFailureRow {
    std::string kind;
    std::function<void()> raise;
    std::function<std::u16string()> message;
    std::function<std::u16string()> title;
    friend void PrintTo(const RepositoryFailureRow& row, std::ostream* out) { *out << row.kind; }
};

class RepositoryFailureTest : public ProductAvailabilityTest,
                              public testing::WithParamInterface<RepositoryFailureRow> {
protected:
    void TearDown() override { install::cpputil::interrupt::reset(); }
};

TEST_P(RepositoryFailureTest, IsShownLoggedAndReportedWithTheRepositorysOwnRecord) {
    onlyTheLicenseManagerInTheFolder();
    EXPECT_CALL(*online, getAvailableProducts).WillOnce([&]() -> ra::ProductMap {
        GetParam().raise();
        return {};
    });
    EXPECT_CALL(*online, doProductsExist).Times(0);

    ASSERT_NO_THROW(gate.processData());

    const auto message = GetParam().message();
    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 1, message, GetParam().title()}));
    EXPECT_THAT(logLines(), ElementsAre(message));
    EXPECT_THAT(errorRecords(), ElementsAre(ErrorRecord{"2800", "Product list unavailable", "HTTP 503",
                                                        "FolderSelection::RepoAdapter::getProducts"}));
    EXPECT_FALSE(processed());
}

template <class Kind>
std::function<void()> raising() {
    return [] { throw Kind("2800", "Product list unavailable", "HTTP 503", "RepoAdapter::getProducts"); };
}

INSTANTIATE_TEST_SUITE_P(
    RepositoryTable, RepositoryFailureTest,
    testing::Values(
        RepositoryFailureRow{"WebService", raising<ra::RepoAdapterWebServiceException>(),
                             [] { return fl::i18n::message("connectionErrorMsg", u"R2031a", "w64pc"); },
                             [] { return fl::i18n::message("connectionErrorTitle"); }},
        RepositoryFailureRow{"Download", raising<ra::RepoAdapterDWSDownloadException>(),
                             [] { return fl::i18n::message("noProductsAlertMsg", u"R2031a", "w64pc"); },
                             [] { return fl::i18n::message("noProductsAlertTitle"); }},
        RepositoryFailureRow{"Extract", raising<ra::RepoAdapterDWSExtractException>(),
                             [] { return fl::i18n::message("noProductsAlertMsg", u"R2031a", "w64pc"); },
                             [] { return fl::i18n::message("noProductsAlertTitle"); }}),
    [](const testing::TestParamInfo<RepositoryFailureRow>& info) { return info.param.kind; });

TEST_F(ProductAvailabilityTest, AnUnpackingBrokenOffByTheUserIsNotReported) {
    onlyTheLicenseManagerInTheFolder();
    ON_CALL(*online, getAvailableProducts)
        .WillByDefault(Throw(ra::RepoAdapterDWSExtractException("2810", "cancelled", "", "")));
    install::cpputil::interrupt::set();

    gate.processData();
    install::cpputil::interrupt::reset();

    EXPECT_EQ(status(), earlierStatus());
    EXPECT_THAT(logLines(), IsEmpty());
    EXPECT_THAT(errorRecords(), IsEmpty());
    EXPECT_FALSE(processed());
}

TEST_F(ProductAvailabilityTest, ARecordWithoutLocationIsPlacedInTheFolderPage) {
    EXPECT_CALL(*online, getAvailableProducts)
        .WillOnce(Throw(ra::RepoAdapterDWSDownloadException("2820", "no list", "", "")));
    EXPECT_FALSE(gate.getAvailableProducts(online));
    ASSERT_EQ(errorRecords().size(), 1u);
    EXPECT_EQ(errorRecords()[0].location, "FolderSelection");
    EXPECT_EQ(gate.getFolderSelectionLocation(), "FolderSelection");
}

}  // namespace
