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
namespace wu = install::product_installer::workflow_utils;

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

class FolderValidationTableTest : public FolderSelectionGateFixture,
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

using FolderExceptionUtilityTest = FolderSelectionGateFixture;

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
