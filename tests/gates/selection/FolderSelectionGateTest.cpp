// The destination-folder page: its step protocol, the folder it proposes, the order of its checks,
// the folder a runtime goes into, the folder refusals and the root-drive warning.
#include "gates/selection/FolderSelectionGate.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <typeinfo>

#include "FolderSelectionGateFixture.h"
#include "fl/i18n/Message.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "install/cpputil/InstallerException.h"
#include "install/engine/EngineExceptions.h"
#include "install/validatefolder/FolderValidatorExceptions.h"
#include "support/ScratchFolder.h"

namespace {

namespace vf = install::validatefolder;
using install::platformutil::Platform;
using install::product_installer::workflow_utils::FolderSelectionGate;
using testing::_;
using testing::ElementsAre;
using testing::InSequence;
using testing::IsEmpty;
using testing::NiceMock;
using testing::Return;
using testing::StrictMock;
using testing::Throw;
using workflow_test::ErrorRecord;
using workflow_test::ScratchFolder;
using workflow_test::ShownStatus;

class FolderSelectionGateTest : public workflow_test::FolderSelectionGateFixture {};

// --- step protocol ---

TEST_F(FolderSelectionGateTest, AsksForItsDataAndSkipsUnderItsName) {
    gate.setRequiredData();
    EXPECT_EQ(applicationData().getDataRequired(), kGateName);
    gate.skip();
    EXPECT_EQ(applicationData().getDataProcessed(), kGateName);
}

TEST_F(FolderSelectionGateTest, IsShownUnlessAnEarlierRuntimeFolderIsStillThere) {
    ScratchFolder scratch;
    handler->setDefaultFolder(scratch.u16());
    EXPECT_FALSE(gate.checkIfShouldBeSkipped()) << "no earlier runtime";

    handler->setHasPrevQRTInstallation(true);
    EXPECT_TRUE(gate.checkIfShouldBeSkipped());
    EXPECT_THAT(logLines(), IsEmpty());

    const auto gone = scratch.u16() + u"/removed-since";
    handler->setDefaultFolder(gone);
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    EXPECT_THAT(logLines(),
                ElementsAre(u"Previous install folder found in Windows Registry does not exist: " + gone));
}

TEST_F(FolderSelectionGateTest, ClearingForgetsTheChoiceUnlessAPackagedApplicationFixedIt) {
    choose(u"/srv/velora");
    dependent().setIsVantapakInstallation(true);
    gate.clearInputData();
    EXPECT_EQ(handler->getUserInputFolder(), u"/srv/velora");

    dependent().setIsVantapakInstallation(false);
    gate.clearInputData();
    EXPECT_EQ(handler->getUserInputFolder(), u"");
    EXPECT_EQ(handler->getDefaultFolder(), u"");
}

// --- the proposed folder ---

TEST_F(FolderSelectionGateTest, ProposesTheFolderOfTheOfferedControllingProduct) {
    handler->resetInstallFolderModel();
    handler->setOfferedProducts({u"FLOWMERE"});  // controlled by VELORA
    EXPECT_CALL(*gate.directoryProvider,
                getDefaultInstallationDirectory(
                    std::filesystem::path("velora"), std::u16string(u"R2031a"), Platform::Linux, false,
                    std::u16string(u"Velora"), std::u16string(u"InstallationFolder"),
                    std::u16string(u"HKEY_LOCAL_MACHINE"), std::u16string(u"SOFTWARE\\Kestrelix\\Velora")))
        .WillOnce(Return(u"/usr/local/velora/R2031a"));

    gate.setDefaultData();

    EXPECT_EQ(handler->getDefaultFolder(), u"/usr/local/velora/R2031a");
    EXPECT_EQ(handler->getUserInputFolder(), u"/usr/local/velora/R2031a");
}

TEST_F(FolderSelectionGateTest, KeepsAFolderTheUserAlreadyTyped) {
    choose(u"/srv/mine");
    gate.setDefaultData();
    EXPECT_EQ(handler->getDefaultFolder(), kDefaultFolder);
    EXPECT_EQ(handler->getUserInputFolder(), u"/srv/mine");
}

TEST_F(FolderSelectionGateTest, ProposesARuntimeFolderWithoutItsRelease) {
    handler->setIsQRTInstallation(true);
    EXPECT_CALL(*gate.directoryProvider,
                getDefaultInstallationDirectory(_, std::u16string(), _, _, _, _, _, _));
    gate.setDefaultData();
}

TEST_F(FolderSelectionGateTest, ProposesNothingOverAnEarlierRuntime) {
    handler->setHasPrevQRTInstallation(true);
    gate.directoryProvider = std::make_shared<StrictMock<workflow_test::MockDirectoryProvider>>();
    handler->setDefaultFolder(u"/opt/earlier/runtime");

    gate.setDefaultData();

    EXPECT_EQ(handler->getDefaultFolder(), u"/opt/earlier/runtime");
}

TEST_F(FolderSelectionGateTest, OnMacOsAnApplicationBundleGoesIntoTheApplicationsFolder) {
    gate.platform = Platform::MacOS;
    EXPECT_CALL(*gate.directoryProvider, getDefaultInstallationDirectory).Times(0);
    EXPECT_CALL(*gate.directoryProvider, getPlatformInstallationDirectory(Platform::MacOS))
        .WillOnce(Return(u"/Applications"));
    EXPECT_EQ(gate.getDefaultDir(), u"/Applications");

    EXPECT_EQ(gate.appendToInstallFolderForMacOs(u"/Applications"), u"/Applications/Velora.app");
    EXPECT_EQ(gate.appendToInstallFolderForMacOs(u"/Applications/Velora.app"), u"/Applications/Velora.app");
    handler->setOfferedProducts({u"QUARRIX"});
    EXPECT_EQ(gate.appendToInstallFolderForMacOs(u"/Applications"), u"/Applications");
}

TEST_F(FolderSelectionGateTest, OnThisPlatformTheFolderIsTakenAsTyped) {
    EXPECT_EQ(gate.appendToInstallFolderForMacOs(u""), u"");
    EXPECT_EQ(gate.appendToInstallFolderForMacOs(u"/opt/velora"), u"/opt/velora");
    EXPECT_EQ(gate.appendToInstallFolderForMacOs(u"/opt/a\\b"), u"/opt/a\\b");
}

// --- the order of the checks ---

// The gate with every check it makes in processData replaced, to watch their order.
class StepRecordingGate : public FolderSelectionGate {
public:
    using FolderSelectionGate::FolderSelectionGate;
    MOCK_METHOD(std::u16string, appendToInstallFolderForMacOs, (const std::u16string&), (const, override));
    MOCK_METHOD(void, mkdirAsCurrentUser, (const std::u16string&), (const, override));
    MOCK_METHOD(bool, isFolderValid, (const std::u16string&), (const, override));
    MOCK_METHOD(std::vector<std::u16string>, getInstalledProductBasecodes, (const std::u16string&),
                (const, override));
    MOCK_METHOD(int, getInstalledAreaUpdateNo, (const std::u16string&), (const, override));
    MOCK_METHOD(bool, isFolderContentValid, (const std::u16string&), (const, override));
    MOCK_METHOD(bool, isProductExecutableRunning, (), (const, override));
    MOCK_METHOD(void, showProductExecutableRunningError, (), (const, override));
    MOCK_METHOD(bool, isProductsAvailable, (), (const, override));
};

enum class FailingStep { None, Folder, Content, RunningProduct, Availability };

class ProcessDataOrderTest : public FolderSelectionGateTest,
                             public testing::WithParamInterface<FailingStep> {};

TEST_P(ProcessDataOrderTest, AFailedCheckStopsTheLaterOnes) {
    const FailingStep failing = GetParam();
    StrictMock<StepRecordingGate> steps(kGateName, handler);
    const std::u16string folder = u"/srv/velora";
    choose(folder);
    {
        InSequence order;
        EXPECT_CALL(steps, appendToInstallFolderForMacOs(folder)).WillOnce(Return(folder));
        EXPECT_CALL(steps, mkdirAsCurrentUser(folder)).WillOnce([&] {
            EXPECT_EQ(handler->getInstallFolder(), folder) << "the folder is recorded before it is checked";
        });
        EXPECT_CALL(steps, isFolderValid(folder)).WillOnce(Return(failing != FailingStep::Folder));
        if (failing != FailingStep::Folder) {
            EXPECT_CALL(steps, getInstalledProductBasecodes(folder))
                .WillOnce(Return(std::vector<std::u16string>{u"FLOWMERE", u"VELORA"}));
            EXPECT_CALL(steps, getInstalledAreaUpdateNo(folder)).WillOnce(Return(4));
            EXPECT_CALL(steps, isFolderContentValid(folder)).WillOnce([&] {
                EXPECT_THAT(handler->getInstalledProducts(), ElementsAre(u"FLOWMERE", u"VELORA"));
                EXPECT_EQ(handler->getInstalledProductsReleaseUpdateLevel(), 4);
                return failing != FailingStep::Content;
            });
        }
        if (failing != FailingStep::Folder && failing != FailingStep::Content) {
            EXPECT_CALL(steps, isProductExecutableRunning())
                .WillOnce(Return(failing == FailingStep::RunningProduct));
        }
        if (failing == FailingStep::RunningProduct) EXPECT_CALL(steps, showProductExecutableRunningError());
        if (failing == FailingStep::None || failing == FailingStep::Availability) {
            EXPECT_CALL(steps, isProductsAvailable()).WillOnce(Return(failing == FailingStep::None));
        }
    }

    steps.processData();

    const bool accepted = failing == FailingStep::None;
    EXPECT_EQ(processed(), accepted);
    const auto expected =
        accepted ? ShownStatus{Result::Valid, 99, u"earlier message", u"earlier title"} : earlierStatus();
    EXPECT_EQ(status(), expected);
    EXPECT_EQ(logLines().size(), accepted ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(FixedOrder, ProcessDataOrderTest,
                         testing::Values(FailingStep::None, FailingStep::Folder, FailingStep::Content,
                                         FailingStep::RunningProduct, FailingStep::Availability));

TEST_F(FolderSelectionGateTest, AnAcceptedFolderCompletesTheStep) {
    EXPECT_CALL(*gate.folderValidator, checkRequired(std::u16string(kDefaultFolder), false));
    gate.processData();
    EXPECT_TRUE(acceptedOnce());
    EXPECT_THAT(errorRecords(), IsEmpty());
}

// --- the folder an installation goes into ---

struct RuntimeFolderCase {
    std::string name;
    bool runtime;
    bool earlierRuntime;
    std::u16string typed;
    std::u16string expected;
    friend void PrintTo(const RuntimeFolderCase& row, std::ostream* out) { *out << row.name; }
};

class RuntimeFolderTest : public FolderSelectionGateTest,
                          public testing::WithParamInterface<RuntimeFolderCase> {};

TEST_P(RuntimeFolderTest, ARuntimeGoesIntoAFolderOfItsReleaseUnlessItUpdatesTheProposedOne) {
    const auto& param = GetParam();
    handler->setIsQRTInstallation(param.runtime);
    handler->setHasPrevQRTInstallation(param.earlierRuntime);
    choose(param.typed);
    std::u16string checked;
    ON_CALL(*gate.folderValidator, checkRequired).WillByDefault([&](const std::u16string& folder, bool) {
        checked = folder;
    });

    gate.processData();

    EXPECT_EQ(handler->getInstallFolder(), param.expected);
    EXPECT_EQ(checked, param.expected);
    const auto figures = gate.getDiagnosticsData().toJson();
    EXPECT_EQ(figures["session.13"], param.typed != kDefaultFolder);
    EXPECT_EQ(figures["session.25"], fl::i18n::to_string(param.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, RuntimeFolderTest,
    testing::Values(
        RuntimeFolderCase{"ProductAsTyped", false, false, u"/srv/velora", u"/srv/velora"},
        RuntimeFolderCase{"RuntimeInProposedFolder", true, false, u"/opt/velora/R2031a",
                          u"/opt/velora/R2031a/R2031a"},
        RuntimeFolderCase{"RuntimeInTypedFolder", true, false, u"/srv/runtime", u"/srv/runtime/R2031a"},
        RuntimeFolderCase{"RuntimeUpdatedWhereItIs", true, true, u"/opt/velora/R2031a",
                          u"/opt/velora/R2031a"},
        RuntimeFolderCase{"RuntimeMovedElsewhere", true, true, u"/srv/runtime", u"/srv/runtime/R2031a"},
        RuntimeFolderCase{"RuntimeWithNothingTyped", true, false, u"", u""}),
    [](const testing::TestParamInfo<RuntimeFolderCase>& info) { return info.param.name; });

// --- folder refusals ---

struct GateRow {
    std::string kind;
    std::function<void()> raise;
    std::function<std::u16string()> message;
    ErrorRecord record;  // details are the exception's text
    friend void PrintTo(const GateRow& row, std::ostream* out) { *out << row.kind; }
};

template <class Kind>
std::function<void()> raising() {
    return [] { throw Kind("validator: " + std::string(typeid(Kind).name())); };
}

const std::vector<GateRow>& gateRows() {
    static const std::vector<GateRow> rows = {
        {"NonEnglishCharacter",
         raising<vf::FolderValidatorExceptionNonEnglishCharacter>(),
         [] { return fl::i18n::message("folderNonEnglishCharacter"); },
         {"600", "Folder names cannot contain non-English characters", "",
          "FolderSelection::FolderValidator::FolderValidatorExceptionNonEnglishCharacter"}},
        {"InvalidCharacter",
         raising<vf::FolderValidatorExceptionInvalidCharacter>(),
         [] {
             return fl::i18n::message("folderInvalidCharacterWin",
                                      "'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'");
         },
         {"610", "Invalid characters or destination folder named private", "",
          "FolderSelection::FolderValidator::FolderValidatorExceptionInvalidCharacter"}},
        {"TrailingDots",
         raising<vf::FolderValidatorExceptionTrailingDotsOnWindows>(),
         [] { return fl::i18n::message("folderNameWithTrailingDots"); },
         {"610", "Invalid characters or destination folder named private", "",
          "FolderSelection::FolderValidator::FolderValidatorExceptionInvalidCharacter"}},
        {"WritePermission",
         raising<vf::FolderValidatorExceptionWritePermission>(),
         [] { return fl::i18n::message("folderWritePermission"); },
         {"620", "Unable to write to the selected folder", "",
          "FolderSelection::FolderValidator::FolderValidatorExceptionWritePermission"}},
        {"FailedToCreateFolder",
         raising<vf::FolderValidatorFailedToCreateFolder>(),
         [] { return fl::i18n::message("folderCreationFailed", u"/srv/velora"); },
         {"630", "Failed to create folder", "",
          "FolderSelection::FolderValidator::FolderValidatorFailedToCreateFolder"}},
        {"AbsolutePath",
         raising<vf::FolderValidatorAbsolutePath>(),
         [] { return fl::i18n::message("folderNotAbsolutePath"); },
         {"640", "The folder must be an absolute path", "",
          "FolderSelection::FolderValidator::FolderValidatorAbsolutePath"}},
        {"NotADirectory",
         raising<vf::FolderValidatorNotADirectory>(),
         [] { return fl::i18n::message("folderNotADirectory"); },
         {"650", "The folder is not a directory", "",
          "FolderSelection::FolderValidator::FolderValidatorNotADirectory"}},
        {"UsersDefaultAppData",
         raising<vf::FolderContainsUsersDefaultAppDataError>(),
         [] { return fl::i18n::message("folderContainsUsersDefaultAppData"); },
         {"730", "The folder contains user default AppData", "",
          "FolderSelection::FolderValidator::FolderContainsUserAppDataError"}},
        {"InstallerRoot",
         raising<vf::FolderIsInstallerRootError>(),
         [] { return fl::i18n::message("folderIsInstallerRoot"); },
         {"740", "The folder is same as installer root", "",
          "FolderSelection::FolderValidator::FolderIsInstallerRootError"}},
    };
    return rows;
}

class FolderRefusalTest : public FolderSelectionGateTest, public testing::WithParamInterface<GateRow> {};

TEST_P(FolderRefusalTest, EachRefusalIsShownLoggedAndReported) {
    const auto& row = GetParam();
    choose(u"/srv/velora");
    gate.engine = std::make_shared<StrictMock<workflow_test::MockEngine>>();
    std::string what;
    EXPECT_CALL(*gate.folderValidator, checkRequired(std::u16string(u"/srv/velora"), false)).WillOnce([&] {
        try {
            row.raise();
        } catch (const std::exception& error) {
            what = error.what();
            throw;
        }
    });
    EXPECT_CALL(*gate.folderValidator, checkWarnings).Times(0);

    ASSERT_NO_THROW(gate.processData());

    const auto message = row.message();
    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 3, message, u""}));
    EXPECT_THAT(logLines(), ElementsAre(message));
    auto expected = row.record;
    expected.details = what;
    EXPECT_THAT(errorRecords(), ElementsAre(expected));
    EXPECT_FALSE(processed());
    EXPECT_FALSE(handler->isRootDriveWarningAcknowledged());
}

INSTANTIATE_TEST_SUITE_P(FolderValidationTable, FolderRefusalTest, testing::ValuesIn(gateRows()),
                         [](const testing::TestParamInfo<GateRow>& info) { return info.param.kind; });

TEST_F(FolderSelectionGateTest, AnUnanticipatedRefusalLeavesAsAnInstallerException) {
    EXPECT_CALL(*gate.folderValidator, checkRequired).WillOnce(Throw(std::bad_alloc()));

    try {
        gate.processData();
        FAIL() << "the refusal was swallowed";
    } catch (const install::cpputil::InstallerException& error) {
        EXPECT_EQ(error.getErrorCode(), "680");
        EXPECT_EQ(error.getPrimaryErrorMessage(), "Unknown FolderSelection error");
        EXPECT_EQ(error.getSecondaryErrorMessage(), std::bad_alloc().what());
        EXPECT_EQ(error.getLocation(), "FolderSelection::Unknown");
    }
    EXPECT_EQ(status(), earlierStatus());
    EXPECT_THAT(logLines(), ElementsAre(fl::i18n::to_u16string(std::bad_alloc().what())));
    EXPECT_THAT(errorRecords(),
                ElementsAre(ErrorRecord{"680", "Unknown FolderSelection error", std::bad_alloc().what(),
                                        "FolderSelection::Unknown"}));
    EXPECT_FALSE(processed());
}

TEST_F(FolderSelectionGateTest, CreatesAMissingFolderOnlyForADownload) {
    EXPECT_CALL(*gate.folderValidator, checkRequired(_, false));
    gate.processData();

    handler->setWorkflow(u"DownloadOnly");
    EXPECT_CALL(*gate.folderValidator, checkRequired(_, true));
    gate.processData();
}

// --- the root-drive warning ---

TEST_F(FolderSelectionGateTest, TheRootDriveWarningIsShownOnceThenTheFolderPasses) {
    choose(u"/");
    ON_CALL(*gate.folderValidator, checkWarnings(std::u16string(u"/"))).WillByDefault(Return(true));

    gate.processData();

    const auto message = fl::i18n::message("rootDriveWarningMsg", u"/", kDefaultFolder);
    EXPECT_EQ(status(),
              (ShownStatus{Result::Warning, 4, message, fl::i18n::message("rootDriveWarningTitle")}));
    EXPECT_THAT(logLines(), ElementsAre(message));
    EXPECT_THAT(errorRecords(), IsEmpty());
    EXPECT_TRUE(handler->isRootDriveWarningAcknowledged());
    EXPECT_FALSE(processed());

    gate.processData();

    EXPECT_TRUE(acceptedOnce());
}

// --- what the folder already holds ---

class InstalledProductsTest : public FolderSelectionGateTest {
protected:
    void releaseInFolder(int updateLevel) const {
        std::ofstream file(scratch.path() / "VersionInfo.xml");
        foundation::release_info::ReleaseInfo(u"R2031a", u"Release", updateLevel).write(file);
    }

    ScratchFolder scratch;
};

TEST_F(InstalledProductsTest, AFolderWithoutProductsHasNoUpdateLevel) {
    choose(scratch.u16());
    releaseInFolder(5);
    gate.processData();
    EXPECT_EQ(handler->getInstalledProductsReleaseUpdateLevel(), -1);
    EXPECT_THAT(handler->getInstalledProducts(), IsEmpty());
}

TEST_F(InstalledProductsTest, TheUpdateLevelOfInstalledProductsComesFromTheFolder) {
    choose(scratch.u16());
    installed({u"VELORA", u"FLOWMERE"});
    releaseInFolder(5);
    gate.processData();
    EXPECT_EQ(handler->getInstalledProductsReleaseUpdateLevel(), 5);
    EXPECT_THAT(handler->getInstalledProducts(), ElementsAre(u"FLOWMERE", u"VELORA"));
}

TEST_F(InstalledProductsTest, AnUnreadableReleaseFileCountsAsNoLevel) {
    EXPECT_EQ(gate.getInstalledAreaUpdateNo(scratch.u16()), -1) << "missing";
    scratch.writeFile("VersionInfo.xml", "<VersionInfo><UpdateLevel>two");
    EXPECT_EQ(gate.getInstalledAreaUpdateNo(scratch.u16()), -1) << "malformed";
    EXPECT_EQ(gate.getInstalledAreaUpdateNo(scratch.u16() + u"/\xD800"
                                                            u"broken"),
              -1)
        << "unpaired surrogate";
    releaseInFolder(0);
    EXPECT_EQ(gate.getInstalledAreaUpdateNo(scratch.u16()), 0);
}

TEST_F(InstalledProductsTest, AnUnreadableInstallationRecordIsLoggedAndPassedOn) {
    choose(scratch.u16());
    EXPECT_CALL(*gate.engine, getInstalledProducts(scratch.u16()))
        .WillOnce(Throw(
            install::engine::EngineInvalidInstalledProductsException("2110", "Unable to read", "x", "E")));

    EXPECT_THROW(gate.processData(), install::engine::EngineInvalidInstalledProductsException);

    EXPECT_THAT(logLines(), ElementsAre(u"Failed to retrieve installed products"));
    EXPECT_FALSE(processed());
}

}  // namespace
