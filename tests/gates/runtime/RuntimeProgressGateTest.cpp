// The runtime's progress step: which scenario runs the engine (a replaced runtime removed first),
// when the step completes, the note about the system search path, and the packaged application
// copied into place with its own uninstaller. The engine, the registration runner and the
// installer's folder are the test's; files, archives and the registry are real.
#include "RegistryStore.h"
#include "RuntimeTesting.h"
#include "fl/i18n/Message.h"
#include "gates/runtime/VeloraRuntimeProgressGate.h"
#include "support/ZipFile.h"

namespace runtime_test {
namespace {

using runtime_test::PrintTo;
namespace fs = std::filesystem;
using registration::productconfig::ProductRegistrationRunner;

// Registers nothing on this machine.
struct SilentRunner : ProductRegistrationRunner {
    SilentRunner() : ProductRegistrationRunner(std::map<std::string, std::string>{}) {}
    void runRegistrationCommands() const override {}
    std::u16string getInstallationNotes(const Texts&) const override { return {}; }
};

class TestRuntimeProgressGate : public install::product_installer::workflow_utils::VeloraRuntimeProgressGate {
public:
    using VeloraRuntimeProgressGate::VeloraRuntimeProgressGate;
    MockSupply<MockEngine> engines;
    fs::path installer;
    mutable std::map<std::string, std::string> options;

protected:
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override { return engines.next(); }
    std::unique_ptr<ProductRegistrationRunner> getProductRegistrationRunnerInstance(
        const std::u16string& folder) const override {
        options = VeloraRuntimeProgressGate::getProductRegistrationRunnerInstance(folder)->options();
        return std::make_unique<SilentRunner>();
    }
    std::u16string getInstallPathWrapper() const override { return installer.u16string(); }
};

// The runtime R and X is installed in /opt/vr; G and R are selected. Each engine run is noted as
// type|products|archives folder.
class RuntimeProgressTest : public RuntimeFixture {
protected:
    RuntimeProgressTest() {
        handler->setInstallFolder(u"/opt/vr");
        handler->setInstalledProducts(codes("R X"));
        select({u"G", u"R"});
        gate.installer = scratch.makeFolder("installer");
        gate.engines.arrange([this](MockEngine& engine) {
            ON_CALL(engine, start)
                .WillByDefault([this](const Texts& products, auto&&, auto&&, auto&&,
                                      const std::u16string& archives, auto type, auto&&...) {
                    starts.push_back(joined(type, products, fs::path(archives).filename().string()));
                    if (failing) throw install::engine::EngineDownloadException("2185", "down", "", "Engine");
                });
        });
    }
    bool completed() const { return processed(u"RuntimeProgress"); }

    std::vector<std::string> starts;
    bool failing = false;
    TestRuntimeProgressGate gate{u"RuntimeProgress", handler};
};

// The scenario, how the engine fares and the machine's search path; then the engine runs, whether
// the step completed and the note about the search path ("-" for none).
struct Run {
    const char* name;
    UpdateScenario scenario;
    bool engineFails, testRun;
    std::u16string searchPath;
    std::string outcome;
};

class RunTest : public RuntimeProgressTest, public testing::WithParamInterface<Run> {};

TEST_P(RunTest, FollowsTheScenarioAndNotesARuntimeMissingFromTheSearchPath) {
    install::registry::RegistryStore(registryRoot())
        .write(u"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
               u"Path", GetParam().searchPath);
    handler->setIsBat(GetParam().testRun);
    handler->setUpdateScenario(GetParam().scenario);
    failing = GetParam().engineFails;
    submit(gate);
    const auto note = dependent().getPathIssueNotes();
    const auto noted = note.empty()                                                        ? "-"
                       : note == fl::i18n::message("existingSystemPathTooLong", "/opt/vr") ? "noted"
                                                                                           : joined(note);
    EXPECT_EQ(joined(starts, completed(), noted), GetParam().outcome);
}

constexpr char16_t kLastEntry[] = u"C:\\Windows;/opt/vr/runtime/w64pc";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Scenarios, RunTest, testing::Values(
    Run{"AlreadyUpToDate", UpdateScenario::AlreadyUpToDate, false, false, u"", "[]|true|-"},
    Run{"FreshInstallationWithoutThePath", UpdateScenario::FreshInstallation, false, false, u"", "[0|[G,R]|archives]|true|noted"},
    Run{"NewerLevelRemovesTheRuntimeFirst", UpdateScenario::UpdateToNewerLevel, false, false, kLastEntry, "[3|[R,X]|temp_placeholder,0|[G,R]|archives]|true|-"},
    Run{"NotPossibleFromAFolder", UpdateScenario::UpdateNotPossibleFromFolderRepository, false, false, u"", "[]|true|-"},
    Run{"FailedInstallationStaysOpen", UpdateScenario::ProductsAdded, true, false, u"", "[0|[G,R]|archives]|false|-"},
    Run{"RuntimeAsAMiddleEntryOfThePath", UpdateScenario::FreshInstallation, false, false, u"C:\\Windows;/opt/vr/runtime/w64pc;D:\\x", "[0|[G,R]|archives]|true|-"},
    Run{"OnlyALongerEntryInThePath", UpdateScenario::FreshInstallation, false, false, u"/opt/vr/runtime/w64pc64;C:\\Windows", "[0|[G,R]|archives]|true|noted"},
    Run{"TestRunsAreNotNoted", UpdateScenario::FreshInstallation, false, true, u"", "[0|[G,R]|archives]|true|-"}),
    rowName);
// clang-format on

// An application that comes with its own program, over an up-to-date runtime; an older copy of it
// is in the way.
TEST_F(RuntimeProgressTest, APackagedApplicationIsCopiedWithItsIconGuideAndUninstallerAndRegistered) {
    handler->setWorkflow(u"Vantapak Install");
    handler->setUpdateScenario(UpdateScenario::AlreadyUpToDate);
    for (const auto* file : {"application/bin/viewer", "application/GettingStarted.html", "orbit.png",
                             "orbitview", "ApplicationInstallerManifest.xml"})
        scratch.writeFile(fs::path("bundle") / file, file);
    scratch.writeFile("apps/application/bin/viewer", "older");
    workflow_test::writeZip(gate.installer / "app_uninstaller.zip",
                            {{"uninstall-application.sh", "#!/bin/sh"}});
    const auto record = independent().getUserApplicationData();
    record.setExtractedBundleDirectory((scratch.path() / "bundle").u16string());
    record.setInstallationDirectory((scratch.path() / "apps").u16string());
    record.setIcon(u"orbit.png");
    record.setMainProgram(u"orbitview");
    submit(gate);
    const auto at = [&](const char* file) { return workflow_test::readText(scratch.path() / "apps" / file); };
    EXPECT_EQ(joined(at("application/bin/viewer"), at("orbit.png"),
                     at("uninstall/ApplicationInstallerManifest.xml"),
                     at("uninstall/uninstall-application.sh"), record.getGettingStartedGuideLocation(),
                     completed(), gate.options.at("vantapakapplicationfilepath")),
              joined("application/bin/viewer", "orbit.png", "ApplicationInstallerManifest.xml", "#!/bin/sh",
                     (scratch.path() / "apps/application/GettingStarted.html").string(), true,
                     (scratch.path() / "apps/application/orbitview").string()));
}

}  // namespace
}  // namespace runtime_test
