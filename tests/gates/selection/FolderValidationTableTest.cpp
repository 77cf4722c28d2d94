// The folder-validation table: each refusal of the folder validator as the destination-folder page
// reports it, and as the options page does for the symbolic-link folder (with records of its own).
// A page that does not recognise a refusal logs it and throws it on. (The utility for pages without
// folder rules of their own reports the same rows through the same description; no page uses it.)

#include <stdexcept>

#include "FolderSelectionGateFixture.h"
#include "gates/selection/FolderExceptionUtility.h"
#include "gates/selection/OptionSelectionGate.h"
#include "install/cpputil/InstallerException.h"
#include "install/validatefolder/FolderValidatorExceptions.h"

namespace selection_test {
namespace {

using selection_test::PrintTo;
namespace vf = install::validatefolder;

constexpr char16_t kFolder[] = u"/srv/velora";
constexpr char kWhy[] = "refused by the validator";

struct FolderRow {
    std::string name;
    std::function<void()> raise;
    std::string key;      // of the message shown
    bool byPage, byLink;  // which recognise the kind
    std::string code = {}, message = {}, cause = {}, linkCode = {}, linkMessage = {}, linkCause = {};
};

template <class Kind>
std::function<void()> raise() {
    return [] { throw Kind(kWhy); };
}

// The message a folder page shows for a refusal of the folder validator: the invalid-character
// message lists the forbidden characters, the creation failure names the folder.
inline std::u16string folderMessage(const std::string& key, const std::u16string& folder) {
    if (key == "folderInvalidCharacterWin")
        return fl::i18n::message(key, u"'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'");
    return key == "folderCreationFailed" ? fl::i18n::message(key, folder) : fl::i18n::message(key);
}

const std::string kInvalid = "Invalid characters or destination folder named private";
// clang-format off
const FolderRow kRows[] = {
    {"NonEnglishCharacter", raise<vf::FolderValidatorExceptionNonEnglishCharacter>(), "folderNonEnglishCharacter", true, true, "600", "Folder names cannot contain non-English characters", "FolderValidatorExceptionNonEnglishCharacter", "1000", "Symbolic link folder cannot contain non-English characters", "FolderValidatorExceptionNonEnglishCharacter"},
    {"InvalidCharacter", raise<vf::FolderValidatorExceptionInvalidCharacter>(), "folderInvalidCharacterWin", true, true, "610", kInvalid, "FolderValidatorExceptionInvalidCharacter", "1010", "Symbolic link folder name contains invalid characters", "FolderValidatorExceptionInvalidCharacter"},
    {"TrailingDots", raise<vf::FolderValidatorExceptionTrailingDotsOnWindows>(), "folderNameWithTrailingDots", true, false, "610", kInvalid, "FolderValidatorExceptionInvalidCharacter"},
    {"WritePermission", raise<vf::FolderValidatorExceptionWritePermission>(), "folderWritePermission", true, true, "620", "Unable to write to the selected folder", "FolderValidatorExceptionWritePermission", "1020", "Unable to write to the selected symbolic link folder", "FolderValidatorExceptionWritePermission"},
    {"FailedToCreateFolder", raise<vf::FolderValidatorFailedToCreateFolder>(), "folderCreationFailed", true, true, "630", "Failed to create folder", "FolderValidatorFailedToCreateFolder", "1030", "Failed to create symbolic link", "FolderValidatorFailedToCreateFolder"},
    {"AbsolutePath", raise<vf::FolderValidatorAbsolutePath>(), "folderNotAbsolutePath", true, true, "640", "The folder must be an absolute path", "FolderValidatorAbsolutePath", "1040", "Symbolic link folder must be an absolute path", "FolderValidatorAbsolutePath"},
    {"NotADirectory", raise<vf::FolderValidatorNotADirectory>(), "folderNotADirectory", true, true, "650", "The folder is not a directory", "FolderValidatorNotADirectory", "1050", "Symbolic link folder is not a directory", "FolderValidatorNotADirectory"},
    {"UsersDefaultAppData", raise<vf::FolderContainsUsersDefaultAppDataError>(), "folderContainsUsersDefaultAppData", true, true, "730", "The folder contains user default AppData", "FolderContainsUserAppDataError", "1090", "Symbolic link folder contains user default AppData", "FolderContainsUsersDefaultAppDataError"},
    {"InstallerRoot", raise<vf::FolderIsInstallerRootError>(), "folderIsInstallerRoot", true, true, "740", "The folder is same as installer root", "FolderIsInstallerRootError", "1100", "Symbolic link folder is installer root", "FolderIsInstallerRootError"},
    {"OtherStandardException", raise<std::length_error>(), "", false, false},
};
// clang-format on

struct MockTlmxUtil : install::tlmx::TlmxUtil {
    MOCK_METHOD(void, collectErrorInfo,
                (const std::string&, const std::string&, const std::string&, const std::string&),
                (const, override));
};

class UtilityWithMockValidator : public install::product_installer::workflow_utils::FolderExceptionUtility {
public:
    MockSupply<MockFolderValidator> validators;

private:
    std::unique_ptr<vf::FolderValidator> getFolderValidator() const override { return validators.next(); }
};

class OptionsPageWithMockValidator : public install::product_installer::workflow_utils::OptionSelectionGate {
public:
    using OptionSelectionGate::OptionSelectionGate;
    MockSupply<MockFolderValidator> validators;

private:
    std::unique_ptr<vf::FolderValidator> getFolderValidator() const override { return validators.next(); }
};

class FolderValidationTableTest : public FolderSelectionGateFixture,
                                  public testing::WithParamInterface<FolderRow> {
protected:
    // The validator of `validators` refuses the folder with the row's kind.
    static void refuse(MockSupply<MockFolderValidator>& validators, bool createIfMissing) {
        validators.arrange([createIfMissing](MockFolderValidator& validator) {
            EXPECT_CALL(validator, checkRequired(std::u16string(kFolder), createIfMissing))
                .WillOnce(GetParam().raise);
        });
    }
    // Submits `page` and checks that what it did not recognise left as an InstallerException made of
    // `unknown`.
    template <class Page>
    void submitExpectingUnknownThrown(Page& page, bool recognised, const ErrorRecord& unknown) {
        try {
            submit(page);
            EXPECT_TRUE(recognised) << "the refusal was swallowed";
        } catch (const install::cpputil::InstallerException& error) {
            EXPECT_EQ((ErrorRecord{error.getErrorCode(), error.getPrimaryErrorMessage(),
                                   error.getSecondaryErrorMessage(), error.getLocation()}),
                      unknown);
        }
    }
    // A recognised refusal is shown, logged and recorded by its row; any other is logged as the
    // validator worded it and recorded as unknown, and the page keeps what it showed.
    void expectReported(bool recognised, const std::vector<ErrorRecord>& records, const ErrorRecord& known,
                        const ErrorRecord& unknown) const {
        const auto message =
            recognised ? folderMessage(GetParam().key, kFolder) : fl::i18n::to_u16string(kWhy);
        const auto expected =
            recognised ? workflow_test::ShownStatus{Result::Failure, 3, message, u""} : earlierStatus();
        EXPECT_EQ(status(), expected);
        EXPECT_THAT(log.lines(), ElementsAre(message));
        EXPECT_THAT(records, ElementsAre(recognised ? known : unknown));
    }

    const FolderRow& row = GetParam();
    const ErrorRecord kUnknown{"680", "Unknown FolderSelection error", kWhy, "FolderSelection::Unknown"};
    const ErrorRecord known{row.code, row.message, kWhy, "FolderSelection::FolderValidator::" + row.cause};
};

TEST_P(FolderValidationTableTest, TheDestinationPageReportsTheKindsOfItsColumn) {
    handler->setUserInputFolder(kFolder);
    refuse(gate.folderValidators, false);
    submitExpectingUnknownThrown(gate, row.byPage, kUnknown);
    expectReported(row.byPage, errorRecords(), known, kUnknown);
    EXPECT_EQ(handler->getInstallFolder(), kFolder) << "recorded before it is checked";
    EXPECT_EQ(gate.engines.handedOut(), 0) << "a refused folder is not looked into";
}

TEST_P(FolderValidationTableTest, TheOptionsPageReportsTheKindsOfItsColumnWithItsOwnRecords) {
    OptionsPageWithMockValidator page(u"OptionSelectionGate", handler);
    handler->initializeOptionSelectionModel();
    handler->setIsSymbolicLinkSelected(true);
    handler->setSymbolicLinkPath(kFolder);
    refuse(page.validators, false);
    const ErrorRecord unknown{"1060", "Unknown error with symbolic link folder validation", kWhy,
                              "OptionSelection::Unknown"};
    submitExpectingUnknownThrown(page, row.byLink, unknown);
    expectReported(
        row.byLink, errorRecords(),
        {row.linkCode, row.linkMessage, kWhy, "OptionSelection::FolderValidator::" + row.linkCause}, unknown);
    EXPECT_FALSE(processed(u"OptionSelectionGate"));
}

INSTANTIATE_TEST_SUITE_P(Refusals, FolderValidationTableTest, testing::ValuesIn(kRows),
                         [](const auto& info) { return info.param.name; });

using FolderExceptionUtilityTest = FolderSelectionGateFixture;

// The utility describes refusals as the destination page does (the table above), but to the
// caller's collector, and takes a non-English character for an unknown refusal.
TEST_F(FolderExceptionUtilityTest, ReportsToTheCallersCollectorAndRecognisesFewerKindsThanThePage) {
    UtilityWithMockValidator utility;
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
    refuseWith(raise<vf::FolderValidatorExceptionWritePermission>());
    EXPECT_FALSE(utility.isAValidFolder(kFolder, handler, collector));
    refuseWith(raise<vf::FolderValidatorExceptionNonEnglishCharacter>());
    EXPECT_FALSE(utility.isAValidFolder(kFolder, handler, collector));
    refuseWith([] { throw 42; });
    EXPECT_THROW(utility.isAValidFolder(kFolder, handler, collector), int);
    EXPECT_THAT(log.lines(),
                ElementsAre(folderMessage("folderWritePermission", kFolder), fl::i18n::to_u16string(kWhy)));
    EXPECT_TRUE(errorRecords().empty());
}

}  // namespace
}  // namespace selection_test
