// The download-only workflow against the repository server: what the run folder holds, that it
// installs with the server gone, and the runs that cannot start.
#include "InstallerEndToEndTest.h"
#include "support/RepoServerProcess.h"

namespace velora::installer::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class DownloadOnlyTest : public InstallerEndToEndTest {
protected:
    std::vector<std::string> downloadOnly(const std::string& repository) const {
        return {"--workflow",      "DownloadOnly",      "--silent",
                "--agree",         "--download-folder", (root() / "downloads").string(),
                "--platforms",     "l64pc,w64pc",       "--products",
                "VELORA,FLOWMERE", "--repository",      repository,
                "--log",           logFile().string()};
    }
};

TEST_F(DownloadOnlyTest, TheRunFolderHoldsVerifiedArchivesAndInstallersAndInstallsWithTheServerGone) {
    fs::path run;
    {
        workflow_test::RepoServerProcess server(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY});
        const InstallerOutcome outcome = runInstaller(downloadOnly(server.url()));
        ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
        ASSERT_EQ(std::distance(fs::directory_iterator(root() / "downloads"), {}), 1);
        run = fs::directory_iterator(root() / "downloads")->path();
        EXPECT_THAT(outcome.out, HasSubstr("Downloaded into " + run.string()));
    }
    for (const char* platform : {"l64pc", "w64pc"}) {
        SCOPED_TRACE(platform);
        const fs::path archives = run / "archives" / platform;
        for (const char* code : {"VELORA", "FLOWMERE"})
            EXPECT_EQ(readText(archives / (std::string(code) + ".enc")),
                      readText(fs::path(VELORA_SAMPLE_REPOSITORY) / "archives/2025.1" /
                               (std::string(code) + ".enc")));
        const auto catalogue = nlohmann::json::parse(readText(archives / "catalogue.json"));
        for (const auto& product : catalogue.at("products")) {
            const bool fetched = product.at("baseCode") == "VELORA" || product.at("baseCode") == "FLOWMERE";
            EXPECT_EQ(product.contains("archiveSha256"), fetched) << product.dump();
        }
        EXPECT_TRUE(fs::exists(run / ("velora_installer_2025.1_" + std::string(platform) + ".zip")));
    }
    EXPECT_TRUE(fs::exists(run / "velora_install.sh")) << "the installer of this platform is unpacked";
    for (const auto& entry : fs::recursive_directory_iterator(run))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();

    const InstallerOutcome offline = runInstaller(silentInstall(run, destination(), "VELORA,FLOWMERE"));
    ASSERT_EQ(offline.exitStatus, 0) << offline.transcript();
    expectSampleContent(destination(), "VELORA", true);
    expectSampleContent(destination(), "FLOWMERE", true);
}

TEST_F(DownloadOnlyTest, ARunThatCannotFetchEndsWithAFailureAndNoFileUnderAFinalName) {
    workflow_test::RepoServerProcess server(VELORA_REPO_SERVER,
                                            {"--root", VELORA_SAMPLE_REPOSITORY, "--fault", "cut-after=300"});
    const InstallerOutcome outcome = runInstaller(downloadOnly(server.url()));
    EXPECT_EQ(outcome.exitStatus, 1) << outcome.transcript();
    EXPECT_THAT(outcome.out, HasSubstr("Reason: "));
    for (const auto& entry : fs::recursive_directory_iterator(root() / "downloads")) {
        if (entry.path().extension() != ".enc") continue;
        EXPECT_EQ(fs::file_size(entry.path()), fs::file_size(fs::path(VELORA_SAMPLE_REPOSITORY) /
                                                             "archives/2025.1" / entry.path().filename()));
    }
}

// The user starts an online installation and chooses "download only" on the sign-in page.
TEST_F(DownloadOnlyTest, AnOnlineRunSwitchedOnTheSignInPageEndsAsADownloadOnlyRun) {
    workflow_test::RepoServerProcess server(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY});
    auto arguments = downloadOnly(server.url());
    arguments[1] = "Interactive Online Install";
    arguments.insert(arguments.end(), {"--switch-workflow", "LoginGate=DownloadOnly", "--events",
                                       "--destination", destination().string()});
    const InstallerOutcome outcome = runInstaller(arguments);

    ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    EXPECT_EQ(readText(fs::directory_iterator(root() / "downloads")->path() / "archives/l64pc/VELORA.enc"),
              readText(fs::path(VELORA_SAMPLE_REPOSITORY) / "archives/2025.1/VELORA.enc"));
    EXPECT_FALSE(fs::exists(destination()));
    std::string steps;  // the pages shown and done, and the switch, in order
    for (const auto& event : parseJsonLines(outcome.out))
        if (event.at("event") != "progress") steps += event.dump() + "\n";
    EXPECT_THAT(steps, HasSubstr(R"(,"required":"LoginGate"}
{"event":"workflow","from":"Interactive Online Install","to":"DownloadOnly"}
{"event":"step","processed":"WelcomeGate","required":"SLAGate"})"));
}

TEST_F(DownloadOnlyTest, WithoutARepositoryAddressTheRunDoesNotStart) {
    setChildVariable("VELORA_URL_CONFIGURATION", (root() / "none.json").string());
    const InstallerOutcome outcome = runInstaller(downloadOnly(""));
    EXPECT_EQ(outcome.exitStatus, 2);
    EXPECT_THAT(outcome.err, HasSubstr("A download-only run needs the online product repository"));
    EXPECT_FALSE(fs::exists(root() / "downloads"));
}

}  // namespace
}  // namespace velora::installer::test
