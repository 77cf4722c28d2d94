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

namespace wu = install::product_installer::workflow_utils;
namespace fs = std::filesystem;
using fl::i18n::message;
using registration::productconfig::ProductRegistrationRunner;
using workflow_test::readText;

class NotingRunner : public ProductRegistrationRunner {
public:
    NotingRunner()
        : ProductRegistrationRunner(std::map<std::string, std::string>{{"skiposcommands", "true"}}) {}
    void runRegistrationCommands() const override {}
    std::u16string getInstallationNotes(const Texts& products) const override {
        return u"Installed " + fl::i18n::to_u16string(joined(products));
    }
};

class TestRuntimeProgressGate : public wu::VeloraRuntimeProgressGate {
public:
    using VeloraRuntimeProgressGate::VeloraRuntimeProgressGate;
    MockSupply<MockEngine> engines;
    fs::path registry, installer;
    mutable std::map<std::string, std::string> options;

protected:
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override { return engines.next(); }
    std::unique_ptr<ProductRegistrationRunner> getProductRegistrationRunnerInstance(
        const std::u16string& folder) const override {
        options = VeloraRuntimeProgressGate::getProductRegistrationRunnerInstance(folder)->options();
        return std::make_unique<NotingRunner>();
    }
    std::unique_ptr<install::registry::RegistryReader> getRegistryReaderInstance() const override {
        return std::make_unique<install::registry::RegistryReader>(registry);
    }
    std::u16string getInstallPathWrapper() const override { return installer.u16string(); }
};

class RuntimeProgressTest : public RuntimeFixture {
protected:
    RuntimeProgressTest() {
        handler->setInstallFolder(folder);
        handler->setInstalledProducts(codes("R X"));
        select({u"G", u"R"});
        gate.registry = registryRoot();
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
    void searchPath(const std::u16string& value) const {
        install::registry::RegistryStore(registryRoot())
            .write(u"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                   u"Path", value);
    }
    bool completed() const { return processed(u"VeloraRuntimeProgressGate"); }

    const std::u16string folder = u"/opt/velora runtime";
    const std::u16string entry = folder + u"/runtime/w64pc";
    std::vector<std::string> starts;
    bool failing = false;
    TestRuntimeProgressGate gate{u"VeloraRuntimeProgressGate", handler};
};

struct Run {
    const char* name;
    UpdateScenario scenario;
    bool engineFails;
    std::string outcome;  // engine runs (type|products|archives) then whether the step completed
};

class ScenarioRunTest : public RuntimeProgressTest, public testing::WithParamInterface<Run> {};

TEST_P(ScenarioRunTest, RunsTheEngineAsTheScenarioSays) {
    handler->setUpdateScenario(GetParam().scenario);
    failing = GetParam().engineFails;
    submit(gate);
    EXPECT_EQ(joined(starts) + "|" + joined(completed()), GetParam().outcome);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Scenarios, ScenarioRunTest, testing::Values(
    Run{"AlreadyUpToDate", UpdateScenario::AlreadyUpToDate, false, "[]|true"},
    Run{"FreshInstallation", UpdateScenario::FreshInstallation, false, "[0|[G,R]|archives]|true"},
    Run{"NewerLevelRemovesTheRuntimeFirst", UpdateScenario::UpdateToNewerLevel, false, "[3|[R,X]|temp_placeholder,0|[G,R]|archives]|true"},
    Run{"NotPossibleFromAFolder", UpdateScenario::UpdateNotPossibleFromFolderRepository, false, "[]|true"},
    Run{"FailedInstallationStaysOpen", UpdateScenario::ProductsAdded, true, "[0|[G,R]|archives]|false"}),
    rowName);
// clang-format on

struct SearchPath {
    const char* name;
    std::optional<std::u16string> value;  // "E" stands for the runtime's entry
    bool testRun;
    bool noted;
};

class SearchPathTest : public RuntimeProgressTest, public testing::WithParamInterface<SearchPath> {};

TEST_P(SearchPathTest, ANoteTellsTheUserToAddTheRuntimeWhenThePathLacksIt) {
    if (auto value = GetParam().value) {
        if (const auto at = value->find(u'E'); at != std::u16string::npos) value->replace(at, 1, entry);
        searchPath(*value);
    }
    handler->setIsBat(GetParam().testRun);
    handler->setUpdateScenario(UpdateScenario::FreshInstallation);
    submit(gate);
    const auto note = GetParam().noted ? message("existingSystemPathTooLong", folder) : u"";
    EXPECT_EQ(joined(dependent().getPathIssueNotes(), dependent().getInstallationNotes(), completed()),
              joined(note, "Installed [G,R]", true));
    EXPECT_THAT(log.lines(), testing::Contains(note));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Machines, SearchPathTest, testing::Values(
    SearchPath{"MiddleEntry", u"C:\\Windows;E;D:\\tools", false, false},
    SearchPath{"LastEntry", u"C:\\Windows;E", false, false},
    SearchPath{"OnlyALongerEntry", u"E64;C:\\Windows", false, true},
    SearchPath{"NoPathValue", std::nullopt, false, true},
    SearchPath{"TestRunsAreNotNoted", std::nullopt, true, false}),
    rowName);
// clang-format on

// The bundle of an application with its own program, and where it goes.
class PackagedApplicationTest : public RuntimeProgressTest {
protected:
    PackagedApplicationTest() {
        handler->setWorkflow(u"Vantapak Install");
        handler->setUpdateScenario(UpdateScenario::AlreadyUpToDate);
        scratch.writeFile("bundle/application/bin/viewer.bin", "program");
        scratch.writeFile("bundle/application/GettingStarted.html", "guide");
        scratch.writeFile("bundle/orbit.png", "icon");
        scratch.writeFile("bundle/orbitview", "launcher");
        scratch.writeFile("bundle/ApplicationInstallerManifest.xml", "<manifest/>");
        workflow_test::writeZip(gate.installer / "app_uninstaller.zip",
                                {{"uninstall-application.sh", "#!/bin/sh"}});
        const auto application = independent().getUserApplicationData();
        application.setExtractedBundleDirectory((scratch.path() / "bundle").u16string());
        application.setInstallationDirectory(target().u16string());
        application.setIcon(u"orbit.png");
        application.setMainProgram(u"orbitview");
        application.setApplicationName(u"Orbitview");
        application.setApplicationVersion(u"2.4");
    }
    fs::path target() const { return scratch.path() / "apps/Orbitview"; }
};

TEST_F(PackagedApplicationTest, IsCopiedWithItsIconGuideAndUninstallerAndRegisteredForLaunching) {
    scratch.writeFile("apps/Orbitview/application/bin/viewer.bin", "older program");
    submit(gate);
    const auto app = target() / "application";
    EXPECT_EQ(joined(readText(app / "bin/viewer.bin"), readText(target() / "orbit.png"),
                     readText(target() / "uninstall/ApplicationInstallerManifest.xml"),
                     readText(target() / "uninstall/uninstall-application.sh"), completed()),
              "program|icon|<manifest/>|#!/bin/sh|true");
    EXPECT_EQ(independent().getUserApplicationData().getGettingStartedGuideLocation(),
              (app / "GettingStarted.html").u16string());
    EXPECT_EQ(gate.options.at("vantapakapplicationfilepath") + "|" +
                  gate.options.at("vantapakapplicationiconfilepath") + "|" +
                  gate.options.at("vantapakapplicationname") + "|" +
                  gate.options.at("vantapakapplicationversion"),
              (app / "orbitview").string() + "|" + (target() / "orbit.png").string() + "|Orbitview|2.4");
    EXPECT_EQ(dependent().getInstallationNotes(), u"Installed [G,R]") << "the application is registered";
}

TEST_F(PackagedApplicationTest, AFolderThatCannotBeMadeIsLoggedAndTheRuntimeStepStillCompletes) {
    scratch.writeFile("apps/Orbitview", "a file in the way");
    submit(gate);
    EXPECT_THAT(log.lines(), testing::IsSupersetOf(
                                 {u"Failed to create directory " + (target() / "application").u16string(),
                                  std::u16string(u"Failed to install user application.")}));
    EXPECT_TRUE(completed());
}

}  // namespace
}  // namespace runtime_test
