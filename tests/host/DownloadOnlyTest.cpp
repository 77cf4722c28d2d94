// The download-only workflow against the repository server, signed in to an account: what the run
// folder holds, that it installs with the server gone, the sign-in and the proxy page failing, and
// the runs that cannot start. No password or token of a run shows up in its output, its events, any
// file it writes, or its command line.
#include <fstream>

#include "InstallerEndToEndTest.h"
#include "support/RepoServerProcess.h"

namespace velora::installer::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr char kAccountPassword[] = "SENTINEL-account-pw-51c2";
constexpr char kWrongAccountPassword[] = "SENTINEL-wrong-account-pw-0d4e";
constexpr char kProxyPassword[] = "SENTINEL-proxy-pw-9e07";
constexpr char kWrongProxyPassword[] = "SENTINEL-wrong-proxy-pw-77aa";
// Every token the server issues starts so.
constexpr char kTokenPrefix[] = "vrs-token-";

class DownloadOnlyTest : public InstallerEndToEndTest {
protected:
    DownloadOnlyTest() {
        fs::create_directories(secrets());
        std::ofstream(secrets() / "accounts.json")
            << R"({"accounts": [{"email": "ada@example.org", "password": ")" << kAccountPassword
            << R"(", "firstName": "Ada", "lastName": "Lovelace"}]})";
        std::ofstream(secrets() / "proxy-auth") << "proxyuser:" << kProxyPassword;
        for (const char* secret :
             {kAccountPassword, kWrongAccountPassword, kProxyPassword, kWrongProxyPassword})
            std::ofstream(passwordFile(secret)) << secret << '\n';
    }

    // Where the run's secrets lie: the only files that may hold them.
    fs::path secrets() const { return root() / "secrets"; }
    // Named after the secret without its marker, so that the name on a command line is no leak.
    fs::path passwordFile(const std::string& secret) const { return secrets() / secret.substr(9); }

    std::unique_ptr<workflow_test::RepoServerProcess> startServer(
        std::vector<std::string> arguments = {}) const {
        arguments.insert(arguments.begin(), {"--root", VELORA_SAMPLE_REPOSITORY, "--accounts",
                                             (secrets() / "accounts.json").string(), "--proxy-auth-file",
                                             (secrets() / "proxy-auth").string()});
        return std::make_unique<workflow_test::RepoServerProcess>(VELORA_REPO_SERVER, arguments);
    }

    // The address configuration naming the server for everything, and as the proxy when asked.
    std::string urls(const workflow_test::RepoServerProcess& server, bool throughProxy) const {
        nlohmann::json urls = {{"EMBEDDED_SIGNIN", server.url("signin")},
                               {"ONLINE_SERVICE", server.url("ping")},
                               {"PRODUCT_REPOSITORY", server.url()}};
        if (throughProxy) urls["PROXY"] = "http://127.0.0.1:" + std::to_string(server.port());
        std::ofstream(root() / "urls.json") << urls.dump();
        return (root() / "urls.json").string();
    }

    std::vector<std::string> downloadOnly(const std::string& urls,
                                          const char* accountPassword = kAccountPassword,
                                          const char* proxyPassword = kProxyPassword) const {
        // clang-format off
        return {"--workflow", "DownloadOnly", "--silent", "--agree", "--download-folder", (root() / "downloads").string(),
                "--platforms", "l64pc,w64pc", "--products", "VELORA,FLOWMERE", "--urls", urls,
                "--account", "ada@example.org", "--account-password-file", passwordFile(accountPassword).string(),
                "--proxy-user", "proxyuser", "--proxy-password-file", passwordFile(proxyPassword).string(),
                "--log", logFile().string(), "--diagnostics", diagnosticsFile().string()};
        // clang-format on
    }
};

TEST_F(DownloadOnlyTest, TheRunFolderHoldsVerifiedArchivesAndInstallersAndInstallsWithTheServerGone) {
    fs::path run;
    {
        const auto server = startServer();
        const InstallerOutcome outcome = runInstaller(downloadOnly(urls(*server, false)));
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

struct SignInCase {
    std::string name;
    bool throughProxy = false;
    std::vector<std::string> serverArguments;
    const char* accountPassword = kAccountPassword;
    const char* proxyPassword = kProxyPassword;
    int exitStatus = 0;
    std::vector<std::string> codes;        // of the diagnostics file's error records
    std::vector<std::string> texts;        // in the output or the log
    std::vector<std::string> serverLines;  // parts of request lines the server printed
};
void PrintTo(const SignInCase& row, std::ostream* out) { *out << row.name; }

class SignedInDownloadTest : public DownloadOnlyTest, public ::testing::WithParamInterface<SignInCase> {};

TEST_P(SignedInDownloadTest, SignsInThenDownloadsOrStopsWithNoSecretShown) {
    const SignInCase& row = GetParam();
    const auto server = startServer(row.serverArguments);
    auto arguments = downloadOnly(urls(*server, row.throughProxy), row.accountPassword, row.proxyPassword);
    arguments.push_back("--events");
    std::string commandLine;
    const InstallerOutcome outcome =
        runInstaller(arguments, kRunLimit, [&](const std::string&, InstallerProcess& process) {
            if (commandLine.empty())
                commandLine = readText("/proc/" + std::to_string(process.pid()) + "/cmdline");
        });

    EXPECT_EQ(outcome.exitStatus, row.exitStatus) << outcome.transcript();
    EXPECT_EQ(diagnosticsErrorCodes(), row.codes);
    EXPECT_EQ(fs::exists(root() / "downloads"), row.exitStatus == 0)
        << "the download folder is made once signed in";
    for (const std::string& text : row.texts)
        EXPECT_THAT(outcome.transcript() + readText(logFile()), HasSubstr(text));
    for (const std::string& line : row.serverLines) EXPECT_TRUE(server->sawRequest(line)) << line;
    ASSERT_THAT(commandLine, HasSubstr("ada@example.org")) << "read while the installer ran";
    // The output and events, the command line, and every file of the run: log, diagnostics, downloads,
    // temporary.
    std::string written = outcome.transcript() + commandLine;
    for (const auto& entry : fs::recursive_directory_iterator(root()))
        if (entry.is_regular_file() && entry.path().parent_path() != secrets())
            written += readText(entry.path());
    for (const char* secret :
         {kAccountPassword, kWrongAccountPassword, kProxyPassword, kWrongProxyPassword, kTokenPrefix})
        EXPECT_EQ(written.find(secret), std::string::npos) << secret;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Runs, SignedInDownloadTest, ::testing::Values(
    SignInCase{"SignedInTheTokenOpensIndexesAndArchives", false, {}, kAccountPassword, kProxyPassword, 0, {},
               {"Signed in as Ada Lovelace (ada@example.org)."},
               {"POST /signin -> 200", "GET /index/2025.1/Release/w64pc.json -> 200", "GET /archives/2025.1/VELORA.enc -> 200"}},
    SignInCase{"WrongAccountPasswordIsTheUsersError", false, {}, kWrongAccountPassword, kProxyPassword, 1, {"2620"},
               {"Sign-in refused for ada@example.org (The e-mail address or the password is not right)", "Failure: Connection Error",
                "Error in Login panel due to user action"}, {"POST /signin -> 401"}},
    SignInCase{"BackEndErrorIsNamedAsTheReason", false, {"--fault", "signin-error"}, kAccountPassword, kProxyPassword, 1,
               {"2610"}, {"signin answered HTTP 500", "Error in Login panel due to wrong endpoint"}, {"POST /signin -> 500"}},
    SignInCase{"ThroughTheProxyAfterItsPage", true, {}, kAccountPassword, kProxyPassword, 0, {},
               {"Proxy validation is successful.", "Signed in as Ada Lovelace"},
               {"/ping -> 407", "POST http://127.0.0.1", "GET http://127.0.0.1"}},
    SignInCase{"WrongProxyCredentialsFailTheProxyPage", true, {}, kAccountPassword, kWrongProxyPassword, 1, {},
               {"Failure (result type 21)", "The installer could not connect through the proxy server."}, {"/ping -> 407"}}),
    [](const auto& info) { return info.param.name; });
// clang-format on

TEST_F(DownloadOnlyTest, ARunThatCannotFetchEndsWithAFailureAndNoFileUnderAFinalName) {
    const auto server = startServer({"--fault", "cut-after=300"});
    const InstallerOutcome outcome = runInstaller(downloadOnly(urls(*server, false)));
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
    const auto server = startServer();
    auto arguments = downloadOnly(urls(*server, false));
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
{"event":"step","processed":"LoginGate","required":"LoginGate"})"));
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
