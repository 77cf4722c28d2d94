// The installer run end to end, one run per row: what each run starts from, how it must end, and
// what it must leave in the destination and print.
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>

#include "InstallerEndToEndTest.h"
#include "install/destination_lock/DestinationLock.h"

namespace velora::installer::test {
namespace {

using install::destination_lock::DestinationLock;
using ::testing::Contains;

class InstallerRunTest;

// What one run is given; a row's preparation may change any of it.
struct Launch {
    fs::path packages;
    fs::path destination;
    std::vector<std::string> arguments;  // after those of a silent installation, or alone
    bool silent = true;
    InstallerProcess::LineWatcher watcher = {};
};

struct Scenario {
    std::string name;
    // Words of the command line after those of a silent installation of VELORA (a later
    // --products wins), with {root}, {packages}, {destination} and {pid} filled in.
    std::string arguments;
    int exitStatus;
    // The installation record afterwards. A product installed from its sample archive has the
    // sample content in the destination. A run that fails, or records nothing, leaves the
    // destination as it was (absent or empty when it did not exist).
    std::vector<std::string> recorded;
    // Texts of either output stream, filled in as the arguments: "@key" is the English message
    // of the key with any arguments, "@key|a|b" with those, and "!text" must not be printed.
    // Behind "log:", any of these is looked for in the installer log instead.
    std::vector<std::string> printed;
    // Error codes of the diagnostics; a run that succeeds without any writes none.
    std::vector<std::string> codes;
    std::function<void(InstallerRunTest&, Launch&)> prepare = nullptr;
    std::function<void(InstallerRunTest&, const Launch&, const InstallerOutcome&)> check = nullptr;
    // Sample products none of whose files may be in the destination.
    std::vector<std::string> notInstalled = {};
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class InstallerRunTest : public InstallerEndToEndTest, public ::testing::WithParamInterface<Scenario> {
public:
    void holdDestination(const fs::path& folder) { held_ = std::make_unique<DestinationLock>(folder); }
    void releaseDestination() { held_.reset(); }

private:
    std::unique_ptr<DestinationLock> held_;
};

std::string filledIn(std::string text, const InstallerRunTest& test, const Launch& run) {
    const std::pair<std::string, std::string> values[] = {{"{destination}", run.destination.string()},
                                                          {"{packages}", run.packages.string()},
                                                          {"{root}", test.root().string()},
                                                          {"{pid}", std::to_string(::getpid())}};
    for (const auto& [name, value] : values) {
        for (auto at = text.find(name); at != std::string::npos; at = text.find(name))
            text.replace(at, name.size(), value);
    }
    return text;
}

void expectPrinted(const std::string& output, const std::string& expected) {
    const bool negated = expected[0] == '!';
    const std::string text = expected.substr(negated ? 1 : 0);
    std::vector<std::string> parts;
    std::istringstream stream(text.substr(1));
    for (std::string part; std::getline(stream, part, '|');) parts.push_back(part);
    const bool found =
        text[0] != '@' ? output.find(text) != std::string::npos
        : parts.size() == 1
            ? containsMessage(output, parts[0])
            : output.find(englishMessage(parts[0], {parts.begin() + 1, parts.end()})) != std::string::npos;
    EXPECT_NE(found, negated) << (negated ? "printed: " : "not printed: ") << text << "\n" << output;
}

fs::path archiveOf(const fs::path& packages, const std::string& product) {
    const fs::path archive = packages / (product + ".enc");
    return fs::exists(archive) ? archive : packages / "common" / (product + ".enc");
}

TEST_P(InstallerRunTest, EndsAsTheRowSays) {
    const Scenario& scenario = GetParam();
    Launch run{samplePackages(), destination(), {}};
    std::istringstream words(scenario.arguments);
    run.arguments.assign(std::istream_iterator<std::string>(words), {});
    if (scenario.prepare) scenario.prepare(*this, run);
    for (std::string& argument : run.arguments) argument = filledIn(argument, *this, run);
    const auto before = snapshot(run.destination, true);
    const fs::path lockFile = DestinationLock::getLockFile(run.destination);
    const bool linkPlanted = fs::is_symlink(lockFile);
    auto arguments =
        run.silent ? silentInstall(run.packages, run.destination, "VELORA") : std::vector<std::string>{};
    arguments.insert(arguments.end(), run.arguments.begin(), run.arguments.end());

    const InstallerOutcome outcome = runInstaller(arguments, kRunLimit, run.watcher);
    releaseDestination();

    ASSERT_EQ(outcome.exitStatus, scenario.exitStatus) << outcome.transcript();
    EXPECT_THAT(recordedBaseCodes(run.destination), ::testing::UnorderedElementsAreArray(scenario.recorded))
        << outcome.transcript();
    for (const std::string& product : scenario.recorded) {
        if (readText(archiveOf(run.packages, product)) == readText(archiveOf(samplePackages(), product))) {
            expectSampleContent(run.destination, product, true);
        }
    }
    for (const std::string& product : scenario.notInstalled)
        expectSampleContent(run.destination, product, false);
    if (scenario.exitStatus != 0 || scenario.recorded.empty()) {
        EXPECT_EQ(snapshot(run.destination, true), before);
        // Nothing is registered for products that were not installed.
        EXPECT_TRUE(!fs::exists(shortcutFolder()) || fs::is_empty(shortcutFolder()));
    }
    // No lock file stays behind; a link planted under its name is left alone.
    EXPECT_EQ(fs::exists(fs::symlink_status(lockFile)), linkPlanted);
    for (const std::string& text : scenario.printed) {
        // "log:" rows are looked for in the installer log, the rest on the terminal.
        if (text.starts_with("log:")) {
            expectPrinted(readText(logFile()), filledIn(text.substr(4), *this, run));
        } else {
            expectPrinted(outcome.out + outcome.err, filledIn(text, *this, run));
        }
    }
    const std::vector<std::string> codes = diagnosticsErrorCodes();
    for (const std::string& code : scenario.codes) EXPECT_THAT(codes, Contains(code));
    // A run that succeeds without a warning reports no error.
    EXPECT_TRUE(scenario.exitStatus != 0 || !scenario.codes.empty() || codes.empty());
    if (scenario.arguments.find("--events") != std::string::npos) {
        // Standard output is the event stream alone, to its last line.
        std::vector<nlohmann::json> events;
        ASSERT_NO_THROW(events = parseJsonLines(outcome.out)) << outcome.out;
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back(),
                  (nlohmann::json{{"event", "finished"}, {"exitStatus", scenario.exitStatus}}));
        for (const auto& event : events) EXPECT_FALSE(event["event"] == "validation" && event["result"] == 2);
    }
    if (scenario.check) scenario.check(*this, run, outcome);
}

// Replaces the VELORA archive of a copy of the sample packages by one `fill` writes.
void replaceVelora(InstallerRunTest& test, Launch& run, const std::function<void(ZipArchiveWriter&)>& fill,
                   bool withCatalogue = false) {
    run.packages = test.copyOfSamplePackages(withCatalogue);
    fs::remove(run.packages / "VELORA.enc");
    ZipArchiveWriter writer(run.packages / "VELORA.enc", ZipArchiveWriter::Compression::Deflate);
    fill(writer);
    writer.close();
}

auto inFolder(const std::string& folder) {
    return [folder](InstallerRunTest& test, Launch& run) { run.destination = test.root() / folder; };
}

void alone(InstallerRunTest&, Launch& run) { run.silent = false; }

void installFirst(InstallerRunTest& test, Launch& run) {
    test.runInstaller(test.silentInstall(run.packages, run.destination, "VELORA,FLOWMERE"));
}

// In the plain "C" locale, as in many service and container environments.
void namesBeyondAscii(InstallerRunTest& test, Launch& run) {
    replaceVelora(test, run, [](ZipArchiveWriter& writer) {
        writer.addFile("share/velora/caf\u00e9/r\u00e9sum\u00e9.txt", "r\u00e9sum\u00e9\n");
        writer.addFile("share/velora/\u6587\u66f8.txt", "\u6587\u66f8\n");
    });
    test.setChildVariable("LC_ALL", "C");
}

void namesBeyondAsciiInstalled(InstallerRunTest&, const Launch& run, const InstallerOutcome&) {
    const fs::path folder = run.destination / "share" / "velora";
    EXPECT_EQ(readText(folder / "caf\u00e9" / "r\u00e9sum\u00e9.txt"), "r\u00e9sum\u00e9\n");
    EXPECT_EQ(readText(folder / "\u6587\u66f8.txt"), "\u6587\u66f8\n");
}

void notAZip(InstallerRunTest& test, Launch& run) {
    run.packages = test.copyOfSamplePackages();
    fs::resize_file(run.packages / "VELORA.enc", fs::file_size(run.packages / "VELORA.enc") / 2);
    scrambleBytes(run.packages / "VELORA.enc", 0, 64);
}

void forged(InstallerRunTest& test, Launch& run) {
    replaceVelora(
        test, run, [](ZipArchiveWriter& writer) { writer.addFile("bin/velora", "echo forged\n", 0755); },
        true);
}

void withoutChecksums(InstallerRunTest& test, Launch& run) {
    run.packages = test.copyOfSamplePackages(true);
    auto catalogue = nlohmann::json::parse(readText(run.packages / "catalogue.json"));
    for (auto& product : catalogue.at("products")) product.erase("archiveSha256");
    std::ofstream(run.packages / "catalogue.json") << catalogue;
}

void brokenCatalogue(InstallerRunTest& test, Launch&) {
    std::ofstream(test.root() / "broken.json") << R"({"products": [{"name": "no base code"}]})";
}

void heldElsewhere(InstallerRunTest& test, Launch& run) { test.holdDestination(run.destination); }

// A file of the user's own where a command link would go.
void linkFolderHoldsAFile(InstallerRunTest& test, Launch&) {
    fs::create_directories(test.root() / "links");
    std::ofstream(test.root() / "links" / "velora") << "mine";
}

// A link planted under the lock file's name is refused, never written through.
void lockFilePlantedAsLink(InstallerRunTest& test, Launch& run) {
    std::ofstream(test.root() / "victim") << "precious";
    fs::create_symlink(test.root() / "victim", DestinationLock::getLockFile(run.destination));
}

void linkTargetUnchanged(InstallerRunTest& test, const Launch&, const InstallerOutcome&) {
    EXPECT_EQ(readText(test.root() / "victim"), "precious");
}

void releasedWhenWaiting(InstallerRunTest& test, Launch& run) {
    test.holdDestination(run.destination);
    run.watcher = [&test](const std::string& line, InstallerProcess&) {
        if (line.find("Waiting for another installer") != std::string::npos) test.releaseDestination();
    };
}

// The licence server's own workflow; it asks for no products.
void licenseManager(InstallerRunTest&, Launch& run) {
    run.arguments.insert(run.arguments.end(), {"--workflow", "License Manager"});
}

void licenseManagerWithoutItsArchive(InstallerRunTest& test, Launch& run) {
    run.packages = test.copyOfSamplePackages();
    fs::remove(run.packages / "LICENSEMANAGER.enc");
    licenseManager(test, run);
}

// Every documented option, then the usage example, all on one command line: the installer reads
// every option before it acts on --help, and names the first one it does not know.
void everyDocumentedOption(InstallerRunTest& test, Launch& run) {
    const std::string usage = test.runInstaller({"--help"}).out;
    static const std::regex option(R"(\n  (--[a-z-]+)(, -h)?( [A-Z]+)?)");
    for (std::sregex_iterator match(usage.begin(), usage.begin() + usage.find("Example:"), option), end;
         match != end; ++match) {
        run.arguments.push_back((*match)[1]);
        if ((*match)[3].matched)
            run.arguments.push_back((*match)[3] == " BOOL"   ? "true"
                                    : (*match)[3] == " STEP" ? "SLAGate=DownloadOnly"
                                                             : "{root}/x.json");
    }
    EXPECT_THAT(run.arguments, ::testing::IsSupersetOf({"--catalogue", "--wait-lock", "--help", "--events"}));
    std::ofstream(test.root() / "x.json") << "{}";
    // Then the example's command line, without the program's name.
    std::istringstream example(
        std::regex_replace(usage.substr(usage.find("Example:") + 8), std::regex("\\\\\n"), ""));
    run.arguments.insert(run.arguments.end(), std::next(std::istream_iterator<std::string>(example)), {});
    run.arguments.push_back("--help");
    run.silent = false;
}

void installedWithUninstallerAndShortcut(InstallerRunTest& test, const Launch& run, const InstallerOutcome&) {
    struct stat status {};
    EXPECT_EQ(::stat((run.destination / "uninstall.sh").c_str(), &status), 0);
    EXPECT_NE(status.st_mode & S_IXUSR, 0u);
    const auto shortcuts = fs::directory_iterator(test.shortcutFolder());
    EXPECT_TRUE(std::any_of(fs::begin(shortcuts), fs::end(shortcuts),
                            [](const auto& entry) { return entry.path().extension() == ".desktop"; }));
}

// One event per report, its percent the share of bytes it shows (nothing is downloaded here).
void progressEndsAtFull(InstallerRunTest&, const Launch&, const InstallerOutcome& outcome) {
    std::vector<std::uint64_t> percents;
    std::vector<std::string> processed;
    std::optional<nlohmann::json> previous;
    for (const auto& event : parseJsonLines(outcome.out)) {
        if (event.at("event") == "step") processed.push_back(event.at("processed"));
        if (event.at("event") != "progress") continue;
        percents.push_back(event.at("percent"));
        const std::uint64_t done = event.at("bytesDone");
        const std::uint64_t total = event.at("bytesTotal");
        EXPECT_EQ(percents.back(), done * 100 / total) << event;
        EXPECT_NE(previous, event) << "repeated";
        previous = event;
    }
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100u);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end())) << ::testing::PrintToString(percents);
    EXPECT_THAT(processed, Contains("InstallProgressGate"));
}

const std::string kHeld =
    "The installation folder {destination} is in use by another installer (process {pid}); "
    "run again when it has finished, or with --wait-lock to wait for it.\n";

// Columns: name, arguments, exit status, recorded products, printed texts, diagnostics codes,
// preparation, further checks, sample products not installed, folders left behind.
// clang-format off
const Scenario kScenarios[] = {
    // The build's catalogue gives every sample archive's checksum, so each archive is verified.
    {"FreshInstallOfTwoProductsWithShortcut", "--products VELORA,FLOWMERE --desktop-shortcut true", 0,
     {"VELORA", "FLOWMERE"}, {"Installed in {destination}", "!Failure", "!Warning", "log:!checksum"}, {}, nullptr,
     installedWithUninstallerAndShortcut, {"VELORA_COMPILER"}},
    // The people's part of the output moves to standard error, out of the stream's way.
    {"EventStreamEndsAtFullProgress", "--products VELORA,FLOWMERE --events", 0, {"VELORA", "FLOWMERE"},
     {"@confirmationTitle"}, {}, nullptr, progressEndsAtFull},
    {"DryRunPrintsTheConfirmationAndInstallsNothing", "--products VELORA,FLOWMERE --dry-run", 0, {},
     {"@confirmationTitle", "{destination}", "2 of 5 products selected (FLOWMERE, VELORA)", "nothing was installed", "!progress"}, {}},
    {"FileNamesBeyondAsciiInTheCLocale", "", 0, {"VELORA"}, {}, {}, namesBeyondAscii, namesBeyondAsciiInstalled},
    {"ReinstallIntoTheSameFolderIsRefusedWithType14", "--products VELORA,FLOWMERE", 1, {"VELORA", "FLOWMERE"},
     {"log:Failure (result type 14)", "!result type", "@reinstallWarningTitle", "@reinstallWarningMsg|2025.1|w64pc"}, {"820"}, installFirst},
    // The folder validator's own tests go through every character it refuses.
    {"FolderWithAnInvalidCharacter", "", 1, {}, {"log:Failure (result type 3)", "@folderInvalidCharacterWin"}, {"610"}, inFolder("d;x")},
    // A silent run lacking products the chosen ones depend on is warned, not stopped. Quarrix Test
    // needs Quarrix Bug Finder besides Velora; Flowmere needs Velora, which controls the folder.
    {"MissingDependentProductIsWarnedOf", "--products VELORA,QUARRIX_TEST", 0, {"VELORA", "QUARRIX_TEST"},
     {"log:Warning (result type 7)", "!click Next",
      "The selected products need Quarrix Bug Finder, which is not selected: the installation goes on without it."}, {"840"}, nullptr, nullptr,
     {"QUARRIX_BUGFINDER"}},
    {"MissingControllingProductIsWarnedOf", "--products FLOWMERE", 0, {"FLOWMERE"},
     {"log:Warning (result type 6)",
      "The selected products need Velora, which is not selected: the installation goes on without it."}, {"880"}, nullptr, nullptr, {"VELORA"}},
    {"ArchiveThatIsNotAZipIsNamed", "", 1, {}, {"{packages}/VELORA.enc"}, {}, notAZip},
    {"ArchiveDifferingFromItsCatalogueChecksumIsRefused", "", 1, {},
     {"log:Failure (result type 13)", "@InvalidSignatureErrorMsg|2025.1|w64pc"}, {"2150"}, forged, nullptr, {"VELORA"}},
    {"ArchiveWithoutCatalogueChecksumIsInstalledWithAWarning", "", 0, {"VELORA"},
     {"log:{packages}/catalogue.json gives no checksum for the archive of VELORA, which is installed unverified"}, {}, withoutChecksums},
    {"GivenCatalogueThatIsMissingIsAUsageError", "--catalogue {root}/missing.json", 2, {}, {"{root}/missing.json"}, {}},
    {"GivenCatalogueThatIsInvalidIsAUsageError", "--catalogue {root}/broken.json", 2, {}, {"{root}/broken.json"}, {},
     brokenCatalogue},
    {"FailedRegistrationStepIsAPrintedWarning", "--symlink-folder {root}/links", 0, {"VELORA"},
     {"Warning: Registration incomplete. Command links: velora:", "exists and is not a link, left alone"}, {},
     linkFolderHoldsAFile},
    {"DestinationHeldByAnotherInstallerEndsWithStatus3", "", 3, {}, {kHeld}, {}, heldElsewhere},
    {"WaitLockWaitsForTheInstallerHoldingTheDestination", "--wait-lock", 0, {"VELORA"},
     {"Waiting for another installer (process {pid}) to finish installing into {destination}"}, {}, releasedWhenWaiting},
    {"LockFilePlantedAsALinkIsNotFollowed", "", 1, {}, {"cannot claim the installation folder {destination}"}, {},
     lockFilePlantedAsLink, linkTargetUnchanged},
    {"EveryDocumentedOptionAndTheExampleAreAccepted", "", 0, {}, {}, {}, everyDocumentedOption},
    {"UnknownOptionIsRefusedWithAPointerToTheHelp", "--no-such-option", 2, {}, {"'--no-such-option' (see --help)"}, {},
     alone},
    {"UnknownWorkflowIsAUsageErrorNamingTheKnownOnes", "--workflow Nope", 2, {},
     {R"(There is no workflow "Nope": give one of "DownloadOnly", "Interactive Install From Folder", "Interactive Online Install", "License Manager", "Vantapak Install".)"}, {}},
    {"SwitchToAnUnknownWorkflowIsAUsageError", "--switch-workflow SLAGate=Nope", 2, {},
     {R"(There is no workflow "Nope" to switch to: give one of "DownloadOnly",)"}, {}},
    {"SwitchAtAStepTheWorkflowLacksIsAUsageError", "--switch-workflow LoginGate=DownloadOnly --repository http://127.0.0.1:9",
     2, {}, {R"(has no step "LoginGate" to switch at: give one of "WelcomeGate", "ProductFilesDetectionGate",)"}, {}},
    {"LicenseManagerInstallsTheLicenceServerAlone", "", 0, {"LICENSEMANAGER"},
     {"@confirmationTitle", "1 of 1 products selected (LICENSEMANAGER)"}, {}, licenseManager, nullptr, {"VELORA"}},
    {"LicenseManagerWithoutItsArchiveIsRefused", "", 1, {},
     {"@selectedProductNotAvailable|License Manager", "{packages} hold no archive of LICENSEMANAGER"}, {"850"},
     licenseManagerWithoutItsArchive},
    {"UnknownProductIsAUsageErrorNamingIt", "--products VELORA,NOPE", 2, {}, {"has no product NOPE: give base codes among"}, {}},
    {"UnknownLocaleIsWarnedOfAndEnglishSpoken", "--locale tlh_QO", 0, {"VELORA"},
     {R"(there are no messages in "tlh_QO"; the installer speaks en_US)", "@confirmationTitle"}, {}},
    {"PackagesRootWithoutArchivesIsNamed", "--packages-root {root}", 2, {},
     {"There are no product archives (*.enc) in {root}: name the folder"}, {}},
    {"AnswersFileThatIsAFolderIsAUsageError", "--answers {root}", 2, {}, {"the answers file {root} is not a file"}, {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Runs, InstallerRunTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace velora::installer::test
