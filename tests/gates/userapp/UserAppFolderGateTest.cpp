// The packaged application's folder page: the folder it proposes, its own table of folder
// refusals (each a failure without a title), and the space check that only a usable folder gets.
#include <gmock/gmock.h>

#include <functional>
#include <stdexcept>

#include "fl/i18n/Message.h"
#include "gates/userapp/UserAppFolderSelectionGate.h"
#include "install/validatefolder/FolderValidatorExceptions.h"
#include "support/GateFixture.h"
#include "support/MockFolderValidator.h"
#include "support/MockSupply.h"

namespace {

namespace vf = install::validatefolder;
using fl::i18n::message;
using testing::ElementsAre;
using workflow_test::MockFolderValidator, workflow_test::PrintTo, workflow_test::ShownStatus;

constexpr char16_t kGate[] = u"UserAppFolderSelectionGate";
constexpr std::uint64_t kRequired = 3u << 20;

class Disks : public install::engine::DiskSpaceValidator {
public:
    explicit Disks(std::function<bool()> answer) : answer(std::move(answer)) {}
    bool hasEnoughDiskSpaceToInstall(const std::u16string&, std::uint64_t bytes) const override {
        return bytes == kRequired && answer();
    }
    std::function<bool()> answer;
};

class TestUserAppFolderGate : public install::product_installer::workflow_utils::UserAppFolderSelectionGate {
public:
    using UserAppFolderSelectionGate::UserAppFolderSelectionGate;
    workflow_test::MockSupply<MockFolderValidator> validators;
    std::function<bool()> room = [] { return true; };
    mutable int spaceChecks = 0;

protected:
    std::unique_ptr<vf::FolderValidator> getFolderValidator() const override { return validators.next(); }
    std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const override {
        ++spaceChecks;
        return std::make_unique<Disks>(room);
    }
};

class UserAppFolderTest : public workflow_test::GateFixture {
protected:
    UserAppFolderTest() {
        application.setInstallationDirectory(u"/home/user/Orbitview");
        application.setRequiredDiskSpace(kRequired);
        gate.setDefaultData();
        handler->setUserInputInstallationDirectory(u"/srv/apps/Orbitview");
    }
    void refuse(std::function<void()> raise) {
        gate.validators.arrange([raise](MockFolderValidator& validator) {
            EXPECT_CALL(validator, checkRequired(std::u16string(u"/srv/apps/Orbitview"), false))
                .WillOnce(raise);
        });
    }
    install::datamodels::product_installer::UserApplicationData application =
        independent().getUserApplicationData();
    TestUserAppFolderGate gate{kGate, handler};
};

struct Refusal {
    const char* name;
    std::function<void()> raise;
    std::function<std::u16string()> message;
};

template <class Kind>
std::function<void()> raising() {
    return [] { throw Kind("/srv/apps/Orbitview: refused"); };
}

class RefusalTest : public UserAppFolderTest, public testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, IsAnUntitledFailureAndTheFolderIsNeitherStoredNorMeasured) {
    refuse(GetParam().raise);
    submit(gate);
    const auto shown = GetParam().message();
    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 3, shown, u""}));
    EXPECT_THAT(log.lines(), ElementsAre(shown));
    EXPECT_EQ(
        workflow_test::joined(application.getInstallationDirectory(), gate.spaceChecks, processed(kGate)),
        "/home/user/Orbitview|0|false");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rules, RefusalTest, testing::Values(
    Refusal{"NonEnglishCharacter", raising<vf::FolderValidatorExceptionNonEnglishCharacter>(), [] { return message("folderNonEnglishCharacter"); }},
    Refusal{"InvalidCharacter", raising<vf::FolderValidatorExceptionInvalidCharacter>(),
            [] { return message("folderInvalidCharacterWin", "'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'"); }},
    Refusal{"TrailingDots", raising<vf::FolderValidatorExceptionTrailingDotsOnWindows>(), [] { return message("folderNameWithTrailingDots"); }},
    Refusal{"WritePermission", raising<vf::FolderValidatorExceptionWritePermission>(), [] { return message("folderWritePermission"); }},
    Refusal{"CannotBeCreated", raising<vf::FolderValidatorFailedToCreateFolder>(), [] { return message("folderCreationFailed", "/srv/apps/Orbitview"); }},
    Refusal{"NotAbsolute", raising<vf::FolderValidatorAbsolutePath>(), [] { return message("folderNotAbsolutePath"); }},
    Refusal{"NotADirectory", raising<vf::FolderValidatorNotADirectory>(), [] { return message("folderNotADirectory"); }},
    Refusal{"InstallerRoot", raising<vf::FolderIsInstallerRootError>(), [] { return message("folderIsInstallerRoot"); }}),
    workflow_test::rowName);
// clang-format on

TEST_F(UserAppFolderTest, ARefusalThePageDoesNotKnowLeavesItAsAnErrorWithTheValidatorsText) {
    refuse(raising<vf::FolderContainsUsersDefaultAppDataError>());
    EXPECT_THAT([&] { gate.processData(); },
                testing::ThrowsMessage<std::runtime_error>("/srv/apps/Orbitview: refused"));
    EXPECT_EQ(status(), earlierStatus());
    EXPECT_THAT(log.lines(), ElementsAre(u"/srv/apps/Orbitview: refused"));
}

TEST_F(UserAppFolderTest, AFullOrUnmeasurableDriveIsATitledFailureNamingTheDriveAndTheSize) {
    const auto shown = message("insufficientDiskSpace", "/", "3.0 MiB");
    gate.room = [] { return false; };
    submit(gate);
    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 23, shown, message("standardErrorTitle")}));
    gate.room = []() -> bool { throw std::runtime_error("statvfs failed"); };
    submit(gate);
    EXPECT_THAT(log.lines(), ElementsAre(shown, u"statvfs failed", shown));
    EXPECT_EQ(application.getInstallationDirectory(), u"/home/user/Orbitview");
}

TEST_F(UserAppFolderTest, ProposesTheRecordedFolderAndStoresAUsableChoice) {
    gate.setDefaultData();
    EXPECT_EQ(handler->getUserInputInstallationDirectory(), u"/home/user/Orbitview");
    handler->setUserInputInstallationDirectory(u"/srv/apps/Orbitview");
    submit(gate);
    EXPECT_EQ(
        workflow_test::joined(application.getInstallationDirectory(), status().result, processed(kGate)),
        "/srv/apps/Orbitview|1|true");
    EXPECT_THAT(log.lines(), ElementsAre(u"UserApp Folder validation in Vantapak workflow is successful."));
}

}  // namespace
