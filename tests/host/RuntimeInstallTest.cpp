// The runtime installer and "Vantapak Install" end to end: every update decision, from a folder
// and online, with the registry store in the scratch folder; the packaged application; a
// replacement of the runtime interrupted half-way.
#include <csignal>
#include <cstring>
#include <optional>

#include "InstallerEndToEndTest.h"
#include "support/RepoServerProcess.h"

namespace velora::installer::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAreArray;

constexpr char kRuntime[] = "VELORA_RUNTIME";
constexpr char kGraphics[] = "VELORA_RUNTIME_GRAPHICS";

// One run of the runtime installer, or of "Vantapak Install" when an application folder is given.
struct RuntimeCase {
    const char* name;
    std::vector<std::string> earlier;  // installed at level 0 before the run; none: a fresh machine
    int offeredLevel;
    std::vector<std::string> offered;  // the archives of the run's packages
    bool online;                       // from the sample runtime repository instead
    std::string application;           // below the scratch folder, where "taken" is a file; "./": as given
    int exitStatus;
    std::vector<std::string> recorded;  // after the run
    std::string output;                 // expected in the run's output
    bool replaced = false;              // the earlier runtime was removed first
};
void PrintTo(const RuntimeCase& row, std::ostream* out) { *out << row.name; }

class RuntimeInstallTest : public InstallerEndToEndTest {
protected:
    RuntimeInstallTest() { setChildVariable("VELORA_ACCESS_TOKEN", "token-never-shown"); }

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
    std::optional<workflow_test::RepoServerProcess> server;
    if (row.online) {
        server.emplace(VELORA_REPO_SERVER,
                       std::vector<std::string>{"--root", VELORA_SAMPLE_RUNTIME_REPOSITORY});
        arguments.insert(arguments.end(),
                         {"--workflow", "Interactive Online Install", "--repository", server->url()});
    }
    std::ofstream(root() / "taken") << "x";
    const fs::path application =
        row.application.starts_with("./") ? fs::path(row.application) : root() / row.application;
    if (!row.application.empty()) {
        arguments.erase(arguments.begin());  // the workflow installs the runtime
        arguments.insert(arguments.end(),
                         {"--workflow", "Vantapak Install", "--app-bundle", VELORA_SAMPLE_VANTAPAK_BUNDLE,
                          "--app-destination", application.string()});
    }
    const InstallerOutcome outcome = runInstaller(arguments);

    ASSERT_EQ(outcome.exitStatus, row.exitStatus) << outcome.transcript();
    EXPECT_THAT(outcome.out + outcome.err, HasSubstr(row.output));
    EXPECT_THAT(recordedBaseCodes(runtimeFolder()), UnorderedElementsAreArray(row.recorded));
    for (const std::string& product : row.recorded) expectSampleContent(runtimeFolder(), product, true);
    EXPECT_EQ(readText(logFile()).find("The existing Velora Runtime has been successfully removed.") !=
                  std::string::npos,
              row.replaced);
    if (row.recorded.empty()) return;
    expectRuntimeAt(row.exitStatus == 0 ? row.offeredLevel : 0);
    for (const auto& [path, content] : snapshot(runtimeFolder()))
        EXPECT_THAT(path, Not(HasSubstr(".velora-"))) << "left over";
    if (!row.application.empty()) {
        for (const char* file :
             {"application/hello-vantapak", "application/GettingStarted.html", "hello-vantapak.svg",
              "uninstall/ApplicationInstallerManifest.xml", "uninstall/uninstall-application.sh"})
            EXPECT_TRUE(fs::exists(application / file)) << file;
        EXPECT_THAT(outcome.err, HasSubstr("Getting started: " +
                                           (application / "application/GettingStarted.html").string()));
        EXPECT_THAT(outcome.err,
                    HasSubstr(englishMessage("existingSystemPathTooLong", {runtimeFolder().string()})));
    }
    // The runtime's uninstaller takes its registry record with it, and the folder the first
    // installation made, whatever level replaced it since.
    ASSERT_EQ(runInstaller({"--uninstall", runtimeFolder().string()}).exitStatus, 0);
    EXPECT_THAT(registry(), Not(HasSubstr(nlohmann::json(runtimeFolder().string()).dump())));
    EXPECT_FALSE(fs::exists(runtimeFolder()));
}

const std::vector<std::string> kWhole = {kRuntime, kGraphics};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Scenarios, RuntimeDecisionTest, ::testing::Values(
    RuntimeCase{"Fresh", {}, 0, kWhole, false, "", 0, kWhole, "Installed in"},
    RuntimeCase{"FreshOnline", {}, 0, {}, true, "", 0, kWhole, "Installed in"},
    RuntimeCase{"SameLevelAlreadyInstalled", kWhole, 0, kWhole, false, "", 0, kWhole,
                englishMessage("alreadyHasRuntimeMsg", {"Velora Runtime", "2025.1"})},
    RuntimeCase{"ProductsAddedAtTheSameLevel", {kRuntime}, 0, kWhole, false, "", 0, kWhole, "Installed in"},
    RuntimeCase{"NewerLevelReplacesTheOlderRuntime", kWhole, 1, kWhole, false, "", 0, kWhole, "Installed in", true},
    RuntimeCase{"FolderLackingAProductForTheNewerLevelIsRefused", kWhole, 1, {kRuntime}, false, "", 1, kWhole,
                englishMessage("runtimeIncompatibleMsg", {"2025.1", "Velora Runtime", "l64pc"})},
    RuntimeCase{"VantapakInstallsTheApplicationWithTheRuntimeItNeeds", {}, 0, kWhole, false, "hello", 0, {kRuntime},
                "Installed in"},
    RuntimeCase{"VantapakRefusesARelativeFolder", {}, 0, kWhole, false, "./relative/hello", 1, {},
                englishMessage("folderNotAbsolutePath")},
    RuntimeCase{"VantapakRefusesAFileInTheWay", {}, 0, kWhole, false, "taken", 1, {},
                englishMessage("folderNotADirectory")}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// The validation page checks the target volume before anything is unpacked: here against a
// repository that says its runtime takes an exbibyte once installed.
TEST_F(RuntimeInstallTest, ARuntimeLargerThanTheFreeSpaceIsRefusedBeforeAnythingIsInstalled) {
    const fs::path repository = root() / "repository";
    fs::copy(VELORA_SAMPLE_RUNTIME_REPOSITORY, repository, fs::copy_options::recursive);
    const fs::path index = repository / "index" / "2025.1" / "Release" / "l64pc.json";
    nlohmann::json products = nlohmann::json::parse(readText(index));
    for (auto& product : products.at("products")) product["installSize"] = std::uint64_t{1} << 60;
    std::ofstream(index) << products.dump();
    const workflow_test::RepoServerProcess server(VELORA_REPO_SERVER,
                                                  std::vector<std::string>{"--root", repository.string()});
    std::vector<std::string> arguments = runtimeInstall(packages("offered", 0, {}));
    arguments.insert(arguments.end(),
                     {"--workflow", "Interactive Online Install", "--repository", server.url()});

    const InstallerOutcome outcome = runInstaller(arguments);

    EXPECT_EQ(outcome.exitStatus, 1) << outcome.transcript();
    EXPECT_THAT(outcome.out + outcome.err,
                HasSubstr("There is not enough free disk space for the selected products, which require"));
    EXPECT_FALSE(fs::exists(runtimeFolder() / "VersionInfo.xml"));
    EXPECT_THAT(registry(), Not(HasSubstr(nlohmann::json(runtimeFolder().string()).dump())));
}

class InterruptedReplacementTest : public RuntimeInstallTest, public ::testing::WithParamInterface<int> {};

// Interrupted, the run puts the earlier runtime back itself; killed, the next run does.
TEST_P(InterruptedReplacementTest, LeavesTheEarlierRuntimeWorking) {
    const fs::path earlier = packages("earlier", 0, {kRuntime, kGraphics});
    ASSERT_EQ(runInstaller(runtimeInstall(earlier)).exitStatus, 0);
    auto before = snapshot(runtimeFolder());
    constexpr std::uint64_t kBytes = 50u << 20;
    bool signalled = false;
    const InstallerOutcome stopped =
        runInstaller(runtimeInstall(packages("newer", 1, {kGraphics}, kBytes)), kRunLimit,
                     [&](const std::string& line, InstallerProcess& process) {
                         if (!signalled && line.find(R"("event":"progress")") != std::string::npos &&
                             nlohmann::json::parse(line).at("bytesDone").get<std::uint64_t>() > kBytes / 4) {
                             process.sendSignal(GetParam());
                             signalled = true;
                         }
                     });

    ASSERT_TRUE(signalled) << stopped.transcript();
    EXPECT_EQ(stopped.exitStatus, GetParam() == SIGINT ? 130 : 128 + GetParam()) << stopped.transcript();
    EXPECT_THAT(readText(logFile()), HasSubstr("The existing Velora Runtime has been successfully removed."));
    auto after = snapshot(runtimeFolder());
    if (GetParam() == SIGKILL) {
        // The next run puts the earlier runtime back before it installs the same again, and
        // records what it installed.
        ASSERT_EQ(runInstaller(runtimeInstall(earlier)).exitStatus, 0);
        after = snapshot(runtimeFolder());
        for (const char* record : {"installed_products.json", "installed_files.list"}) {
            before.erase(record);
            after.erase(record);
        }
    }
    EXPECT_EQ(after, before);
    expectRuntimeAt(0);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedReplacementTest, ::testing::Values(SIGINT, SIGKILL),
                         [](const auto& info) { return std::string("SIG") + sigabbrev_np(info.param); });

}  // namespace
}  // namespace velora::installer::test
