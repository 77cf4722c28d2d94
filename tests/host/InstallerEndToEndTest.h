#pragma once

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "TestArchive.h"
#include "support/ScratchFolder.h"
#include "tools/child_process/ChildProcess.h"
#include "tools/zip_archive/ZipArchiveWriter.h"

namespace velora::installer::test {

// The installer runs as a child process, through the runner the benchmarks share.
using InstallerOutcome = velora::tools::ChildOutcome;
using InstallerProcess = velora::tools::ChildProcess;

// Runs the real installer binary against real archives in a scratch folder of its own: the
// packages, the destination, the shortcut and menu folders, the log, the diagnostics file and a
// home folder for the child, so that nothing outside the scratch folder is touched.
class InstallerEndToEndTest : public ::testing::Test {
public:
    static constexpr std::chrono::milliseconds kRunLimit{std::chrono::seconds(90)};

    InstallerEndToEndTest();

    const std::filesystem::path& root() const { return scratch_.path(); }
    std::filesystem::path destination() const { return root() / "dest"; }
    std::filesystem::path shortcutFolder() const { return root() / "desktop"; }
    std::filesystem::path logFile() const { return root() / "install.log"; }
    std::filesystem::path diagnosticsFile() const { return root() / "diagnostics.jsonl"; }

    // The archives the build packs from the sample products, with their catalogue.
    static std::filesystem::path samplePackages();
    // A copy of the sample packages in the scratch folder, to be changed by the test. Without
    // the catalogue unless asked for: its checksums would refuse every archive the test changes,
    // and without it the installer takes its own catalogue, which has no checksums.
    std::filesystem::path copyOfSamplePackages(bool withCatalogue = false) const;

    // A silent installation with every output going into the scratch folder.
    std::vector<std::string> silentInstall(const std::filesystem::path& packages,
                                           const std::filesystem::path& destination,
                                           const std::string& products) const;

    // Sets a variable of the child's environment for the following runs.
    void setChildVariable(const std::string& name, const std::string& value) { environment_[name] = value; }

    InstallerOutcome runInstaller(const std::vector<std::string>& arguments,
                                  std::chrono::milliseconds limit = kRunLimit,
                                  const InstallerProcess::LineWatcher& watcher = {}) const;
    // Started, not waited for: for runs side by side.
    std::unique_ptr<InstallerProcess> startInstaller(const std::vector<std::string>& arguments) const;

    // The codes of the diagnostics file's error records in order.
    std::vector<std::string> diagnosticsErrorCodes() const;

private:
    workflow_test::ScratchFolder scratch_;
    std::map<std::string, std::string> environment_;
};

// The base codes the installation record in `destination` lists; none when there is no record.
std::vector<std::string> recordedBaseCodes(const std::filesystem::path& destination);

// Every line of `text` as a JSON value; throws nlohmann::json::parse_error at the first line
// that is not one.
std::vector<nlohmann::json> parseJsonLines(const std::string& text);

using install::enczip::test::snapshot;
using velora::tools::ZipArchiveWriter;
using workflow_test::readText;

// Every file of a sample product (as unpacked from the samples) is in the destination with its
// content, or none is.
void expectSampleContent(const std::filesystem::path& destination, const std::string& product,
                         bool installed);

// Overwrites `count` bytes from `offset` on with a pattern that is neither valid deflate data
// nor the original content, leaving the file's length (and so its zip directory) intact.
void scrambleBytes(const std::filesystem::path& file, std::uint64_t offset, std::uint64_t count);

// The English text of a message key with its positional arguments filled in.
std::string englishMessage(const std::string& key, const std::vector<std::string>& arguments = {});

// True when `text` holds the English message of `key` with any arguments in its placeholders.
bool containsMessage(const std::string& text, const std::string& key);

}  // namespace velora::installer::test
