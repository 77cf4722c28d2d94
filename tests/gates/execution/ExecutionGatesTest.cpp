// The execution gates, over a real model.
//
// The confirmation summary: which items each kind of installation shows, their values, the size
// rules, and what reaches the log.
//
// The install progress step: what the engine is started with, how its progress reaches the
// model, how each kind of engine failure is shown, logged and reported, the registration
// options, the post-installation actions and their failures, and the timestamps diagnostics get.
// The engine and the registration runner are the test's; everything else (callbacks, handler,
// archive extraction, the runner's option map) is the real thing.
//
// The engine's progress reports as the callbacks turn them into model records, page texts and
// log lines.
#include <gmock/gmock.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <regex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "EngineProgressPublisher.h"
#include "fl/i18n/Message.h"
#include "gates/execution/ConfirmationGate.h"
#include "gates/execution/InstallProgressGate.h"
#include "gates/execution/ProgressGateDownloadCallback.h"
#include "gates/execution/ProgressGateInstallCallback.h"
#include "gates/execution/ProgressGateUninstallCallback.h"
#include "install/engine/EngineExceptions.h"
#include "install/platformutil/PlatformUtility.h"
#include "support/MockEngine.h"
#include "support/ModelFixture.h"
#include "support/ScratchFolder.h"

namespace {

namespace wu = install::product_installer::workflow_utils;
using fl::i18n::message;
using install::datamodels::product_installer::UpdateScenario;
using install::engine::EngineConfig, install::engine::OptionalFeatureFlags;
using registration::productconfig::ProductRegistrationRunner;
using testing::_, testing::AllOf, testing::Contains, testing::ElementsAre, testing::Return, testing::Throw;
using workflow_test::joined, workflow_test::MockEngine, workflow_test::PrintTo, workflow_test::ScratchFolder;
using Options = std::map<std::string, std::string>;

// --- the confirmation summary ---

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
const std::u16string kFolder = u"/opt/velora/2031.1";

class MockSizeCalculator : public install::engine::RequiredSizeCalculator {
public:
    MOCK_METHOD((std::pair<std::uint64_t, std::uint64_t>), getRequiredDownloadAndInstallSize,
                (const std::vector<std::u16string>&, const std::u16string&, const std::vector<std::string>&,
                 const std::vector<std::string>&, const install::repository_adapter::ProductMap&, bool, bool),
                (const, override));
};

class TestConfirmationGate : public install::product_installer::workflow_utils::ConfirmationGate {
public:
    using ConfirmationGate::ConfirmationGate;
    mutable std::unique_ptr<MockSizeCalculator> calculator = std::make_unique<MockSizeCalculator>();

protected:
    std::unique_ptr<install::engine::RequiredSizeCalculator> getRequiredSizeCalculatorInstance()
        const override {
        return std::move(calculator);
    }
};

class ConfirmationGateTest : public workflow_test::ModelFixture {
public:
    using ModelFixture::handler;

    ConfirmationGateTest() {
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(kFolder);
        handler->initializeProductSelectionModel();
        handler->initializeSelectedProducts({u"VELORA", u"FLOWMERE"});
        handler->setInstallableProducts({u"VELORA", u"FLOWMERE", u"COMPILER", u"QUARRIX", u"BUGFINDER"});
        handler->setRequiredInstallSize(2 * kGiB);
        independent().getRelease().setFamily(u"2031.1");
        independent().setExecutionPlatform(u"l64pc");
        independent().setLocale(u"de_DE");
    }

    // Each item as type=value.
    std::vector<std::string> items() const {
        std::vector<std::string> found;
        for (const auto& item : dependent().getConfirmationData().getConfirmationItemToDisplayList().values())
            found.push_back(joined(item.getConfirmationType()) + "=" + joined(item.getConfirmationValue()));
        return found;
    }
    // A runtime installation reckons its size itself, for the selection, folder, platform and locale.
    void runtime(UpdateScenario scenario, std::uint64_t installBytes) const {
        handler->setIsQRTInstallation(true);
        handler->setUpdateScenario(scenario);
        EXPECT_CALL(*gate.calculator, getRequiredDownloadAndInstallSize(ElementsAre(u"FLOWMERE", u"VELORA"),
                                                                        kFolder, ElementsAre("l64pc"),
                                                                        ElementsAre("de_DE"), _, true, true))
            .WillRepeatedly(Return(std::make_pair(std::uint64_t{1}, installBytes)));
    }
    void packagedApplication() const {
        dependent().setIsVantapakInstallation(true);
        independent().getUserApplicationData().setInstallationDirectory(u"/home/user/Orbitview");
        independent().getUserApplicationData().setExtractedBundleDirectory(u"/tmp/bundle/Orbitview/");
    }
    void downloadOnly() const {
        handler->setWorkflow(u"DownloadOnly");
        handler->initializeDownloadFolderModel();
        handler->setUserGivenDownloadFolder(u"/home/user/Downloads");
        handler->setDownloadableProducts({u"VELORA", u"FLOWMERE", u"COMPILER"});
        handler->setRequiredDownloadSize(3 * kGiB);
        auto platforms = dependent().getDownloadPlatforms().modify();
        for (const auto* code : {u"l64pc", u"x64zz", u"w64pc", u"m64ar", u"m64in"}) platforms.append(code);
        platforms.commit();
    }

    TestConfirmationGate gate{u"ConfirmationGate", handler};
};

std::string item(int type, const std::u16string& value) { return joined(type) + "=" + joined(value); }
std::string size(const char* formatted) { return item(4, message("requiredSizeMsg", formatted)); }
std::string runtimeProducts() {
    return item(3, message("VeloraRuntimeProductMsg", "Velora Runtime", u"2031.1"));
}
std::u16string addingTo(const char* afterKey) {
    return message("additionalProductsMsgPartOne", "Velora Runtime") + u"|?:" + kFolder + u"|?:" +
           message(afterKey);
}
const auto kApplication = item(2, u"/home/user/Orbitview");

// What the summary shows for each kind of installation.
struct Summary {
    const char* name;
    std::function<void(ConfirmationGateTest&)> prepare;
    std::function<std::vector<std::string>()> items;
};

class SummaryTest : public ConfirmationGateTest, public testing::WithParamInterface<Summary> {};

TEST_P(SummaryTest, ShowsTheItemsOfItsKindOfInstallation) {
    GetParam().prepare(*this);
    gate.setDefaultData();
    EXPECT_EQ(items(), GetParam().items());
}

using T = ConfirmationGateTest&;
using Items = std::vector<std::string>;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kinds, SummaryTest, testing::Values(
    Summary{"Installation", [](T) {},
            [] { return Items{item(0, kFolder), item(3, message("numberOfProductsSelectedMsg", 2, 5)), size("2.0 GiB")}; }},
    Summary{"DownloadOnlyWithThePlatformsKnown", [](T t) { t.downloadOnly(); },
            [] { return Items{item(0, u"/home/user/Downloads"), item(3, message("numberOfProductsSelectedMsg", 2, 3)),
                              item(6, message("Linux") + u" " + message("Windows") + u" " + message("macOS_Apple_silicon") +
                                      u" " + message("macOS_Intel_processor")),
                              size("3.0 GiB")}; }},
    Summary{"Runtime", [](T t) { t.runtime(UpdateScenario::FreshInstallation, 7 * kGiB); },
            [] { return Items{item(0, kFolder), runtimeProducts(), size("7.0 GiB")}; }},
    Summary{"RuntimeWithNothingSelected",
            [](T t) { t.runtime(UpdateScenario::FreshInstallation, 7 * kGiB); t.handler->initializeSelectedProducts({}); },
            [] { return Items{item(0, kFolder), runtimeProducts()}; }},
    Summary{"RuntimeAddingProducts", [](T t) { t.runtime(UpdateScenario::UpdateToNewerLevel, kGiB); },
            [] { return Items{item(0, addingTo("additionalProductsMsgPartTwo")), runtimeProducts(), size("1.0 GiB")}; }},
    Summary{"PackagedApplication",
            [](T t) { t.runtime(UpdateScenario::FreshInstallation, kGiB); t.packagedApplication(); },
            [] { return Items{kApplication, item(1, kFolder), size("1.0 GiB")}; }},
    Summary{"PackagedApplicationAddingProducts",
            [](T t) { t.runtime(UpdateScenario::UpdateToNewerLevel, kGiB); t.packagedApplication(); },
            [] { return Items{kApplication, item(1, addingTo("VantapakAdditionalProductsMsgPartTwo")), size("1.0 GiB")}; }},
    Summary{"PackagedApplicationAlreadyUpToDate",
            [](T t) { t.runtime(UpdateScenario::AlreadyUpToDate, kGiB); t.packagedApplication(); },
            [] { return Items{kApplication, item(1, message("runtimeAlreadyUpToDateMsg", "Velora Runtime") + u"|?:" + kFolder),
                              size("1.0 GiB")}; }}),
    workflow_test::rowName);
// clang-format on

TEST_F(ConfirmationGateTest, APackagedApplicationIsNamedByItsBundleFolderInTheLog) {
    runtime(UpdateScenario::FreshInstallation, 0);
    packagedApplication();
    gate.setDefaultData();
    EXPECT_THAT(
        log.lines(),
        ElementsAre(message("confirmationTitle"), message("userAppDestinationFolderTitle", "Orbitview"),
                    u"/home/user/Orbitview", message("destinationFolderTitle", "Velora Runtime"), kFolder));
}

// Each title is logged, trimmed, before its value.
TEST_F(ConfirmationGateTest, TheSummaryIsLoggedThenConfirmingCompletesTheStepAndClearingEmptiesIt) {
    gate.setDefaultData();
    EXPECT_THAT(
        log.lines(),
        ElementsAre(message("confirmationTitle"), u"Destination Folder", kFolder, message("productsTitle"),
                    message("numberOfProductsSelectedMsg", 2, 5), message("requiredSizeMsg", "2.0 GiB")));
    gate.setRequiredData();
    handler->setAsDataAvailable();
    gate.processData();
    applicationData().setIsDataModified(false);
    gate.clearInputData();
    EXPECT_EQ(
        joined(applicationData().getValidationStatus().getResult(), applicationData().getDataProcessed(),
               items().size(), applicationData().getIsDataModified()),
        "1|ConfirmationGate|0|true");
}

// --- the install progress step ---

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

// --- the progress callbacks ---

constexpr std::uint64_t kMiB = 1024 * 1024;

class ProgressCallbacksTest : public workflow_test::ModelFixture {
protected:
    ProgressCallbacksTest() { handler->initializeProgressData(); }
    install::datamodels::product_installer::ProgressData progress() const {
        return dependent().getProgressData();
    }

    wu::ProgressGateDownloadCallback download{handler};
    wu::ProgressGateInstallCallback install{handler};
    wu::ProgressGateUninstallCallback uninstall{handler};
};

// The done size is right-aligned in twelve characters on the page.
TEST_F(ProgressCallbacksTest, EachReportBecomesItsRecordWithTheSizes) {
    download({u"Flowmere", 30, 100, 30});
    install({u"Velora", 2, 3 * kMiB, 5, 300 * kMiB, 1});

    const auto d = progress().getDownloadProgressData();
    const auto i = progress().getInstallProgressData();
    EXPECT_EQ(joined(d.getComponentName(), d.getBytesDownloadedSoFar(), d.getExpectedBytesToBeDownloaded(),
                     d.getPercentage(), d.getDownloadMessage(), d.getDownloadTitle()),
              joined("Flowmere", 30, 100, 30, message("progressMessage", "        30 B", "100 B"),
                     message("downloadTitle")));
    EXPECT_EQ(
        joined(i.getComponentName(), i.getNumberOfComponentsInstalledSoFar(), i.getBytesInstalledSoFar(),
               i.getExpectedNumberOfComponentsToBeInstalled(), i.getExpectedBytesToBeInstalled(),
               i.getPercentage(), i.getInstallMessage(), i.getInstallTitle()),
        joined("Velora", 2, 3 * kMiB, 5, 300 * kMiB, 1,
               message("progressMessage", "     3.0 MiB", "300.0 MiB"), message("installTitle")));
}

TEST_F(ProgressCallbacksTest, FromNinetyNinePercentTheMessageSaysCompletedAndTheTitleIsEmpty) {
    for (const std::uint64_t percent : {98, 99, 150}) {
        SCOPED_TRACE(percent);
        download({u"Velora", 98, 100, percent});
        install({u"Velora", 0, 98, 1, 100, percent});
        uninstall({u"Velora", 98, 100, percent});
        const auto d = progress().getDownloadProgressData();
        const auto i = progress().getInstallProgressData();
        const auto u = progress().getUninstallProgressData();
        const auto texts = joined(d.getDownloadMessage(), d.getDownloadTitle(), i.getInstallMessage(),
                                  i.getInstallTitle(), u.getUninstallMessage(), u.getUninstallTitle());
        const auto sizes = message("progressMessage", "        98 B", "100 B");
        EXPECT_EQ(texts, percent < 99 ? joined(sizes, message("downloadTitle"), sizes,
                                               message("installTitle"), sizes, message("uninstallTitle"))
                                      : joined(message("downloadCompletedMessage"), "",
                                               message("installCompletedMessage"), "",
                                               message("uninstallCompletedMessage"), ""));
    }
}

TEST_F(ProgressCallbacksTest, EachNewPercentFromOneToHundredIsLoggedOnce) {
    for (const std::uint64_t percent : {0, 1, 1, 2, 50, 101, 50, 100, 100, 10})
        install({u"V", 0, 1, 1, 1, percent});
    EXPECT_THAT(log.lines(), ElementsAre(u"1%", u"2%", u"50%", u"100%", u"10%"));
    EXPECT_EQ(progress().getInstallProgressData().getPercentage(), 10u);
    log.clear();
    for (const std::uint64_t percent : {0, 5, 5, 101}) uninstall({u"V", percent, 100, percent});
    EXPECT_THAT(log.lines(), ElementsAre(u"5%"));
}

}  // namespace
