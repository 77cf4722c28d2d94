// The online installation against the repository server: products downloaded into the archive
// cache below TMPDIR, verified and installed, the cache gone afterwards; a cut download resumed by
// the next run; the runs that cannot reach the repository leave the destination untouched.
#include "InstallerEndToEndTest.h"
#include "support/RepoServerProcess.h"

namespace velora::installer::test {
namespace {

using ::testing::AllOf;
using ::testing::Each;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

constexpr char kToken[] = "token-4711-never-shown";

// Each run holds a signed-in account's token, so the sign-in page is skipped.
class OnlineInstallTest : public InstallerEndToEndTest {
protected:
    OnlineInstallTest() { setChildVariable("VELORA_ACCESS_TOKEN", kToken); }

    // Not silent, the product page also checks the space for the downloads in the temporary folder.
    std::vector<std::string> onlineInstall(const std::string& repository, bool silent = true) const {
        // clang-format off
        std::vector<std::string> arguments{"--workflow", "Interactive Online Install", "--agree", "--repository",
            repository, "--destination", destination().string(), "--products", "VELORA,FLOWMERE",
            "--shortcut-folder", shortcutFolder().string(), "--menu-folder", (root() / "menu").string(), "--log",
            logFile().string(), "--diagnostics", diagnosticsFile().string()};
        // clang-format on
        if (silent) arguments.push_back("--silent");
        return arguments;
    }
    // What the runs left in the child's temporary folder besides the folder itself.
    std::vector<std::string> cacheFiles() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root() / "tmp"))
            if (entry.is_regular_file()) files.push_back(entry.path().filename().string());
        return files;
    }
    void expectInstalled(const InstallerOutcome& outcome) const {
        ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
        EXPECT_THAT(recordedBaseCodes(destination()), UnorderedElementsAre("VELORA", "FLOWMERE"));
        expectSampleContent(destination(), "VELORA", true);
        expectSampleContent(destination(), "FLOWMERE", true);
        EXPECT_TRUE(fs::exists(destination() / "uninstall.sh"));
        EXPECT_THAT(outcome.out + outcome.err, HasSubstr("Installed in " + destination().string()));
        EXPECT_THAT(cacheFiles(), IsEmpty());
    }
};

TEST_F(OnlineInstallTest, TwoProductsAreDownloadedVerifiedAndInstalledWithTheTokenNeverShown) {
    workflow_test::RepoServerProcess server(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY});
    auto arguments = onlineInstall(server.url());
    arguments.push_back("--events");
    const InstallerOutcome outcome = runInstaller(arguments);

    expectInstalled(outcome);
    EXPECT_TRUE(server.sawRequest("GET /archives/2025.1/VELORA.enc"));
    const std::string log = readText(logFile());
    EXPECT_THAT(log, Not(HasSubstr("Login Successful"))) << "a run holding a token skips the sign-in";
    for (const std::string& text : {outcome.out, outcome.err, log, readText(diagnosticsFile())})
        EXPECT_THAT(text, Not(HasSubstr(kToken)));
    const auto events = parseJsonLines(outcome.out);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (nlohmann::json{{"event", "finished"}, {"exitStatus", 0}}));
}

TEST_F(OnlineInstallTest, ACutDownloadFailsTheRunAndTheNextRunResumesItFromTheCache) {
    {
        workflow_test::RepoServerProcess cutting(
            VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY, "--fault", "cut-after=300"});
        const InstallerOutcome failed = runInstaller(onlineInstall(cutting.url()));
        ASSERT_EQ(failed.exitStatus, 1) << failed.transcript();
        EXPECT_TRUE(containsMessage(failed.out, "DownloadErrorMsg")) << failed.out;
    }
    EXPECT_FALSE(fs::exists(destination()));
    ASSERT_THAT(cacheFiles(), AllOf(Not(IsEmpty()), Each(EndsWith(".enc.part"))));

    workflow_test::RepoServerProcess server(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY});
    expectInstalled(runInstaller(onlineInstall(server.url(), false)));
    EXPECT_TRUE(server.sawRequest("range bytes=300-"));
    const std::string log = readText(logFile());
    EXPECT_THAT(log, HasSubstr("temporary folder: " + (root() / "tmp").string()));
    EXPECT_THAT(log, HasSubstr("temporary folder and install folder are in the same volume."));
}

TEST_F(OnlineInstallTest, RunsWithoutTheRepositoryEndWithTheReasonAndTheDestinationUntouched) {
    const std::string stopped =
        workflow_test::RepoServerProcess(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY}).url();
    const InstallerOutcome down = runInstaller(onlineInstall(stopped));
    EXPECT_EQ(down.exitStatus, 1) << down.transcript();
    EXPECT_TRUE(containsMessage(down.out, "connectionErrorMsg")) << down.out;
    EXPECT_FALSE(fs::exists(destination()));

    setChildVariable("VELORA_URL_CONFIGURATION", (root() / "none.json").string());
    const InstallerOutcome unknown = runInstaller(onlineInstall(""));
    EXPECT_EQ(unknown.exitStatus, 2);
    EXPECT_THAT(unknown.err, HasSubstr("An online installation needs the online product repository: give its "
                                       "address with --repository URL"));
    EXPECT_FALSE(fs::exists(destination()));
}

// Behind a proxy that wants credentials: the proxy page appears, takes them, and the repository,
// the downloads and the sign-in all go through it; the password is seen by the proxy alone.
TEST_F(OnlineInstallTest, ThroughTheAuthenticatingProxyWithThePasswordNeverShown) {
    constexpr char kProxyPassword[] = "proxy-secret-0815";
    fs::create_directories(root() / "secrets");
    std::ofstream(root() / "secrets/proxy-auth") << "proxyuser:" << kProxyPassword;
    std::ofstream(root() / "secrets/password") << kProxyPassword << '\n';
    workflow_test::RepoServerProcess server(
        VELORA_REPO_SERVER,
        {"--root", VELORA_SAMPLE_REPOSITORY, "--proxy-auth-file", (root() / "secrets/proxy-auth").string()});
    std::ofstream(root() / "urls.json") << nlohmann::json{
        {"ONLINE_SERVICE", server.url("ping")},
        {"PROXY", server.url()},
        {"PRODUCT_REPOSITORY", server.url()}}.dump();
    auto arguments = onlineInstall("");
    arguments.erase(arguments.begin() + 3, arguments.begin() + 5);  // the repository comes from the file
    arguments.insert(arguments.end(), {"--urls", (root() / "urls.json").string(), "--proxy-user", "proxyuser",
                                       "--proxy-password-file", (root() / "secrets/password").string()});
    const InstallerOutcome outcome = runInstaller(arguments);

    expectInstalled(outcome);
    EXPECT_TRUE(server.sawRequest("/ping -> 407")) << "the proxy asked for credentials first";
    EXPECT_TRUE(server.sawRequest("GET http://127.0.0.1"));
    EXPECT_THAT(readText(logFile()), HasSubstr("Proxy validation is successful."));
    for (const std::string& text :
         {outcome.out, outcome.err, readText(logFile()), readText(diagnosticsFile())})
        EXPECT_THAT(text, Not(HasSubstr(kProxyPassword)));
}

}  // namespace
}  // namespace velora::installer::test
