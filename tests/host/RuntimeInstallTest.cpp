// The runtime installer and "Vantapak Install" end to end: every update decision, from a folder
// and online, with the registry store in the scratch folder; the packaged application; a
// replacement of the runtime interrupted half-way.
#include <csignal>

#include "InstallerEndToEndTest.h"
#include "support/RepoServerProcess.h"

namespace velora::installer::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAreArray;

constexpr char kRuntime[] = "VELORA_RUNTIME";
constexpr char kGraphics[] = "VELORA_RUNTIME_GRAPHICS";

struct RuntimeCase {
    const char* name;
    std::vector<std::string> earlier;  // installed at level 0 before the run; none: a fresh machine
    int offeredLevel;
    std::vector<std::string> offered;  // the archives of the run's packages
    std::vector<std::string> extra;    // further arguments of the run
    int exitStatus;
    std::vector<std::string> recorded;  // after the run
    std::string output;                 // expected in the run's output
    bool replaced = false;              // the earlier runtime was removed first
};

class RuntimeInstallTest : public InstallerEndToEndTest {
protected:
    // Runtime packages of one update level holding the archives of `products`.
    fs::path packages(const std::string& name, int level, const std::vector<std::string>& products,
                      std::uint64_t paddingBytes = 0) const {
        const fs::path folder = root() / name;
        fs::create_directories(folder);
        for (const std::string& product : products)
            fs::copy_file(fs::path(VELORA_SAMPLE_RUNTIME_PACKAGES) / (product + ".enc"),
                          folder / (product + ".enc"));
        if (paddingBytes > 0) {
            // A runtime large enough to be interrupted while it is unpacked; no catalogue checksum then.
            ZipArchiveWriter writer(folder / (std::string(kRuntime) + ".enc"),
                                    ZipArchiveWriter::Compression::Store);
            writer.addFile("runtime/l64pc/velora-runtime", "#!/bin/sh\necho level 1\n", 0755);
            writer.addFile("share/velora_runtime/data.bin", std::string(paddingBytes, 'r'));
            writer.close();
        } else {
            fs::copy_file(fs::path(VELORA_SAMPLE_RUNTIME_PACKAGES) / "catalogue.json",
                          folder / "catalogue.json");
        }
        std::ofstream(folder / "VersionInfo.xml")
            << "<VersionInfo><Release>2025.1</Release><ReleaseStatus>Release</ReleaseStatus><UpdateLevel>"
            << level << "</UpdateLevel></VersionInfo>";
        return folder;
    }
    std::vector<std::string> runtimeInstall(const fs::path& from) const {
        auto arguments = silentInstall(from, destination(), "");
        arguments.erase(arguments.begin() + 6, arguments.begin() + 8);  // the products are the runtime's
        arguments.insert(arguments.begin(), "--runtime");
        arguments.insert(arguments.end(), {"--registry-root", (root() / "registry").string(), "--events"});
        return arguments;
    }
    std::string registry() const {
        return fs::exists(root() / "registry" / "registry.json")
                   ? readText(root() / "registry" / "registry.json")
                   : std::string();
    }
    // A runtime goes into a folder of its release below the folder given.
    fs::path runtimeFolder() const { return destination() / "2025.1"; }
    void expectRuntimeAt(int level) const {
        EXPECT_THAT(readText(runtimeFolder() / "VersionInfo.xml"),
                    HasSubstr("<UpdateLevel>" + std::to_string(level) + "</UpdateLevel>"));
        EXPECT_THAT(registry(), HasSubstr(nlohmann::json(runtimeFolder().string()).dump()));
    }
};

class RuntimeDecisionTest : public RuntimeInstallTest, public ::testing::WithParamInterface<RuntimeCase> {};

TEST_P(RuntimeDecisionTest, TheRunFollowsTheUpdateDecision) {
    const RuntimeCase& row = GetParam();
    if (!row.earlier.empty()) {
        const InstallerOutcome earlier = runInstaller(runtimeInstall(packages("earlier", 0, row.earlier)));
        ASSERT_EQ(earlier.exitStatus, 0) << earlier.transcript();
    }
    std::vector<std::string> arguments = runtimeInstall(packages("offered", row.offeredLevel, row.offered));
    arguments.insert(arguments.end(), row.extra.begin(), row.extra.end());
    const InstallerOutcome outcome = runInstaller(arguments);

    ASSERT_EQ(outcome.exitStatus, row.exitStatus) << outcome.transcript();
    EXPECT_THAT(recordedBaseCodes(runtimeFolder()), UnorderedElementsAreArray(row.recorded));
    for (const std::string& product : row.recorded) expectSampleContent(runtimeFolder(), product, true);
    if (!row.output.empty()) EXPECT_THAT(outcome.out + outcome.err, HasSubstr(row.output));
    const std::string log = readText(logFile());
    EXPECT_EQ(log.find("The existing Velora Runtime has been successfully removed.") != std::string::npos,
              row.replaced);
    expectRuntimeAt(row.exitStatus == 0 ? row.offeredLevel : 0);
    for (const auto& [path, content] : snapshot(runtimeFolder()))
        EXPECT_THAT(path, Not(HasSubstr(".velora-"))) << "left over";
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, RuntimeDecisionTest,
    ::testing::Values(
        RuntimeCase{"Fresh", {}, 0, {kRuntime, kGraphics}, {}, 0, {kRuntime, kGraphics}, "Installed in"},
        RuntimeCase{"SameLevelAlreadyInstalled",
                    {kRuntime, kGraphics},
                    0,
                    {kRuntime, kGraphics},
                    {},
                    0,
                    {kRuntime, kGraphics},
                    englishMessage("alreadyHasRuntimeMsg", {"Velora Runtime", "2025.1"})},
        RuntimeCase{"ProductsAddedAtTheSameLevel",
                    {kRuntime},
                    0,
                    {kRuntime, kGraphics},
                    {},
                    0,
                    {kRuntime, kGraphics},
                    "Installed in"},
        RuntimeCase{"NewerLevelReplacesTheOlderRuntime",
                    {kRuntime, kGraphics},
                    1,
                    {kRuntime, kGraphics},
                    {},
                    0,
                    {kRuntime, kGraphics},
                    "Installed in",
                    true},
        RuntimeCase{"FolderLackingAProductForTheNewerLevelIsRefused",
                    {kRuntime, kGraphics},
                    1,
                    {kRuntime},
                    {},
                    1,
                    {kRuntime, kGraphics},
                    englishMessage("runtimeIncompatibleMsg", {"2025.1", "Velora Runtime", "l64pc"})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RuntimeInstallTest, AnInterruptedReplacementLeavesTheEarlierRuntimeWorking) {
    ASSERT_EQ(runInstaller(runtimeInstall(packages("earlier", 0, {kRuntime, kGraphics}))).exitStatus, 0);
    const auto before = snapshot(runtimeFolder());
    constexpr std::uint64_t kBytes = 50u << 20;
    bool signalled = false;
    const InstallerOutcome stopped =
        runInstaller(runtimeInstall(packages("newer", 1, {kGraphics}, kBytes)), kRunLimit,
                     [&](const std::string& line, InstallerProcess& process) {
                         if (!signalled && line.find(R"("event":"progress")") != std::string::npos &&
                             nlohmann::json::parse(line).at("bytesDone").get<std::uint64_t>() > kBytes / 4) {
                             process.sendSignal(SIGINT);
                             signalled = true;
                         }
                     });

    ASSERT_TRUE(signalled) << stopped.transcript();
    EXPECT_EQ(stopped.exitStatus, 130) << stopped.transcript();
    EXPECT_THAT(readText(logFile()), HasSubstr("The existing Velora Runtime has been successfully removed."));
    EXPECT_EQ(snapshot(runtimeFolder()), before);
    expectRuntimeAt(0);
}

TEST_F(RuntimeInstallTest, OnlineTheRuntimeComesFromTheRepositoryAndItsUninstallerForgetsIt) {
    workflow_test::RepoServerProcess server(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_RUNTIME_REPOSITORY});
    setChildVariable("VELORA_ACCESS_TOKEN", "token-never-shown");
    auto arguments = runtimeInstall(root() / "no-packages");
    arguments.insert(arguments.end(),
                     {"--workflow", "Interactive Online Install", "--repository", server.url()});
    const InstallerOutcome outcome = runInstaller(arguments);

    ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    EXPECT_THAT(recordedBaseCodes(runtimeFolder()), UnorderedElementsAreArray({kRuntime, kGraphics}));
    EXPECT_TRUE(server.sawRequest("GET /archives/2025.1/VELORA_RUNTIME.enc"));
    expectRuntimeAt(0);
    const InstallerOutcome removed = runInstaller(
        {"--uninstall", runtimeFolder().string(), "--registry-root", (root() / "registry").string()});
    ASSERT_EQ(removed.exitStatus, 0) << removed.transcript();
    EXPECT_THAT(registry(), Not(HasSubstr(nlohmann::json(runtimeFolder().string()).dump())));
}

struct ApplicationCase {
    const char* name;
    std::string appDestination;  // below the scratch folder, where "taken" is a file; "./": as given
    int exitStatus;
    std::string output;
};

class VantapakInstallTest : public RuntimeInstallTest,
                            public ::testing::WithParamInterface<ApplicationCase> {};

TEST_P(VantapakInstallTest, TheApplicationGoesWithTheRuntimeOrItsFolderIsRefused) {
    const ApplicationCase& row = GetParam();
    std::ofstream(root() / "taken") << "x";
    const fs::path application =
        row.appDestination.starts_with("./") ? fs::path(row.appDestination) : root() / row.appDestination;
    auto arguments = runtimeInstall(packages("offered", 0, {kRuntime, kGraphics}));
    arguments.erase(arguments.begin());
    arguments.insert(arguments.end(),
                     {"--workflow", "Vantapak Install", "--app-bundle", VELORA_SAMPLE_VANTAPAK_BUNDLE,
                      "--app-destination", application.string()});
    const InstallerOutcome outcome = runInstaller(arguments);

    ASSERT_EQ(outcome.exitStatus, row.exitStatus) << outcome.transcript();
    EXPECT_THAT(outcome.out + outcome.err, HasSubstr(row.output));
    if (row.exitStatus != 0) return;
    EXPECT_THAT(recordedBaseCodes(runtimeFolder()), UnorderedElementsAreArray({kRuntime}));
    for (const char* file :
         {"application/hello-vantapak", "application/GettingStarted.html", "hello-vantapak.svg",
          "uninstall/ApplicationInstallerManifest.xml", "uninstall/uninstall-application.sh"})
        EXPECT_TRUE(fs::exists(application / file)) << file;
    EXPECT_THAT(
        outcome.out + outcome.err,
        HasSubstr("Getting started: " + (application / "application" / "GettingStarted.html").string()));
    EXPECT_THAT(outcome.out + outcome.err,
                HasSubstr(englishMessage("existingSystemPathTooLong", {runtimeFolder().string()})));
}

INSTANTIATE_TEST_SUITE_P(Folders, VantapakInstallTest,
                         ::testing::Values(ApplicationCase{"Installed", "hello", 0, "Installed in"},
                                           ApplicationCase{"RelativeFolderRefused", "./relative/hello", 1,
                                                           englishMessage("folderNotAbsolutePath")},
                                           ApplicationCase{"FileInTheWayRefused", "taken", 1,
                                                           englishMessage("folderNotADirectory")}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velora::installer::test
