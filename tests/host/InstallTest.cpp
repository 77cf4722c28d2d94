// Installations that succeed, and what they leave in the destination and print.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "InstallerEndToEndTest.h"
#include "ZipArchiveWriter.h"

namespace velora::installer::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

std::string contentOf(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::stringstream content;
    content << stream.rdbuf();
    return content.str();
}

// Every file of the product's sample content, relative to the content folder.
std::vector<fs::path> productFiles(const fs::path& content) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(content)) {
        if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(content));
    }
    return files;
}

bool isExecutable(const fs::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 && (status.st_mode & S_IXUSR) != 0;
}

using FreshInstallTest = InstallerEndToEndTest;

TEST_F(FreshInstallTest, InstallsBothProductsRecordsThemPlacesTheUninstallerAndPrintsTheNotes) {
    auto arguments = silentInstall(samplePackages(), destination(), "VELORA,FLOWMERE");
    arguments.insert(arguments.end(), {"--desktop-shortcut", "true"});

    const InstallerOutcome outcome = runInstaller(arguments);

    ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    for (const std::string product : {"VELORA", "FLOWMERE"}) {
        const fs::path content = sampleProductContent(product);
        for (const fs::path& file : productFiles(content)) {
            ASSERT_TRUE(fs::is_regular_file(destination() / file)) << file;
            EXPECT_EQ(contentOf(destination() / file), contentOf(content / file)) << file;
        }
    }
    // Products not chosen stay out, although their archives lie beside the chosen ones.
    for (const fs::path& file : productFiles(sampleProductContent("VELORA_COMPILER"))) {
        EXPECT_FALSE(fs::exists(destination() / file)) << file;
    }
    EXPECT_THAT(recordedBaseCodes(destination()), ::testing::UnorderedElementsAre("VELORA", "FLOWMERE"));
    EXPECT_TRUE(isExecutable(destination() / "uninstall.sh"));
    EXPECT_THAT(outcome.out, HasSubstr("Installed in " + destination().string()));
    EXPECT_THAT(outcome.out, Not(HasSubstr("Failure")));
    EXPECT_THAT(outcome.out, Not(HasSubstr("Warning")));
    bool shortcutMade = false;
    for (const auto& entry : fs::directory_iterator(shortcutFolder())) {
        shortcutMade = shortcutMade || entry.path().extension() == ".desktop";
    }
    EXPECT_TRUE(shortcutMade) << "no desktop shortcut in " << shortcutFolder();
    EXPECT_THAT(diagnosticsErrorCodes(), ::testing::IsEmpty());
}

TEST_F(FreshInstallTest, FileNamesBeyondAsciiAreInstalledWhateverTheEnvironmentsLocale) {
    const fs::path packages = copyOfSamplePackages();
    fs::remove(packages / "VELORA.enc");
    {
        ZipArchiveWriter writer(packages / "VELORA.enc", ZipArchiveWriter::Compression::Deflate);
        writer.addFile("bin/velora", "#!/bin/sh\necho velora\n", 0755);
        writer.addFile("share/velora/caf\u00e9/r\u00e9sum\u00e9.txt", "r\u00e9sum\u00e9\n");
        writer.addFile("share/velora/\u6587\u66f8.txt", "\u6587\u66f8\n");
        writer.close();
    }
    // The plain "C" locale, as in many service and container environments.
    setChildVariable("LC_ALL", "C");

    const InstallerOutcome outcome = runInstaller(silentInstall(packages, destination(), "VELORA"));

    ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    EXPECT_EQ(contentOf(destination() / "share/velora/caf\u00e9/r\u00e9sum\u00e9.txt"), "r\u00e9sum\u00e9\n");
    EXPECT_EQ(contentOf(destination() / "share/velora/\u6587\u66f8.txt"), "\u6587\u66f8\n");
}

TEST_F(FreshInstallTest, EventStreamIsJsonLinesEndingAtFullProgressAndTheExitStatus) {
    auto arguments = silentInstall(samplePackages(), destination(), "VELORA,FLOWMERE");
    arguments.push_back("--events");

    const InstallerOutcome outcome = runInstaller(arguments);

    ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    std::vector<nlohmann::json> events;
    ASSERT_NO_THROW(events = parseJsonLines(outcome.out)) << outcome.out;
    ASSERT_FALSE(events.empty());
    std::vector<std::uint64_t> percents;
    std::vector<std::string> processedSteps;
    for (const auto& event : events) {
        ASSERT_TRUE(event.is_object() && event.contains("event")) << event;
        if (event["event"] == "progress") percents.push_back(event.at("percent").get<std::uint64_t>());
        if (event["event"] == "step") processedSteps.push_back(event.at("processed"));
        if (event["event"] == "validation") {
            EXPECT_NE(event.at("result"), 2) << event;
        }
    }
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100u);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end())) << ::testing::PrintToString(percents);
    EXPECT_THAT(processedSteps, ::testing::Contains("InstallProgressGate"));
    EXPECT_EQ(events.back(), (nlohmann::json{{"event", "finished"}, {"exitStatus", 0}}));
    // The people's part of the output moves to standard error, out of the stream's way.
    EXPECT_THAT(outcome.err, HasSubstr(englishMessage("confirmationTitle")));
}

TEST_F(FreshInstallTest, DryRunPrintsTheConfirmationAndInstallsNothing) {
    auto arguments = silentInstall(samplePackages(), destination(), "VELORA,FLOWMERE");
    arguments.push_back("--dry-run");

    const InstallerOutcome outcome = runInstaller(arguments);

    ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    EXPECT_THAT(outcome.out, HasSubstr(englishMessage("confirmationTitle")));
    EXPECT_THAT(outcome.out, HasSubstr(destination().string()));
    EXPECT_THAT(outcome.out, HasSubstr("VELORA"));
    EXPECT_THAT(outcome.out, HasSubstr("FLOWMERE"));
    EXPECT_THAT(outcome.out, HasSubstr("nothing was installed"));
    EXPECT_THAT(outcome.out, Not(HasSubstr("progress")));
    EXPECT_TRUE(!fs::exists(destination()) || fs::is_empty(destination()));
    EXPECT_FALSE(fs::exists(shortcutFolder()) && !fs::is_empty(shortcutFolder()));
}

}  // namespace
}  // namespace velora::installer::test
