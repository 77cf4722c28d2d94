// The packaged application's folder page: the folder it proposes, its own table of folder
// refusals (each a failure without a title), and the space check that only a usable folder gets.
#include <gmock/gmock.h>

#include <functional>
#include <stdexcept>

#include "fl/i18n/Message.h"
#include "gates/userapp/UserAppFolderSelectionGate.h"
#include "support/FakeDiskSpace.h"
#include "support/GateFixture.h"
#include "support/MockFolderValidator.h"
#include "support/MockSupply.h"

namespace {

namespace vf = install::validatefolder;
using fl::i18n::message;
using workflow_test::joined, workflow_test::MockFolderValidator, workflow_test::PrintTo;

class TestUserAppFolderGate : public install::product_installer::workflow_utils::UserAppFolderSelectionGate {
public:
    using UserAppFolderSelectionGate::UserAppFolderSelectionGate;
    workflow_test::MockSupply<MockFolderValidator> validators;
    std::function<bool()> room;
    mutable int spaceChecks = 0;

protected:
    std::unique_ptr<vf::FolderValidator> getFolderValidator() const override { return validators.next(); }
    std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const override {
        ++spaceChecks;
        // The application needs 3 MiB; the drive answers as told, for that size only.
        return std::make_unique<workflow_test::FakeDiskSpace>(
            [this](const std::u16string&, std::uint64_t bytes) { return bytes == 3u << 20 && room(); });
    }
};

// What the validator and the drive say of the folder entered, and what the page makes of it.
struct Choice {
    const char* name;
    std::function<void()> refusal;
    std::function<bool()> room;
    std::function<std::u16string()> message;  // the page shown; none: the folder is accepted
    std::string outcome;  // result|page type|title|space checks|folder stored|step done, or the error
};

class UserAppFolderTest : public workflow_test::GateFixture, public testing::WithParamInterface<Choice> {};

TEST_P(UserAppFolderTest, ChecksTheRulesThenTheSpaceAndStoresOnlyAUsableFolder) {
    const auto application = independent().getUserApplicationData();
    application.setInstallationDirectory(u"/home/user/Orbitview");
    application.setRequiredDiskSpace(3u << 20);
    TestUserAppFolderGate gate(u"Page", handler);
    gate.room = GetParam().room;
    gate.validators.arrange([](MockFolderValidator& validator) {
        EXPECT_CALL(validator, checkRequired(std::u16string(u"/srv/Orbitview"), false))
            .WillOnce(GetParam().refusal);
    });
    gate.setDefaultData();
    EXPECT_EQ(handler->getUserInputInstallationDirectory(), u"/home/user/Orbitview") << "the proposal";
    handler->setUserInputInstallationDirectory(u"/srv/Orbitview");
    try {
        submit(gate);
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(joined(error.what(), log.lines(), status() == earlierStatus()), GetParam().outcome);
        return;
    }
    const auto shown = GetParam().message ? GetParam().message()
                                          : u"UserApp Folder validation in Vantapak workflow is successful.";
    EXPECT_EQ(joined(status().result, status().resultType, status().title, gate.spaceChecks,
                     application.getInstallationDirectory(), processed(u"Page")),
              GetParam().outcome);
    EXPECT_EQ(joined(log.lines().back(), GetParam().message ? status().message : shown),
              joined(shown, shown));
}

template <class Kind>
std::function<void()> raising() {
    return [] { throw Kind("/srv/Orbitview: refused"); };
}
const auto kRoom = [] { return true; };
const auto kRuleRefused = "2|3||0|/home/user/Orbitview|false";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Folders, UserAppFolderTest, testing::Values(
    Choice{"NonEnglishCharacter", raising<vf::FolderValidatorExceptionNonEnglishCharacter>(), kRoom, [] { return message("folderNonEnglishCharacter"); }, kRuleRefused},
    Choice{"InvalidCharacter", raising<vf::FolderValidatorExceptionInvalidCharacter>(), kRoom,
           [] { return message("folderInvalidCharacterWin", "'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'"); }, kRuleRefused},
    Choice{"TrailingDots", raising<vf::FolderValidatorExceptionTrailingDotsOnWindows>(), kRoom, [] { return message("folderNameWithTrailingDots"); }, kRuleRefused},
    Choice{"WritePermission", raising<vf::FolderValidatorExceptionWritePermission>(), kRoom, [] { return message("folderWritePermission"); }, kRuleRefused},
    Choice{"CannotBeCreated", raising<vf::FolderValidatorFailedToCreateFolder>(), kRoom, [] { return message("folderCreationFailed", "/srv/Orbitview"); }, kRuleRefused},
    Choice{"NotAbsolute", raising<vf::FolderValidatorAbsolutePath>(), kRoom, [] { return message("folderNotAbsolutePath"); }, kRuleRefused},
    Choice{"NotADirectory", raising<vf::FolderValidatorNotADirectory>(), kRoom, [] { return message("folderNotADirectory"); }, kRuleRefused},
    Choice{"InstallerRoot", raising<vf::FolderIsInstallerRootError>(), kRoom, [] { return message("folderIsInstallerRoot"); }, kRuleRefused},
    Choice{"RefusalThePageDoesNotKnow", raising<vf::FolderContainsUsersDefaultAppDataError>(), kRoom, nullptr,
           "/srv/Orbitview: refused|[/srv/Orbitview: refused]|true"},
    Choice{"FullDrive", [] {}, [] { return false; }, [] { return message("insufficientDiskSpace", "/", "3.0 MiB"); },
           joined(2, 23, message("standardErrorTitle"), 1, "/home/user/Orbitview", false)},
    Choice{"DriveThatCannotBeMeasured", [] {}, []() -> bool { throw std::runtime_error("statvfs failed"); },
           [] { return message("insufficientDiskSpace", "/", "3.0 MiB"); }, joined(2, 23, message("standardErrorTitle"), 1, "/home/user/Orbitview", false)},
    Choice{"UsableFolder", [] {}, kRoom, nullptr, "1|99|earlier title|1|/srv/Orbitview|true"}),
    workflow_test::rowName);
// clang-format on

}  // namespace
