// The install progress step: what the engine is started with, how its progress reaches the
// model, how each kind of engine failure is shown, logged and reported, the registration
// options, the post-installation actions and their failures, and the timestamps diagnostics get.
// The engine and the registration runner are the test's; everything else (callbacks, handler,
// archive extraction, the runner's option map) is the real thing.
#include <gmock/gmock.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "EngineProgressPublisher.h"
#include "fl/i18n/Message.h"
#include "gates/execution/InstallProgressGate.h"
#include "install/engine/EngineExceptions.h"
#include "install/platformutil/PlatformUtility.h"
#include "support/MockEngine.h"
#include "support/ModelFixture.h"
#include "support/ScratchFolder.h"

namespace {

using install::engine::EngineConfig, install::engine::OptionalFeatureFlags;
using registration::productconfig::ProductRegistrationRunner;
using testing::_, testing::AllOf, testing::Contains, testing::ElementsAre, testing::Throw;
using workflow_test::joined, workflow_test::MockEngine, workflow_test::PrintTo, workflow_test::ScratchFolder;
using Options = std::map<std::string, std::string>;

class TestInstallProgressGate : public install::product_installer::workflow_utils::InstallProgressGate {
public:
    using InstallProgressGate::InstallProgressGate;

    // The engine of the next run; a test sets its expectations before processData.
    mutable std::unique_ptr<MockEngine> engine = std::make_unique<testing::NiceMock<MockEngine>>();
    std::function<std::unique_ptr<ProductRegistrationRunner>(const std::u16string&)> runnerFactory;
    std::function<void()> uninstallerOverride;

    // The option map the gate's own runner would get for this folder.
    std::map<std::string, std::string> registrationOptionsFor(const std::u16string& folder) const {
        return InstallProgressGate::getProductRegistrationRunnerInstance(folder)->options();
    }
    install::tlmx::DiagnosticsData stepDiagnostics() const { return getDiagnosticsData(); }
    install::tlmx::DiagnosticsData engineDiagnostics() const { return ProgressGate::getDiagnosticsData(); }

protected:
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override { return std::move(engine); }
    std::unique_ptr<ProductRegistrationRunner> getProductRegistrationRunnerInstance(
        const std::u16string& folder) const override {
        return runnerFactory(folder);
    }
    void setupUninstaller() const override {
        uninstallerOverride ? uninstallerOverride() : InstallProgressGate::setupUninstaller();
    }
};

// A runner that changes nothing on this machine and answers with fixed notes, or fails as told.
class ScriptedRunner : public ProductRegistrationRunner {
public:
    ScriptedRunner(std::string commandsFailure, std::string notesFailure)
        : ProductRegistrationRunner(std::map<std::string, std::string>{{"skiposcommands", "true"}}),
          commandsFailure(std::move(commandsFailure)),
          notesFailure(std::move(notesFailure)) {}
    void runRegistrationCommands() const override {
        if (!commandsFailure.empty()) throw std::runtime_error(commandsFailure);
    }
    std::u16string getInstallationNotes(const std::vector<std::u16string>& products) const override {
        if (!notesFailure.empty()) throw std::runtime_error(notesFailure);
        return u"Installed " + fl::i18n::to_u16string(std::to_string(products.size())) + u" products";
    }

private:
    std::string commandsFailure;
    std::string notesFailure;
};

class InstallProgressGateTest : public workflow_test::ModelFixture {
protected:
    InstallProgressGateTest() {
        std::filesystem::create_directories(installerFolder());
        install::platformutil::PlatformUtility::setInstallationPath(installerFolder());
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(installFolder());
        handler->initializeProductSelectionModel();
        handler->initializeSelectedProducts({u"VELORA", u"FLOWMERE"});
        handler->initializeOptionSelectionModel();
        independent().getRelease().setFamily(u"2031.1");
        independent().setExecutionPlatform(u"l64pc");
        independent().setLocale(u"de_DE");
        gate.runnerFactory = [this](const std::u16string& folder) {
            runnerFolder = folder;
            return std::make_unique<ScriptedRunner>("", "");
        };
    }
    ~InstallProgressGateTest() override { install::platformutil::PlatformUtility::setInstallationPath({}); }

    std::u16string installFolder() const { return (scratch.path() / "velora").u16string(); }
    std::filesystem::path installerFolder() const { return scratch.path() / "installer"; }
    // The step as the workflow manager drives it.
    void runStep() {
        gate.setDefaultData();
        gate.setRequiredData();
        handler->setAsDataAvailable();
        gate.processData();
    }
    bool stepCompleted() const { return applicationData().getDataProcessed() == u"InstallProgressGate"; }
    // The entries' values in the given order: "-" for an entry that is absent, "time" for a
    // date and time of day.
    static std::string entries(const install::tlmx::DiagnosticsData& data, const std::vector<int>& keys) {
        static const std::regex timestamp(R"("\d{4}-\d\d-\d\d \d\d:\d\d:\d\d")");
        std::string text;
        for (const int key : keys) {
            const auto found = data.getData().find(install::tlmx::SessionDataKey{key});
            const auto value = found == data.getData().end() ? "-" : found->second.dump();
            text += (text.empty() ? "" : "|") + (std::regex_match(value, timestamp) ? "time" : value);
        }
        return text;
    }

    ScratchFolder scratch;
    std::u16string runnerFolder;  // where the registration runner was made for, once it is made
    TestInstallProgressGate gate{u"InstallProgressGate", handler};
};

// What the model says about the kind of installation, and what the engine is told.
using Independent = const install::datamodels::product_installer::WorkflowIndependentData&;

struct EngineStart {
    const char* name;
    std::function<void(Independent)> prepare;
    // workflow type|documentation|demos|proxy user|password|third flag set|runner made for the
    // install folder before the engine starts|entry 24
    std::string started;
};

class EngineStartTest : public InstallProgressGateTest, public testing::WithParamInterface<EngineStart> {};

TEST_P(EngineStartTest, TellsTheEngineWhatKindOfInstallationItRuns) {
    handler->initializeProxy();
    GetParam().prepare(independent());
    std::string started;
    EXPECT_CALL(*gate.engine, start)
        .WillOnce([&](auto&&, auto&&, auto&&, auto&&, auto&&, auto type, auto&&,
                      const OptionalFeatureFlags& flags, const EngineConfig& config) {
            started = joined(
                type, flags.documentation.value_or(-1), flags.demos.value_or(-1),
                config.hasProxySettings() ? config.getProxyUserName() + "|" + config.getProxyPassword() : "|",
                flags.reserved.has_value(), runnerFolder == installFolder());
        });
    runStep();
    EXPECT_EQ(started + "|" + entries(gate.engineDiagnostics(), {24}), GetParam().started);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Installations, EngineStartTest, testing::Values(
    EngineStart{"DocumentationWithoutDemos", [](Independent m) { m.setInstallDoc(true); }, "0|0|1|||false|true|-"},
    EngineStart{"ThroughAProxy", [](Independent m) { m.getProxy().setUserName(u"jdoe"); m.getProxy().setPassword(u"s3cr\u00e9t"); }, "0|1|1|jdoe|s3cr\xC3\xA9t|false|true|-"},
    EngineStart{"ProxyUserWithoutPassword", [](Independent m) { m.getProxy().setUserName(u"jdoe"); }, "0|1|1|||false|true|-"}),
    workflow_test::rowName);
// clang-format on

TEST_F(InstallProgressGateTest, EngineProgressReachesTheModelUntilTheRunEnds) {
    EXPECT_CALL(*gate.engine, start).WillOnce([] {
        install::engine::publishDownloadProgress({u"Velora", 400, 1000, 40});
        install::engine::publishInstallProgress({u"Velora", 1, 3000, 2, 6000, 50});
    });
    runStep();
    install::engine::publishInstallProgress({u"late", 2, 6000, 2, 6000, 100});  // the connections are closed

    const auto progress = dependent().getProgressData();
    EXPECT_EQ(joined(progress.getDownloadProgressData().getBytesDownloadedSoFar(),
                     progress.getInstallProgressData().getComponentName(),
                     progress.getOverallProgressData().getPercentage()),
              "400|Velora|48");
    EXPECT_EQ(entries(gate.engineDiagnostics(), {7, 68, 8, 39, 71}), "400|1000|3000|6000|50");
}

TEST_F(InstallProgressGateTest, AnInterruptedRunLeavesTheStepOpenWithoutAFailure) {
    EXPECT_CALL(*gate.engine, start)
        .WillOnce(Throw(install::engine::EngineInterruptedException("2180", "Interrupted", "", "Engine")));
    runStep();
    EXPECT_FALSE(stepCompleted());
    EXPECT_EQ(applicationData().getValidationStatus().getResult(),
              install::datamodels::common::Result::Unknown);
    EXPECT_TRUE(diagnostics.records().empty());
    EXPECT_EQ(entries(gate.engineDiagnostics(), {26, 8}), "false|0") << "progress figures are collected too";
}

// One row of the engine failure table: what the engine throws, and what the user, the log and
// diagnostics get. The messages name the release and platform; a missing component's message
// names the file instead of ending the log line with the engine's text.
struct FailureRow {
    const char* name;
    std::function<void()> raise;
    const char* titleKey;
    const char* messageKey;
    bool missingFile;
    std::string record;  // code|message|details|location
};

template <class Exception>
std::function<void()> raising(const char* code) {
    return [code] { throw Exception(code, "VELORA.enc", "detail of " + std::string(code), "Engine::start"); };
}

namespace engine = install::engine;

// clang-format off
const FailureRow kFailureRows[] = {
    {"MissingComponent", raising<engine::EngineMissingComponentException>("2140"), "missingFileTitle", "missingFileMessage", true, "2140|VELORA.enc|detail of 2140|Progress::Engine::start"},
    {"Download", raising<engine::EngineDownloadException>("2185"), "DownloadErrorTitle", "DownloadErrorMsg", false, "2185|VELORA.enc|detail of 2185|Progress::Engine::start"},
    {"OtherEngineFailure", raising<engine::EngineInvalidInstalledProductsException>("2110"), "standardErrorTitle", "progressErrorMsg", false, "2110|VELORA.enc|detail of 2110|Progress::Engine::start"},
    // The wrapper already names the progress step, and handleException names it once more.
    {"StandardException", [] { throw std::runtime_error("disk on fire"); }, "standardErrorTitle", "progressErrorMsg", false, "199|unknown error|disk on fire|Progress::Progress"},
};
// clang-format on

class EngineFailureTest : public InstallProgressGateTest, public testing::WithParamInterface<FailureRow> {};

TEST_P(EngineFailureTest, IsShownLoggedReportedAndLeavesTheStepOpen) {
    std::string thrown;
    EXPECT_CALL(*gate.engine, start).WillOnce([&] {
        try {
            GetParam().raise();
        } catch (const std::exception& error) {
            thrown = error.what();
            throw;
        }
    });
    runStep();

    const auto message = GetParam().missingFile
                             ? fl::i18n::message(GetParam().messageKey, thrown, "2031.1", "w64pc")
                             : fl::i18n::message(GetParam().messageKey, "2031.1", "w64pc");
    const auto status = applicationData().getValidationStatus();
    EXPECT_EQ(joined(status.getResult(), independent().getValidationResultType(), status.getTitle(),
                     status.getMessage()),
              joined(2, 13, fl::i18n::message(GetParam().titleKey), message));
    EXPECT_THAT(log.lines(),
                Contains(message + (GetParam().missingFile ? u"" : fl::i18n::to_u16string(thrown))));
    EXPECT_THAT(recordTexts(), ElementsAre(GetParam().record));
    EXPECT_FALSE(stepCompleted());
    EXPECT_EQ(entries(gate.engineDiagnostics(), {26}), "false");
}

INSTANTIATE_TEST_SUITE_P(EveryRow, EngineFailureTest, testing::ValuesIn(kFailureRows),
                         workflow_test::rowName);

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

// What becomes of the step after the engine: a failing registration command or notes query is
// logged and the step completes; only a failure escaping the post-installation sequence itself
// leaves it open.
struct Outcome {
    const char* name;
    std::function<void(TestInstallProgressGate&)> prepare;
    bool completed;
    std::u16string notes;
    testing::Matcher<std::vector<std::u16string>> logged;
    std::string timestamps;  // entries 60 (page), 46 (installed), 45 (post-installation), 59 (end), 26
};

std::function<void(TestInstallProgressGate&)> runnerFailing(std::string commands, std::string notes) {
    return [=](auto& gate) {
        gate.runnerFactory = [=](auto&) { return std::make_unique<ScriptedRunner>(commands, notes); };
    };
}

class InstallOutcomeTest : public InstallProgressGateTest, public testing::WithParamInterface<Outcome> {};

TEST_P(InstallOutcomeTest, CompletesTheStepOnlyWhenInstallationAndPostInstallationSucceed) {
    GetParam().prepare(gate);
    runStep();
    EXPECT_EQ(stepCompleted(), GetParam().completed);
    EXPECT_EQ(dependent().getInstallationNotes(), GetParam().notes);
    EXPECT_THAT(log.lines(), GetParam().logged);
    EXPECT_EQ(entries(gate.stepDiagnostics(), {60, 46, 45, 59, 26}), GetParam().timestamps);
}

const auto outOfMemory = [](TestInstallProgressGate& gate) {
    gate.uninstallerOverride = [] { throw std::runtime_error("out of memory"); };
};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Outcomes, InstallOutcomeTest, testing::Values(
    // No uninstaller archive lies beside the installer here: that is logged, and the installation stands.
    Outcome{"Succeeded", [](auto&) {}, true, u"Installed 2 products", AllOf(Contains(u"Installed 2 products"), Contains(testing::Truly([](const std::u16string& line) { return line.starts_with(u"Failed to extract Uninstaller with error: ") && line.find(u"uninstall.zip") != line.npos; }))), "time|time|time|time|true"},
    Outcome{"RegistrationCommandsFail", runnerFailing("desktop folder is missing", ""), true, u"Installed 2 products", Contains(u"desktop folder is missing"), "time|time|time|time|true"},
    Outcome{"NotesFail", runnerFailing("", "notes unavailable"), true, u"", Contains(u"notes unavailable"), "time|time|time|time|true"},
    Outcome{"PostInstallationSequenceFails", outOfMemory, false, u"", _, "time|time|time|time|-"}),
    workflow_test::rowName);
// clang-format on

}  // namespace
