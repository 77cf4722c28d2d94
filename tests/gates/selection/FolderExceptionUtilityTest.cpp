// The folder check shared by the pages without folder rules of their own: each refusal of the
// validator becomes the message, status, log line and diagnostics record of its row, and nothing
// the validator throws leaves the check.
#include "gates/selection/FolderExceptionUtility.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <typeinfo>

#include "FolderPageFixture.h"
#include "FolderSelectionDoubles.h"
#include "fl/i18n/Message.h"
#include "install/cpputil/InstallerException.h"
#include "install/validatefolder/FolderValidatorExceptions.h"
#include "support/ScratchFolder.h"

namespace {

namespace vf = install::validatefolder;
using install::product_installer::workflow_utils::FolderExceptionUtility;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::NiceMock;
using testing::StrictMock;
using workflow_test::ErrorRecord;
using workflow_test::ForwardingFolderValidator;
using workflow_test::MockFolderValidator;
using workflow_test::ScratchFolder;
using workflow_test::ShownStatus;

constexpr char16_t kFolder[] = u"/opt/velora/R2031a";

// The utility with the validator it asks replaced by a mock the test controls.
class ScriptedUtility : public FolderExceptionUtility {
public:
    std::shared_ptr<MockFolderValidator> validator = std::make_shared<StrictMock<MockFolderValidator>>();

private:
    std::unique_ptr<vf::FolderValidator> getFolderValidator() const override {
        return std::make_unique<ForwardingFolderValidator>(validator);
    }
};

class FolderExceptionUtilityTest : public workflow_test::FolderPageFixture {
protected:
    bool check(const FolderExceptionUtility& utility, const std::u16string& folder = kFolder) const {
        return utility.isAValidFolder(folder, handler, tlmx);
    }

    std::shared_ptr<install::tlmx::TlmxUtil> tlmx = std::make_shared<install::tlmx::TlmxUtil>();
};

// --- the failure table ---

struct UtilityRow {
    std::string kind;
    std::function<void()> raise;
    // The message shown; none for a refusal the utility does not recognise.
    std::function<std::u16string()> message;
    std::string code;
    std::string diagnosticsMessage;
    std::string location;
    friend void PrintTo(const UtilityRow& row, std::ostream* out) { *out << row.kind; }
};

template <class Kind>
std::function<void()> raising() {
    return [] { throw Kind(std::string("the validator's reason: ") + typeid(Kind).name()); };
}

std::function<std::u16string()> shows(std::function<std::u16string()> message) { return message; }

const std::vector<UtilityRow>& utilityRows() {
    static const std::vector<UtilityRow> rows = {
        {"NonEnglishCharacter", raising<vf::FolderValidatorExceptionNonEnglishCharacter>(), nullptr, "680",
         "Unknown FolderSelection error", "FolderSelection::Unknown"},
        {"InvalidCharacter", raising<vf::FolderValidatorExceptionInvalidCharacter>(), shows([] {
             return fl::i18n::message("folderInvalidCharacterWin",
                                      "'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'");
         }),
         "610", "Invalid characters or destination folder named private",
         "FolderSelection::FolderValidator::FolderValidatorExceptionInvalidCharacter"},
        {"TrailingDots", raising<vf::FolderValidatorExceptionTrailingDotsOnWindows>(), nullptr, "680",
         "Unknown FolderSelection error", "FolderSelection::Unknown"},
        {"WritePermission", raising<vf::FolderValidatorExceptionWritePermission>(),
         shows([] { return fl::i18n::message("folderWritePermission"); }), "620",
         "Unable to write to the selected folder",
         "FolderSelection::FolderValidator::FolderValidatorExceptionWritePermission"},
        {"FailedToCreateFolder", raising<vf::FolderValidatorFailedToCreateFolder>(),
         shows([] { return fl::i18n::message("folderCreationFailed", kFolder); }), "630",
         "Failed to create folder", "FolderSelection::FolderValidator::FolderValidatorFailedToCreateFolder"},
        {"AbsolutePath", raising<vf::FolderValidatorAbsolutePath>(),
         shows([] { return fl::i18n::message("folderNotAbsolutePath"); }), "640",
         "The folder must be an absolute path",
         "FolderSelection::FolderValidator::FolderValidatorAbsolutePath"},
        {"NotADirectory", raising<vf::FolderValidatorNotADirectory>(),
         shows([] { return fl::i18n::message("folderNotADirectory"); }), "650",
         "The folder is not a directory", "FolderSelection::FolderValidator::FolderValidatorNotADirectory"},
        {"UsersDefaultAppData", raising<vf::FolderContainsUsersDefaultAppDataError>(),
         shows([] { return fl::i18n::message("folderContainsUsersDefaultAppData"); }), "730",
         "The folder contains user default AppData",
         "FolderSelection::FolderValidator::FolderContainsUserAppDataError"},
        {"InstallerRoot", raising<vf::FolderIsInstallerRootError>(),
         shows([] { return fl::i18n::message("folderIsInstallerRoot"); }), "740",
         "The folder is same as installer root",
         "FolderSelection::FolderValidator::FolderIsInstallerRootError"},
        {"OtherStandardException", raising<std::length_error>(), nullptr, "680",
         "Unknown FolderSelection error", "FolderSelection::Unknown"},
        {"InstallerException",
         [] { throw install::cpputil::InstallerException("1", "primary", "secondary", "Somewhere"); },
         nullptr, "680", "Unknown FolderSelection error", "FolderSelection::Unknown"},
    };
    return rows;
}

class FolderExceptionUtilityTableTest : public FolderExceptionUtilityTest,
                                        public testing::WithParamInterface<UtilityRow> {};

TEST_P(FolderExceptionUtilityTableTest, EachRefusalIsReportedByItsRow) {
    const UtilityRow& row = GetParam();
    ScriptedUtility utility;
    std::string what;
    EXPECT_CALL(*utility.validator, checkRequired(std::u16string(kFolder), true)).WillOnce([&] {
        try {
            row.raise();
        } catch (const std::exception& error) {
            what = error.what();
            throw;
        }
    });

    EXPECT_FALSE(check(utility));

    if (row.message) {
        const auto message = row.message();
        EXPECT_EQ(status(), (ShownStatus{Result::Failure, 3, message, u""}));
        EXPECT_THAT(logLines(), ElementsAre(message));
    } else {
        EXPECT_EQ(status(), earlierStatus()) << "an unanticipated refusal has no wording to show";
        EXPECT_THAT(logLines(), ElementsAre(fl::i18n::to_u16string(what)));
    }
    EXPECT_THAT(errorRecords(),
                ElementsAre(ErrorRecord{row.code, row.diagnosticsMessage, what, row.location}));
}

INSTANTIATE_TEST_SUITE_P(FolderValidationTable, FolderExceptionUtilityTableTest,
                         testing::ValuesIn(utilityRows()),
                         [](const testing::TestParamInfo<UtilityRow>& info) { return info.param.kind; });

// --- around the table ---

TEST_F(FolderExceptionUtilityTest, AnAcceptedFolderLeavesNoTrace) {
    ScriptedUtility utility;
    EXPECT_CALL(*utility.validator, checkRequired(std::u16string(kFolder), true));

    EXPECT_TRUE(check(utility));

    EXPECT_EQ(status(), earlierStatus());
    EXPECT_THAT(logLines(), IsEmpty());
    EXPECT_THAT(errorRecords(), IsEmpty());
}

TEST_F(FolderExceptionUtilityTest, TheCreationFailureNamesExactlyTheFolderAskedFor) {
    const std::u16string unusual = u"/srv/Velora Builds/R2031a (copy)/";
    ScriptedUtility utility;
    EXPECT_CALL(*utility.validator, checkRequired(unusual, true))
        .WillOnce(testing::Throw(vf::FolderValidatorFailedToCreateFolder("cannot")));

    EXPECT_FALSE(check(utility, unusual));

    EXPECT_EQ(status().message, fl::i18n::message("folderCreationFailed", unusual));
}

TEST_F(FolderExceptionUtilityTest, SomethingThatIsNotAStandardExceptionIsNotSwallowed) {
    ScriptedUtility utility;
    EXPECT_CALL(*utility.validator, checkRequired).WillOnce(testing::Throw(42));

    EXPECT_THROW(check(utility), int);
}

TEST_F(FolderExceptionUtilityTest, TheRecordGoesToTheDiagnosticsObjectTheCallerPasses) {
    ScriptedUtility utility;
    EXPECT_CALL(*utility.validator, checkRequired)
        .WillOnce(testing::Throw(vf::FolderValidatorAbsolutePath("not absolute")));
    const auto collector = std::make_shared<StrictMock<workflow_test::MockTlmxUtil>>();
    EXPECT_CALL(*collector,
                collectErrorInfo("640", "The folder must be an absolute path", "not absolute",
                                 "FolderSelection::FolderValidator::FolderValidatorAbsolutePath"));

    EXPECT_FALSE(utility.isAValidFolder(kFolder, handler, collector));

    EXPECT_THAT(errorRecords(), IsEmpty()) << "nothing reaches the sink past the caller's collector";
}

TEST_F(FolderExceptionUtilityTest, ASubclassMayWordTheInvalidCharacterMessage) {
    class Reworded : public ScriptedUtility {
        std::u16string getFolderInvalidErrorMessage() const override { return u"no such characters, please"; }
    } utility;
    EXPECT_CALL(*utility.validator, checkRequired)
        .WillOnce(testing::Throw(vf::FolderValidatorExceptionInvalidCharacter("+")));

    EXPECT_FALSE(check(utility));

    EXPECT_EQ(status().message, u"no such characters, please");
}

TEST_F(FolderExceptionUtilityTest, AsksForAFreshValidatorEveryTime) {
    class Counting : public FolderExceptionUtility {
    public:
        mutable int created = 0;
        std::shared_ptr<MockFolderValidator> validator = std::make_shared<NiceMock<MockFolderValidator>>();

    private:
        std::unique_ptr<vf::FolderValidator> getFolderValidator() const override {
            ++created;
            return std::make_unique<ForwardingFolderValidator>(validator);
        }
    } utility;

    check(utility);
    check(utility);

    EXPECT_EQ(utility.created, 2);
}

// --- the real validator on folders of this machine ---

struct RealFolderCase {
    std::string name;
    std::function<std::u16string(const ScratchFolder&)> folder;
    // Empty when the folder is accepted.
    std::string code;
    friend void PrintTo(const RealFolderCase& row, std::ostream* out) { *out << row.name; }
};

class FolderExceptionUtilityRealValidatorTest : public FolderExceptionUtilityTest,
                                                public testing::WithParamInterface<RealFolderCase> {
protected:
    ScratchFolder scratch;
};

TEST_P(FolderExceptionUtilityRealValidatorTest, EveryTypedPathEndsAsAnAnswer) {
    const auto folder = GetParam().folder(scratch);
    const FolderExceptionUtility utility;

    bool valid = false;
    ASSERT_NO_THROW(valid = check(utility, folder));

    if (GetParam().code.empty()) {
        EXPECT_TRUE(valid);
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(folder))) << "created when missing";
        EXPECT_THAT(errorRecords(), IsEmpty());
    } else {
        EXPECT_FALSE(valid);
        ASSERT_EQ(errorRecords().size(), 1u);
        EXPECT_EQ(errorRecords()[0].code, GetParam().code);
        EXPECT_FALSE(errorRecords()[0].details.empty());
        EXPECT_EQ(status().result == Result::Failure, GetParam().code != "680");
    }
}

std::u16string inScratch(const ScratchFolder& scratch, const std::u16string& relative) {
    return scratch.u16() + u"/" + relative;
}

INSTANTIATE_TEST_SUITE_P(
    TypedPaths, FolderExceptionUtilityRealValidatorTest,
    testing::Values(
        RealFolderCase{"MissingFolderIsCreated", [](const auto& s) { return inScratch(s, u"new/deeper"); },
                       ""},
        RealFolderCase{"Empty", [](const auto&) { return std::u16string(); }, "640"},
        RealFolderCase{"Relative", [](const auto&) { return std::u16string(u"velora/R2031a"); }, "640"},
        RealFolderCase{"FourThousandCharacters",
                       [](const auto& s) { return inScratch(s, std::u16string(4000, u'x')); }, "630"},
        RealFolderCase{"NonAscii", [](const auto& s) { return inScratch(s, u"Programme/V\u00e9lora"); },
                       "680"},
        RealFolderCase{"TrailingDots", [](const auto& s) { return inScratch(s, u"velora.."); }, "680"},
        RealFolderCase{"ForbiddenCharacter", [](const auto& s) { return inScratch(s, u"velora;rm"); }, "610"},
        RealFolderCase{"ExistingFile",
                       [](const auto& s) { return s.writeFile("a-file", "content").u16string(); }, "650"},
        RealFolderCase{"BelowAnExistingFile",
                       [](const auto& s) { return s.writeFile("plain", "content").u16string() + u"/below"; },
                       "650"},
        RealFolderCase{"MissingBelowAFolderThatRefusesWriting",
                       [](const auto&) { return std::u16string(u"/proc/velora"); }, "630"}),
    [](const testing::TestParamInfo<RealFolderCase>& info) { return info.param.name; });

TEST_F(FolderExceptionUtilityTest, AFolderTheUserMayNotWriteToIsReported) {
    ScratchFolder scratch;
    const auto folder = scratch.makeFolder("read-only");
    std::filesystem::permissions(folder,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    // Permission bits do not hold back the superuser; a kernel file system does.
    const std::u16string refusing = ::geteuid() == 0 ? u"/proc" : folder.u16string();

    EXPECT_FALSE(check(FolderExceptionUtility(), refusing));

    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 3, fl::i18n::message("folderWritePermission"), u""}));
    ASSERT_EQ(errorRecords().size(), 1u);
    EXPECT_EQ(errorRecords()[0].code, "620");
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
}

}  // namespace
