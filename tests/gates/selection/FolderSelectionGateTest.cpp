// The destination-folder page: when it is shown, the folder it proposes, the folder a runtime goes
// into, the root-drive warning, and the content, running-product and product-availability checks
// with their failure tables. Each table also shows that a failed check leaves the later ones undone.
// The plain case (a product into a typed folder, from a folder of archives, nothing running) is the
// installer runs' fresh installation.
//
// The folder-validation table: each refusal of the folder validator as the destination-folder page
// reports it, and as the options page does for the symbolic-link folder (with records of its own).
// A page that does not recognise a refusal logs it and throws it on. (The utility for pages without
// folder rules of their own reports the same rows through the same description; no page uses it.)

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "SelectionTesting.h"
#include "gates/selection/FolderExceptionUtility.h"
#include "gates/selection/FolderSelectionGate.h"
#include "gates/selection/OptionSelectionGate.h"
#include "install/cpputil/InstallerException.h"
#include "install/cpputil/Interrupt.h"
#include "install/repository_adapter/RepositoryExceptions.h"
#include "install/validatefolder/DestinationContentExceptions.h"
#include "install/validatefolder/FolderValidatorExceptions.h"
#include "support/ScopedEnvironmentVariable.h"

namespace selection_test {
namespace {

using selection_test::PrintTo;
namespace ra = install::repository_adapter;
namespace vf = install::validatefolder;
namespace wu = install::product_installer::workflow_utils;
using install::platformutil::DefaultDirectoryProvider, install::platformutil::Platform;

// The destination-folder page of an installation of Velora from a folder of archives, over a real
// model. The validators, the engine and the folder of archives are mocks that let the folder
// through; a test changes the one answer it is about. Default folders and running processes are
// this machine's.

struct MockContentValidator : install::validatefolder::DestinationContentValidator {
    MockContentValidator() : DestinationContentValidator(u"") {}
    MOCK_METHOD(void, validate, (const std::u16string&, const std::u16string&), (const, override));
};

class TestableFolderSelectionGate : public install::product_installer::workflow_utils::FolderSelectionGate {
public:
    using FolderSelectionGate::appendToInstallFolderForMacOs;
    using FolderSelectionGate::FolderSelectionGate;
    using FolderSelectionGate::getDefaultDir;
    using FolderSelectionGate::getDiagnosticsData;

    MockSupply<workflow_test::MockFolderValidator> folderValidators;
    MockSupply<MockContentValidator> contentValidators;
    MockSupply<workflow_test::MockEngine> engines;
    std::optional<Platform> platform;
    // The Windows executable whose running process holds an installation back.
    std::string windowsExecutable = "velora.exe";
    mutable Texts contentFolders;  // the folder each content validator was made for

protected:
    std::unique_ptr<install::validatefolder::FolderValidator> getFolderValidator() const override {
        return folderValidators.next();
    }
    std::unique_ptr<install::validatefolder::DestinationContentValidator> getDestinationContentValidator(
        const std::u16string& folder) const override {
        contentFolders.push_back(folder);
        return contentValidators.next();
    }
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override { return engines.next(); }
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override {
        return std::make_unique<install::productidentifier::ProductIdentifier>(
            selectionCatalogue(windowsExecutable));
    }
    Platform getCurrentPlatform() const override {
        return platform.value_or(FolderSelectionGate::getCurrentPlatform());
    }
};

inline constexpr char16_t kFolderGate[] = u"FolderSelectionGate";
inline constexpr char16_t kDefaultFolder[] = u"/opt/velora/2031.1";

class FolderSelectionGateTest : public workflow_test::GateFixture {
protected:
    FolderSelectionGateTest() {
        ON_CALL(*folderRepository, getAvailableProductBasecodes)
            .WillByDefault(testing::Return(Texts{u"LICENSEMANAGER", u"VELORA"}));
        handler->setProductRepoAdapterInstance(folderRepository);
        handler->setIsFolderRepoInstance(true);
        handler->setDoesLocalArchivesExist(true);
        handler->setWorkflow(u"Interactive Install From Folder");
        handler->setOfferedProducts({u"VELORA"});
        handler->initializeInstallFolderModel();
        handler->setDefaultFolder(kDefaultFolder);
        handler->setUserInputFolder(kDefaultFolder);
    }

    // Processed, valid and logged as such exactly once.
    bool accepted() const {
        const auto lines = log.lines();
        return processed(kFolderGate) && status().result == Result::Valid &&
               std::count(lines.begin(), lines.end(), u"Folder validation is successful.") == 1;
    }

    // Where installations are recorded: none of this machine's.
    workflow_test::ScratchFolder scratch;
    workflow_test::ScopedEnvironmentVariable registryRoot{"VELORA_REGISTRY_ROOT", scratch.path().string()};
    std::shared_ptr<workflow_test::MockRepositoryAdapter> folderRepository =
        std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
    TestableFolderSelectionGate gate{kFolderGate, handler};
};

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
    std::u16string proxyPassword = u"p\u00e4ss";            // credentials go on only with both values
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
    {"ProxyUserWithoutPassword", "", false, Products, true, {}, {}, {}, {}, u""},
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
    independent().getProxy().setPassword(row.proxyPassword);
    EXPECT_CALL(*online, setProxyCredentials("j\xc3\xbcrgen", "p\xc3\xa4ss"))
        .Times(row.onlineUsed && !row.proxyPassword.empty() ? 1 : 0);
    EXPECT_CALL(*online, setProxyCredentials(testing::_, "")).Times(0);

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

// --- the folder-validation table ---

constexpr char16_t kFolder[] = u"/srv/velora";
constexpr char kWhy[] = "refused by the validator";

struct FolderRow {
    std::string name;
    std::function<void()> raise;
    std::u16string shown;  // the message
    bool byPage, byLink;   // which recognise the kind
    std::string code = {}, message = {}, cause = {}, linkCode = {}, linkMessage = {}, linkCause = {};
};

using fl::i18n::message;
const std::string kInvalid = "Invalid characters or destination folder named private";
// clang-format off
const FolderRow kRows[] = {
    {"NonEnglishCharacter", raising<vf::FolderValidatorExceptionNonEnglishCharacter>(kWhy), message("folderNonEnglishCharacter"), true, true, "600", "Folder names cannot contain non-English characters", "FolderValidatorExceptionNonEnglishCharacter", "1000", "Symbolic link folder cannot contain non-English characters", "FolderValidatorExceptionNonEnglishCharacter"},
    {"InvalidCharacter", raising<vf::FolderValidatorExceptionInvalidCharacter>(kWhy), message("folderInvalidCharacterWin", u"'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'"), true, true, "610", kInvalid, "FolderValidatorExceptionInvalidCharacter", "1010", "Symbolic link folder name contains invalid characters", "FolderValidatorExceptionInvalidCharacter"},
    {"TrailingDots", raising<vf::FolderValidatorExceptionTrailingDotsOnWindows>(kWhy), message("folderNameWithTrailingDots"), true, false, "610", kInvalid, "FolderValidatorExceptionInvalidCharacter"},
    {"WritePermission", raising<vf::FolderValidatorExceptionWritePermission>(kWhy), message("folderWritePermission"), true, true, "620", "Unable to write to the selected folder", "FolderValidatorExceptionWritePermission", "1020", "Unable to write to the selected symbolic link folder", "FolderValidatorExceptionWritePermission"},
    {"FailedToCreateFolder", raising<vf::FolderValidatorFailedToCreateFolder>(kWhy), message("folderCreationFailed", kFolder), true, true, "630", "Failed to create folder", "FolderValidatorFailedToCreateFolder", "1030", "Failed to create symbolic link", "FolderValidatorFailedToCreateFolder"},
    {"AbsolutePath", raising<vf::FolderValidatorAbsolutePath>(kWhy), message("folderNotAbsolutePath"), true, true, "640", "The folder must be an absolute path", "FolderValidatorAbsolutePath", "1040", "Symbolic link folder must be an absolute path", "FolderValidatorAbsolutePath"},
    {"NotADirectory", raising<vf::FolderValidatorNotADirectory>(kWhy), message("folderNotADirectory"), true, true, "650", "The folder is not a directory", "FolderValidatorNotADirectory", "1050", "Symbolic link folder is not a directory", "FolderValidatorNotADirectory"},
    {"UsersDefaultAppData", raising<vf::FolderContainsUsersDefaultAppDataError>(kWhy), message("folderContainsUsersDefaultAppData"), true, true, "730", "The folder contains user default AppData", "FolderContainsUserAppDataError", "1090", "Symbolic link folder contains user default AppData", "FolderContainsUsersDefaultAppDataError"},
    {"InstallerRoot", raising<vf::FolderIsInstallerRootError>(kWhy), message("folderIsInstallerRoot"), true, true, "740", "The folder is same as installer root", "FolderIsInstallerRootError", "1100", "Symbolic link folder is installer root", "FolderIsInstallerRootError"},
    {"OtherStandardException", raising<std::length_error>(kWhy), u"", false, false},
};
// clang-format on

struct MockTlmxUtil : install::tlmx::TlmxUtil {
    MOCK_METHOD(void, collectErrorInfo,
                (const std::string&, const std::string&, const std::string&, const std::string&),
                (const, override));
};

// A page or utility whose folder validators are the test's.
template <class Checker>
class WithMockValidators : public Checker {
public:
    using Checker::Checker;
    MockSupply<MockFolderValidator> validators;

private:
    std::unique_ptr<vf::FolderValidator> getFolderValidator() const override { return validators.next(); }
};

class FolderValidationTableTest : public FolderSelectionGateTest,
                                  public testing::WithParamInterface<FolderRow> {
protected:
    // The validator of `validators` refuses the folder with the row's kind.
    static void refuse(MockSupply<MockFolderValidator>& validators) {
        validators.arrange([](MockFolderValidator& validator) {
            EXPECT_CALL(validator, checkRequired(std::u16string(kFolder), false)).WillOnce(GetParam().raise);
        });
    }
    // Submits `page`. A recognised refusal is shown, logged and recorded as `known`; any other is
    // logged as the validator worded it, recorded as `unknown` and thrown on as an InstallerException
    // made of it, and the page keeps what it showed.
    template <class Page>
    void expectReported(Page& page, bool recognised, const ErrorRecord& known, const ErrorRecord& unknown) {
        try {
            submit(page);
            EXPECT_TRUE(recognised) << "the refusal was swallowed";
        } catch (const install::cpputil::InstallerException& error) {
            EXPECT_EQ((ErrorRecord{error.getErrorCode(), error.getPrimaryErrorMessage(),
                                   error.getSecondaryErrorMessage(), error.getLocation()}),
                      unknown);
        }
        const auto shown = recognised ? row.shown : fl::i18n::to_u16string(kWhy);
        EXPECT_EQ(status(), (recognised ? ShownStatus{Result::Failure, 3, shown, u""} : earlierStatus()));
        EXPECT_THAT(log.lines(), ElementsAre(shown));
        EXPECT_THAT(errorRecords(), ElementsAre(recognised ? known : unknown));
    }

    const FolderRow& row = GetParam();
};

TEST_P(FolderValidationTableTest, TheDestinationPageReportsTheKindsOfItsColumn) {
    handler->setUserInputFolder(kFolder);
    refuse(gate.folderValidators);
    expectReported(gate, row.byPage,
                   {row.code, row.message, kWhy, "FolderSelection::FolderValidator::" + row.cause},
                   {"680", "Unknown FolderSelection error", kWhy, "FolderSelection::Unknown"});
    EXPECT_EQ(handler->getInstallFolder(), kFolder) << "recorded before it is checked";
    EXPECT_EQ(gate.engines.handedOut(), 0) << "a refused folder is not looked into";
}

TEST_P(FolderValidationTableTest, TheOptionsPageReportsTheKindsOfItsColumnWithItsOwnRecords) {
    WithMockValidators<wu::OptionSelectionGate> page(u"OptionSelectionGate", handler);
    handler->initializeOptionSelectionModel();
    handler->setIsSymbolicLinkSelected(true);
    handler->setSymbolicLinkPath(kFolder);
    refuse(page.validators);
    expectReported(
        page, row.byLink,
        {row.linkCode, row.linkMessage, kWhy, "OptionSelection::FolderValidator::" + row.linkCause},
        {"1060", "Unknown error with symbolic link folder validation", kWhy, "OptionSelection::Unknown"});
    EXPECT_FALSE(processed(u"OptionSelectionGate"));
}

INSTANTIATE_TEST_SUITE_P(Refusals, FolderValidationTableTest, testing::ValuesIn(kRows), rowName);

using FolderExceptionUtilityTest = FolderSelectionGateTest;

// The utility describes refusals as the destination page does (the table above), but to the
// caller's collector, and takes a non-English character for an unknown refusal.
TEST_F(FolderExceptionUtilityTest, ReportsToTheCallersCollectorAndRecognisesFewerKindsThanThePage) {
    WithMockValidators<wu::FolderExceptionUtility> utility;
    const auto collector = std::make_shared<testing::StrictMock<MockTlmxUtil>>();
    EXPECT_TRUE(utility.isAValidFolder(kFolder, handler, collector));
    EXPECT_CALL(*collector, collectErrorInfo(
                                "620", "Unable to write to the selected folder", kWhy,
                                "FolderSelection::FolderValidator::FolderValidatorExceptionWritePermission"));
    EXPECT_CALL(*collector,
                collectErrorInfo("680", "Unknown FolderSelection error", kWhy, "FolderSelection::Unknown"));
    const auto refuseWith = [&](std::function<void()> refusal) {
        utility.validators.arrange(
            [refusal](MockFolderValidator& v) { ON_CALL(v, checkRequired).WillByDefault(refusal); });
    };
    refuseWith(raising<vf::FolderValidatorExceptionWritePermission>(kWhy));
    EXPECT_FALSE(utility.isAValidFolder(kFolder, handler, collector));
    refuseWith(raising<vf::FolderValidatorExceptionNonEnglishCharacter>(kWhy));
    EXPECT_FALSE(utility.isAValidFolder(kFolder, handler, collector));
    refuseWith([] { throw 42; });
    EXPECT_THROW(utility.isAValidFolder(kFolder, handler, collector), int);
    EXPECT_THAT(log.lines(), ElementsAre(message("folderWritePermission"), fl::i18n::to_u16string(kWhy)));
    EXPECT_TRUE(errorRecords().empty());
}

}  // namespace
}  // namespace selection_test
