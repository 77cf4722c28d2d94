// The destination-folder page: when it is shown, the folder it proposes, the folder a runtime goes
// into, the root-drive warning, and the content, running-product and product-availability checks
// with their failure tables. Each table also shows that a failed check leaves the later ones undone.
// The plain case (a product into a typed folder, from a folder of archives, nothing running) is the
// installer runs' fresh installation.

#include <stdexcept>

#include "FolderSelectionGateFixture.h"
#include "install/cpputil/Interrupt.h"
#include "install/repository_adapter/RepositoryExceptions.h"
#include "install/validatefolder/DestinationContentExceptions.h"

namespace selection_test {
namespace {

using selection_test::PrintTo;
namespace ra = install::repository_adapter;
namespace vf = install::validatefolder;
using install::platformutil::DefaultDirectoryProvider;
using FolderSelectionGateTest = FolderSelectionGateFixture;

// An executable that is certainly running: this test program.
const std::string kThisProgram = std::filesystem::read_symlink("/proc/self/exe").filename();

TEST_F(FolderSelectionGateTest, IsSkippedOnlyOverAnEarlierRuntimeWhoseFolderIsStillThere) {
    handler->setDefaultFolder(scratch.u16());
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    handler->setHasPrevQRTInstallation(true);
    EXPECT_TRUE(gate.checkIfShouldBeSkipped());
    const auto gone = joinPath(scratch.u16(), u"gone");
    handler->setDefaultFolder(gone);
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    EXPECT_THAT(log.lines(),
                ElementsAre(u"Previous install folder found in Windows Registry does not exist: " + gone));
    gate.skip();
    EXPECT_TRUE(processed(kFolderGate));
}

TEST_F(FolderSelectionGateTest, ProposesTheFolderOfTheOfferedControllingProductOrWhereItIsRecorded) {
    const auto platformFolder = DefaultDirectoryProvider().getPlatformInstallationDirectory(Platform::Linux);
    handler->setOfferedProducts({u"FLOWMERE"});  // controlled by Velora
    handler->setUserInputFolder(u"");
    handler->setIsQRTInstallation(true);
    gate.setDefaultData();
    EXPECT_EQ(handler->getUserInputFolder(), joinPath(platformFolder, u"velora"))
        << "a runtime adds its release later";

    handler->setIsQRTInstallation(false);
    handler->setUserInputFolder(u"");
    gate.setDefaultData();
    EXPECT_EQ(handler->getUserInputFolder(), joinPath(joinPath(platformFolder, u"velora"), u"2031.1"));

    DefaultDirectoryProvider().recordApplicationInstallation(
        u"HKEY_LOCAL_MACHINE", u"InstallationFolder", u"SOFTWARE\\Kestrelix\\Velora", u"/srv/recorded");
    handler->setUserInputFolder(u"/srv/mine");
    gate.setDefaultData();
    EXPECT_EQ(handler->getDefaultFolder(), u"/srv/recorded");
    EXPECT_EQ(handler->getUserInputFolder(), u"/srv/mine") << "a typed folder stays";

    handler->setHasPrevQRTInstallation(true);
    handler->setDefaultFolder(u"/opt/earlier/runtime");
    gate.setDefaultData();
    EXPECT_EQ(handler->getDefaultFolder(), u"/opt/earlier/runtime")
        << "nothing proposed over an earlier runtime";
}

TEST_F(FolderSelectionGateTest, OnMacOsAnApplicationBundleGoesIntoTheApplicationsFolder) {
    gate.platform = Platform::MacOS;
    EXPECT_EQ(gate.getDefaultDir(), u"/Applications");
    const auto bundle = joinPath(u"/Applications", u"Velora.app");
    EXPECT_EQ(gate.appendToInstallFolderForMacOs(u"/Applications"), bundle);
    EXPECT_EQ(gate.appendToInstallFolderForMacOs(bundle), bundle);
    handler->setOfferedProducts({u"QUARRIX"});
    EXPECT_EQ(gate.appendToInstallFolderForMacOs(u"/Applications"), u"/Applications");
}

// --- the folder an installation goes into ---

struct InstallFolderRow {
    std::string name;
    bool runtime, earlierRuntime;
    std::u16string typed, expected, workflow = u"Interactive Install From Folder";
};

class InstallFolderTest : public FolderSelectionGateTest,
                          public testing::WithParamInterface<InstallFolderRow> {};

TEST_P(InstallFolderTest, ARuntimeGoesIntoAFolderOfItsReleaseUnlessItUpdatesTheProposedOne) {
    const auto& row = GetParam();
    handler->setIsQRTInstallation(row.runtime);
    handler->setHasPrevQRTInstallation(row.earlierRuntime);
    handler->setUserInputFolder(row.typed);
    handler->setWorkflow(row.workflow);
    gate.folderValidators.arrange([&](MockFolderValidator& validator) {
        EXPECT_CALL(validator, checkRequired(row.expected, row.workflow == u"DownloadOnly"));
    });

    submit(gate);

    EXPECT_EQ(handler->getInstallFolder(), row.expected);
    const auto figures = gate.getDiagnosticsData().toJson();
    EXPECT_EQ(figures["session.13"], row.typed != kDefaultFolder);
    EXPECT_EQ(figures["session.25"], fl::i18n::to_string(row.expected));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Folders, InstallFolderTest,
    testing::Values(
        InstallFolderRow{"RuntimeInProposedFolder", true, false, kDefaultFolder, joinPath(kDefaultFolder, u"2031.1")},
        InstallFolderRow{"RuntimeUpdatedWhereItIs", true, true, kDefaultFolder, kDefaultFolder},
        InstallFolderRow{"RuntimeMovedElsewhere", true, true, u"/srv/rt", joinPath(u"/srv/rt", u"2031.1")},
        InstallFolderRow{"RuntimeWithNothingTyped", true, false, u"", u""},
        InstallFolderRow{"DownloadMayCreateIt", false, false, u"/srv/dl", u"/srv/dl", u"DownloadOnly"}),
    rowName);
// clang-format on

TEST_F(FolderSelectionGateTest, TheRootDriveWarningIsShownOnceThenTheFolderPasses) {
    handler->setUserInputFolder(u"/");
    gate.folderValidators.arrange([](MockFolderValidator& validator) {
        ON_CALL(validator, checkWarnings(std::u16string(u"/"))).WillByDefault(Return(true));
    });

    submit(gate);
    const auto message = fl::i18n::message("rootDriveWarningMsg", u"/", kDefaultFolder);
    EXPECT_EQ(status(),
              (ShownStatus{Result::Warning, 4, message, fl::i18n::message("rootDriveWarningTitle")}));
    EXPECT_THAT(log.lines(), ElementsAre(message));
    EXPECT_FALSE(processed(kFolderGate));

    submit(gate);
    EXPECT_TRUE(accepted());
}

// --- what the folder already holds ---

struct ContentRow {
    std::string name;
    std::function<void()> conflict;
    std::string offered, installed;
    bool localArchives;
    int resultType;  // 0: the folder is accepted
    std::string code = {}, message = {}, cause = {};
    std::u16string offeredName = {}, installedName = {};  // named by a controlling-product conflict
};

constexpr char kReason[] = "the folder's own reason";
// clang-format off
const ContentRow kContentRows[] = {
    {"Overwrite", raising<vf::OverwriteException>(kReason), "VELORA", "VELORA", true, 8, "700", "The installer cannot install into the specified folder. Select an empty folder to continue.", "OverwriteException"},
    {"ReleaseStatus", raising<vf::ReleaseStatusMismatchException>(kReason), "VELORA", "VELORA", true, 8, "670", "The specified folder contains products that are not compatible with this version", "ReleaseDescriptionMismatchException"},
    {"UpdateLevelFromLocalArchives", raising<vf::UpdateLevelMismatchException>(kReason), "VELORA", "VELORA", true, 8, "710", "The specified folder contains products at a different update level than the installer", "UpdateLevelMismatchException"},
    {"UpdateLevelOnline", raising<vf::UpdateLevelMismatchException>(kReason), "VELORA", "VELORA", false, 0},
    {"AnotherControllingProduct", raising<vf::ControllingProductsMismatchException>(kReason), "QUARRIX", "VELORA", true, 12, "660", "The selected folder has another controlling product installed in it", "ControllingProductsMismatchException", u"Quarrix", u"Velora"},
    {"ParallelServerJoinsVelora", raising<vf::ControllingProductsMismatchException>(kReason), "VELORA_PARALLEL_SERVER", "VELORA", true, 0},
};
// clang-format on

class ContentTest : public FolderSelectionGateTest, public testing::WithParamInterface<ContentRow> {};

TEST_P(ContentTest, AConflictHoldsTheInstallationBackWithItsMessageAndRecord) {
    const auto& row = GetParam();
    handler->setOfferedProducts(codes(row.offered));
    handler->setDoesLocalArchivesExist(row.localArchives);
    gate.engines.arrange(workflow_test::findsInstalled(codes(row.installed)));
    if (row.resultType != 0) gate.windowsExecutable = kThisProgram;  // checked only after the content
    gate.contentValidators.arrange(
        [&](MockContentValidator& validator) { ON_CALL(validator, validate).WillByDefault(row.conflict); });

    ASSERT_NO_THROW(submit(gate));

    EXPECT_EQ(accepted(), row.resultType == 0);
    EXPECT_EQ(errorRecords().empty(), row.resultType == 0);
    if (row.resultType == 0) return;
    EXPECT_THAT(errorRecords(),
                ElementsAre(ErrorRecord{row.code, row.message, kReason,
                                        "FolderSelection::FolderContentValidator::" + row.cause}));
    const auto message = row.resultType == 8 ? fl::i18n::message("overwriteErrorMsg")
                                             : fl::i18n::message("controllingProductConflictMsg",
                                                                 row.offeredName, row.installedName);
    const auto title = row.resultType == 8 ? fl::i18n::message("overwriteErrorTitle") : u"";
    EXPECT_EQ(status(), (ShownStatus{Result::Failure, row.resultType, message, title}));
    EXPECT_THAT(log.lines(), ElementsAre(message));
}

INSTANTIATE_TEST_SUITE_P(Conflicts, ContentTest, testing::ValuesIn(kContentRows), rowName);

TEST_F(FolderSelectionGateTest, ComparesTheFamiliesAndOnlyLogsTheUpdateLevelMismatchOfARuntime) {
    handler->setIsQRTInstallation(true);
    handler->setOfferedProducts({u"QUARRIX"});
    gate.engines.arrange(workflow_test::findsInstalled({u"FLOWMERE"}));
    gate.contentValidators.arrange([](MockContentValidator& validator) {
        EXPECT_CALL(validator, validate(std::u16string(u"Velora"), std::u16string(u"Quarrix")))
            .WillOnce(testing::Throw(vf::UpdateLevelMismatchException("2, not 3")));
    });
    submit(gate);
    EXPECT_THAT(gate.contentFolders, ElementsAre(joinPath(kDefaultFolder, u"2031.1")));
    EXPECT_TRUE(accepted());
    EXPECT_EQ(log.lines().front(), u"Update levels of the installer and existing installation are different");
}

// --- a product running from the folder ---

struct RunningRow {
    std::string name;
    std::function<void(install::product_installer::workflow_utils::DataModelHandler&)> arrange;
    bool lookedFor;
};

// The workflows and runs that skip the check are one condition; one row stands for them. Every
// accepted folder elsewhere shows a product that is not running.
// clang-format off
const RunningRow kRunningRows[] = {
    {"Running", [](auto& h) { h.setProductRepoAdapterInstance(nullptr); }, true},  // nothing checked after
    {"DownloadOnly", [](auto& h) { h.setWorkflow(u"DownloadOnly"); }, false},
    {"NoExecutableNamed", [](auto& h) { h.setOfferedProducts({u"QUARRIX"}); }, false},
};
// clang-format on

class RunningProductTest : public FolderSelectionGateTest, public testing::WithParamInterface<RunningRow> {};

TEST_P(RunningProductTest, ARunningProductHoldsAnInstallationBackWhereItIsLookedFor) {
    GetParam().arrange(*handler);
    gate.windowsExecutable = kThisProgram;  // certainly running

    submit(gate);

    EXPECT_EQ(accepted(), !GetParam().lookedFor);
    if (GetParam().lookedFor) {
        EXPECT_EQ(status(),
                  (ShownStatus{Result::Failure, 1, fl::i18n::message("productExecutableRunningErrorMsg"),
                               fl::i18n::message("standardErrorTitle")}));
    }
}

INSTANTIATE_TEST_SUITE_P(Installations, RunningProductTest, testing::ValuesIn(kRunningRows), rowName);

// --- the installed products (an installation run into a folder of an earlier one reads them) ---

TEST_F(FolderSelectionGateTest, AnUnreadableInstallationRecordIsLoggedAndPassedOn) {
    gate.engines.arrange(workflow_test::findsUnreadableRecord());
    EXPECT_THROW(submit(gate), install::engine::EngineInvalidInstalledProductsException);
    EXPECT_THAT(log.lines(), ElementsAre(u"Failed to retrieve installed products"));
}

// --- whether products can be had ---

enum Online { Products, Empty, Fails, FailsWhileBrokenOff, Unregistered };

struct AvailabilityRow {
    std::string name, held;  // the products of the held folder of archives; empty: none is held
    bool runtime;
    Online online;
    bool onlineUsed;
    std::function<void()> failure = {};                     // of the online product list
    std::string messageKey = {}, titleKey = {}, code = {};  // of a failure with result type 1
};

template <class Kind>
std::function<void()> failing() {
    return raising<Kind>("2800", "Product list unavailable", "HTTP 503", "RepoAdapter::getProducts");
}

// clang-format off
const AvailabilityRow kAvailabilityRows[] = {
    {"RuntimeNeedsNone", "", true, Products, false},
    {"FolderWithOnlyTheLicenseManager", "LICENSEMANAGER", false, Products, true},
    {"NoRepositoryHeld", "", false, Products, true},
    {"OnlineServiceMissing", "", false, Unregistered, false},
    {"OnlineEmpty", "", false, Empty, true, {}, "noProductsAlertMsg", "noProductsAlertTitle", "690"},
    {"WebServiceFailure", "", false, Fails, true, failing<ra::RepoAdapterWebServiceException>(), "connectionErrorMsg", "connectionErrorTitle", "2800"},
    {"DownloadFailure", "", false, Fails, true, failing<ra::RepoAdapterDWSDownloadException>(), "noProductsAlertMsg", "noProductsAlertTitle", "2800"},
    {"ExtractFailure", "", false, Fails, true, failing<ra::RepoAdapterDWSExtractException>(), "noProductsAlertMsg", "noProductsAlertTitle", "2800"},
    {"ExtractBrokenOffByTheUser", "", false, FailsWhileBrokenOff, true, failing<ra::RepoAdapterDWSExtractException>()},
};
// clang-format on

class AvailabilityTest : public FolderSelectionGateTest, public testing::WithParamInterface<AvailabilityRow> {
protected:
    AvailabilityTest() {
        // Another kind of repository comes first, so that only the filter can pick the right one.
        registry->registerService<ra::RepositoryAdapter>(
            std::make_shared<testing::StrictMock<workflow_test::MockRepositoryAdapter>>(),
            {{"type", "folderproduct"}});
        registry->registerService<ra::RepositoryAdapter>(online, {{"type", "onlineproduct"}});
        gate.setServiceRegistry(registry);
        handler->setProductRepoAdapterInstance(nullptr);
        handler->initializeProxy();
        independent().getProxy().setUserName(u"j\u00fcrgen");
        independent().getProxy().setPassword(u"p\u00e4ss");
    }
    void TearDown() override { install::cpputil::interrupt::reset(); }

    std::shared_ptr<workflow_test::MockRepositoryAdapter> online =
        std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
    std::shared_ptr<microservices::ServiceRegistry> registry =
        std::make_shared<microservices::ServiceRegistry>();
};

TEST_P(AvailabilityTest, ProductsComeFromTheHeldFolderOrElseTheOnlineRepository) {
    const auto& row = GetParam();
    ON_CALL(*folderRepository, getAvailableProductBasecodes).WillByDefault(Return(codes(row.held)));
    if (!row.held.empty()) handler->setProductRepoAdapterInstance(folderRepository);
    handler->setIsQRTInstallation(row.runtime);
    ON_CALL(*online, doProductsExist).WillByDefault(Return(row.online != Empty));
    if (row.failure) {
        ON_CALL(*online, getAvailableProducts).WillByDefault([&] {
            row.failure();
            return ra::ProductMap{};
        });
    }
    if (row.online == FailsWhileBrokenOff) install::cpputil::interrupt::set();
    if (row.online == Unregistered) gate.setServiceRegistry(nullptr);
    EXPECT_CALL(*online, setProxyCredentials("j\xc3\xbcrgen", "p\xc3\xa4ss")).Times(row.onlineUsed ? 1 : 0);

    try {
        submit(gate);
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Failed to load repository adapter microservice");
        EXPECT_EQ(row.online, Unregistered);
    }

    EXPECT_EQ(handler->getProductRepoAdapterInstance() == online, row.onlineUsed);
    EXPECT_EQ(accepted(), row.code.empty() && row.online < FailsWhileBrokenOff);
    EXPECT_EQ(errorRecords().empty(), row.code.empty());
    if (row.code.empty()) return;
    const auto message = fl::i18n::message(row.messageKey, u"2031.1", "w64pc");
    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 1, message, fl::i18n::message(row.titleKey)}));
    EXPECT_THAT(log.lines(), ElementsAre(message));
    EXPECT_THAT(errorRecords(),
                ElementsAre(row.code == "690"
                                ? ErrorRecord{"690", "Unable to retrieve products", "",
                                              "FolderSelection::OnlineProductRepoAdapter::doProductsExist"}
                                : ErrorRecord{"2800", "Product list unavailable", "HTTP 503",
                                              "FolderSelection::RepoAdapter::getProducts"}));
}

INSTANTIATE_TEST_SUITE_P(Repositories, AvailabilityTest, testing::ValuesIn(kAvailabilityRows), rowName);

}  // namespace
}  // namespace selection_test
