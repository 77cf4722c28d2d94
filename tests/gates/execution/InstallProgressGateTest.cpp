// The install progress step around the engine run: registration options, post-installation
// actions, the uninstaller, and the timestamps diagnostics get.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <stdexcept>
#include <string>

#include "InstallProgressGateFixture.h"
#include "ZipWriter.h"
#include "install/engine/EngineExceptions.h"

namespace {

using install::datamodels::common::Result;
using install::datamodels::product_installer::OptionType;
using testing::Throw;
using workflow_test::InstallProgressGateFixture;
using workflow_test::ScriptedRunner;

using Options = std::map<std::string, std::string>;

class InstallProgressGateTest : public InstallProgressGateFixture {
protected:
    void failingRunner(const std::string& commandsFailure, const std::string& notesFailure) {
        gate.runnerFactory = [=](const std::u16string&) {
            return std::make_unique<ScriptedRunner>(commandsFailure, notesFailure);
        };
    }
    void failingInstallation() const {
        EXPECT_CALL(*gate.engine, start)
            .WillOnce(
                Throw(install::engine::EngineExtractOrRegisterException("2160", "VELORA.enc", "", "Engine")));
    }
    static bool isTimestamp(const foundation::json::Value& value) {
        return value.is_string() &&
               std::regex_match(value.get<std::string>(), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"));
    }
};

TEST_F(InstallProgressGateTest, RegistrationOptionsDescribeTheInstallationAndTheChoices) {
    independent().getSessionData().setSessionKey(u"session-42");
    handler->setIsBat(true);
    const auto selection = handler->getOptionSelection();
    selection.setIsSymbolicLinkSelected(true);
    selection.setSymbolicLinkPath(u"/usr/local/bin");
    selection.setIsDesktopShortcutSelected(true);
    selection.setIsFileAssociationSelected(true);
    selection.setIsImproveVeloraSelected(true);

    EXPECT_EQ(gate.registrationOptionsFor(u"/opt/v\u00e9lora"), (Options{{"veloraroot", "/opt/v\xc3\xa9lora"},
                                                                         {"sessionkey", "session-42"},
                                                                         {"symlink", "/usr/local/bin"},
                                                                         {"desktopshortcutselected", "true"},
                                                                         {"startmenushortcut", "false"},
                                                                         {"skiposcommands", "true"},
                                                                         {"setfileassoc", "true"},
                                                                         {"createacceltask", "false"},
                                                                         {"improvevelora", "true"},
                                                                         {"runveloratlmx", "true"}}));
}

TEST_F(InstallProgressGateTest, AnUnselectedSymbolicLinkLeavesTheKeyEmptyWhateverPathIsStored) {
    handler->getOptionSelection().setSymbolicLinkPath(u"/usr/local/bin");
    const auto options = gate.registrationOptionsFor(installFolder());
    ASSERT_EQ(options.count("symlink"), 1u);
    EXPECT_EQ(options.at("symlink"), "");
}

TEST_F(InstallProgressGateTest, UsageDataServiceRunsOnlyWithTheMainProduct) {
    handler->initializeSelectedProducts({u"FLOWMERE", u"VELORA_COMPILER"});
    EXPECT_EQ(gate.registrationOptionsFor(installFolder()).at("runveloratlmx"), "false");
    handler->initializeSelectedProducts({u"VELORA_COMPILER", u"VELORA"});
    EXPECT_EQ(gate.registrationOptionsFor(installFolder()).at("runveloratlmx"), "true");
}

TEST_F(InstallProgressGateTest, RegistrationChoicesReachDiagnostics) {
    const auto selection = handler->getOptionSelection();
    selection.setIsStartMenuShortcutSelected(true);
    selection.setIsAcceleratorTaskSelected(true);
    handler->insertIntoOptionToDisplayList(handler->createOptionToDisplay(OptionType::ImproveVelora, false));
    gate.registrationOptionsFor(installFolder());

    const auto engineRecord = gate.engineDiagnostics();
    EXPECT_EQ(at(engineRecord, 66), false);
    EXPECT_EQ(at(engineRecord, 14), false);
    EXPECT_EQ(at(engineRecord, 63), true);
    const auto stepRecord = gate.stepDiagnostics();
    EXPECT_EQ(at(stepRecord, 77), true);
    EXPECT_EQ(at(stepRecord, 76), false);
    EXPECT_EQ(at(stepRecord, 11), true);
    EXPECT_EQ(at(stepRecord, 62), false);
}

TEST_F(InstallProgressGateTest, UsageDataOfferIsRecordedAsAbsentWhenNotDisplayed) {
    handler->insertIntoOptionToDisplayList(
        handler->createOptionToDisplay(OptionType::DesktopShortcut, false));
    gate.registrationOptionsFor(installFolder());
    EXPECT_EQ(at(gate.stepDiagnostics(), 77), false);
}

TEST_F(InstallProgressGateTest, TheRunnerIsMadeForTheInstallFolderBeforeTheEngineRuns) {
    std::u16string runnerFolder;
    bool engineStarted = false;
    gate.runnerFactory = [&](const std::u16string& folder) {
        EXPECT_FALSE(engineStarted);
        runnerFolder = folder;
        return std::make_unique<ScriptedRunner>("", "");
    };
    EXPECT_CALL(*gate.engine, start).WillOnce([&] { engineStarted = true; });
    runStep();
    EXPECT_EQ(runnerFolder, installFolder());
}

TEST_F(InstallProgressGateTest, ASuccessfulInstallationCompletesWithNotesAndEveryTimestamp) {
    runStep();
    EXPECT_TRUE(stepCompleted());
    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Valid);
    EXPECT_EQ(dependent().getInstallationNotes(), u"Installed 2 products");
    EXPECT_TRUE(logHas(u"Installed 2 products"));

    const auto record = gate.stepDiagnostics();
    for (const int key : {60, 46, 45, 59}) EXPECT_TRUE(isTimestamp(at(record, key))) << key;
    EXPECT_EQ(at(record, 26), true);
}

TEST_F(InstallProgressGateTest, AFailedInstallationHasOnlyTheStartAndEndTimestamps) {
    failingInstallation();
    runStep();
    EXPECT_FALSE(stepCompleted());
    const auto record = gate.stepDiagnostics();
    EXPECT_TRUE(isTimestamp(at(record, 59)));
    EXPECT_TRUE(isTimestamp(at(record, 60)));
    EXPECT_FALSE(has(record, 46));
    EXPECT_FALSE(has(record, 45));
    EXPECT_FALSE(has(record, 26));
    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Failure);
}

TEST_F(InstallProgressGateTest, ARunnerWhoseCommandsThrowStillCompletesTheStep) {
    failingRunner("desktop folder is missing", "");
    runStep();
    EXPECT_TRUE(stepCompleted());
    EXPECT_TRUE(logHas(u"desktop folder is missing"));
    EXPECT_EQ(dependent().getInstallationNotes(), u"Installed 2 products");
}

TEST_F(InstallProgressGateTest, NotesThatCannotBeMadeAreLoggedAndTheStepCompletes) {
    failingRunner("", "notes unavailable");
    runStep();
    EXPECT_TRUE(stepCompleted());
    EXPECT_TRUE(logHas(u"notes unavailable"));
    EXPECT_EQ(dependent().getInstallationNotes(), u"");
}

TEST_F(InstallProgressGateTest, AMissingUninstallerIsLoggedAndTheStepCompletes) {
    runStep();
    EXPECT_TRUE(stepCompleted());
    const auto lines = log.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::u16string& line) {
        return line.starts_with(u"Failed to extract Uninstaller with error: ") &&
               line.find(u"uninstall.zip") != std::u16string::npos;
    }));
}

TEST_F(InstallProgressGateTest, TheUninstallerBesideTheInstallerIsUnpackedIntoTheInstallFolder) {
    install::test::writeZip(installerFolder() / "uninstall.zip", {{"uninstall.sh", "#!/bin/sh\necho bye\n"}});
    runStep();
    EXPECT_TRUE(stepCompleted());
    std::ifstream script(std::filesystem::path(installFolder()) / "uninstall.sh");
    const std::string content((std::istreambuf_iterator<char>(script)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "#!/bin/sh\necho bye\n");
}

TEST_F(InstallProgressGateTest, AFailureEscapingThePostInstallSequenceLeavesTheStepOpen) {
    gate.uninstallerOverride = [] { throw std::runtime_error("out of memory"); };
    runStep();
    EXPECT_FALSE(stepCompleted());
    const auto record = gate.stepDiagnostics();
    EXPECT_TRUE(has(record, 46));
    EXPECT_TRUE(has(record, 45));
    EXPECT_FALSE(has(record, 26));
    EXPECT_TRUE(has(gate.engineDiagnostics(), 8)) << "progress figures collected for the failure";
}

TEST_F(InstallProgressGateTest, SetDefaultDataStartsFreshProgress) {
    handler->initializeProgressData();
    handler->setInstallProgressData(u"old", 1, 2, 3, 4, 50, u"", u"");
    gate.setDefaultData();
    EXPECT_FALSE(dependent().getProgressData().getInstallProgressData());
    EXPECT_TRUE(gate.checkIfCommitsTransactions());
}

}  // namespace
