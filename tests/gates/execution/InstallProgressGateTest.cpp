// The install progress step around the engine run: registration options, the post-installation
// actions and their failures, the uninstaller, and the timestamps diagnostics get.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>

#include "InstallProgressGateFixture.h"
#include "ZipWriter.h"
#include "install/engine/EngineExceptions.h"

namespace {

using install::datamodels::product_installer::OptionType;
using workflow_test::InstallProgressGateFixture;
using Options = std::map<std::string, std::string>;

using InstallProgressGateTest = InstallProgressGateFixture;

TEST_F(InstallProgressGateTest, RegistrationOptionsDescribeTheInstallationAndTheChoices) {
    independent().getSessionData().setSessionKey(u"session-42");
    handler->setIsBat(true);
    const auto selection = handler->getOptionSelection();
    selection.setSymbolicLinkPath(u"/usr/local/bin");
    selection.setIsDesktopShortcutSelected(true);
    selection.setIsFileAssociationSelected(true);
    selection.setIsImproveVeloraSelected(true);
    EXPECT_EQ(gate.registrationOptionsFor(u"/opt/v\u00e9lora"),
              (Options{{"veloraroot", "/opt/v\xc3\xa9lora"},
                       {"sessionkey", "session-42"},
                       {"symlink", ""},  // a stored path counts only with the link selected
                       {"desktopshortcutselected", "true"},
                       {"startmenushortcut", "false"},
                       {"skiposcommands", "true"},
                       {"setfileassoc", "true"},
                       {"createacceltask", "false"},
                       {"improvevelora", "true"},
                       {"runveloratlmx", "true"}}));

    selection.setIsSymbolicLinkSelected(true);
    handler->initializeSelectedProducts({u"FLOWMERE"});
    const auto options = gate.registrationOptionsFor(installFolder());
    EXPECT_EQ(options.at("symlink") + " " + options.at("runveloratlmx"), "/usr/local/bin false");
}

TEST_F(InstallProgressGateTest, RegistrationChoicesReachDiagnostics) {
    const auto selection = handler->getOptionSelection();
    selection.setIsStartMenuShortcutSelected(true);
    selection.setIsAcceleratorTaskSelected(true);
    handler->insertIntoOptionToDisplayList(
        handler->createOptionToDisplay(OptionType::DesktopShortcut, false));
    gate.registrationOptionsFor(installFolder());
    EXPECT_EQ(entries(gate.engineDiagnostics(), {66, 14, 63}), "false|false|true");
    EXPECT_EQ(entries(gate.stepDiagnostics(), {77, 76, 11, 62}), "false|false|true|false");
    handler->insertIntoOptionToDisplayList(handler->createOptionToDisplay(OptionType::ImproveVelora, false));
    gate.registrationOptionsFor(installFolder());
    EXPECT_EQ(entries(gate.stepDiagnostics(), {77}), "true");
}

// What becomes of the step after the engine: a failing registration command or notes query is
// logged and the step completes; only a failure escaping the post-installation sequence itself,
// or a failed installation, leaves it open.
struct Outcome {
    const char* name;
    std::function<void(workflow_test::TestInstallProgressGate&)> prepare;
    bool completed;
    std::u16string notes;
    std::u16string logged;
    std::string timestamps;  // entries 60 (page), 46 (installed), 45 (post-installation), 59 (end), 26
};
void PrintTo(const Outcome& row, std::ostream* out) { *out << row.name; }

std::function<void(workflow_test::TestInstallProgressGate&)> runnerFailing(std::string commands,
                                                                           std::string notes) {
    return [=](auto& gate) {
        gate.runnerFactory = [=](auto&) {
            return std::make_unique<workflow_test::ScriptedRunner>(commands, notes);
        };
    };
}

class InstallOutcomeTest : public InstallProgressGateFixture, public testing::WithParamInterface<Outcome> {};

TEST_P(InstallOutcomeTest, CompletesTheStepOnlyWhenInstallationAndPostInstallationSucceed) {
    GetParam().prepare(gate);
    runStep();
    EXPECT_EQ(stepCompleted(), GetParam().completed);
    EXPECT_EQ(dependent().getInstallationNotes(), GetParam().notes);
    if (!GetParam().logged.empty()) {
        EXPECT_TRUE(logHas(GetParam().logged));
    }
    EXPECT_EQ(entries(gate.stepDiagnostics(), {60, 46, 45, 59, 26}), GetParam().timestamps);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, InstallOutcomeTest,
    testing::Values(
        Outcome{"Succeeded", [](auto&) {}, true, u"Installed 2 products", u"Installed 2 products",
                "time|time|time|time|true"},
        Outcome{"RegistrationCommandsFail", runnerFailing("desktop folder is missing", ""), true,
                u"Installed 2 products", u"desktop folder is missing", "time|time|time|time|true"},
        Outcome{"NotesFail", runnerFailing("", "notes unavailable"), true, u"", u"notes unavailable",
                "time|time|time|time|true"},
        Outcome{
            "PostInstallationSequenceFails",
            [](auto& gate) { gate.uninstallerOverride = [] { throw std::runtime_error("out of memory"); }; },
            false, u"", u"", "time|time|time|time|-"},
        Outcome{"InstallationFails",
                [](auto& gate) {
                    EXPECT_CALL(*gate.engine, start)
                        .WillOnce(testing::Throw(
                            install::engine::EngineExtractOrRegisterException("2160", "V", "", "E")));
                },
                false, u"", u"", "time|-|-|time|-"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallProgressGateTest, TheUninstallerBesideTheInstallerIsUnpackedIntoTheInstallFolder) {
    std::u16string runnerFolder;
    gate.runnerFactory = [&](const std::u16string& folder) {
        runnerFolder = folder;
        return std::make_unique<workflow_test::ScriptedRunner>("", "");
    };
    EXPECT_CALL(*gate.engine, start).WillOnce([&] { EXPECT_EQ(runnerFolder, installFolder()); });
    runStep();
    EXPECT_TRUE(log.lines().front().starts_with(u"Failed to extract Uninstaller with error: "));
    EXPECT_NE(log.lines().front().find(u"uninstall.zip"), std::u16string::npos);

    install::test::writeZip(installerFolder() / "uninstall.zip", {{"uninstall.sh", "#!/bin/sh\n"}});
    gate.engine = std::make_unique<testing::NiceMock<workflow_test::MockEngine>>();
    runStep();
    std::ifstream script(std::filesystem::path(installFolder()) / "uninstall.sh");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(script), {}), "#!/bin/sh\n");
}

}  // namespace
