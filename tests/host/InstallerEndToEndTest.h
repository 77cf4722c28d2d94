#pragma once

// The end-to-end tests' fixture and helpers, all inline: the test target's definitions
// (VELORA_INSTALLER, VELORA_SAMPLE_PACKAGES, VELORA_SAMPLE_PRODUCTS, VELORA_ENGLISH_MESSAGES) say
// where the installer, the samples and the English messages are.

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "TestArchive.h"
#include "support/ScratchFolder.h"
#include "tools/child_process/ChildProcess.h"
#include "tools/zip_archive/ZipArchiveWriter.h"

namespace velora::installer::test {

namespace fs = std::filesystem;
using install::enczip::test::snapshot;
using velora::tools::ZipArchiveWriter;
using workflow_test::readText;

// The installer runs as a child process, through the runner the benchmarks share.
using InstallerOutcome = velora::tools::ChildOutcome;
using InstallerProcess = velora::tools::ChildProcess;

// Every line of `text` as a JSON value; throws nlohmann::json::parse_error at the first line
// that is not one.
inline std::vector<nlohmann::json> parseJsonLines(const std::string& text) {
    std::vector<nlohmann::json> values;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) values.push_back(nlohmann::json::parse(line));
    return values;
}

// Runs the real installer binary against real archives in a scratch folder of its own: the
// packages, the destination, the shortcut and menu folders, the log, the diagnostics file and a
// home folder for the child, so that nothing outside the scratch folder is touched.
class InstallerEndToEndTest : public ::testing::Test {
public:
    static constexpr std::chrono::milliseconds kRunLimit{std::chrono::seconds(90)};

    InstallerEndToEndTest() {
        const fs::path home = root() / "home";
        fs::create_directories(home / ".config");
        fs::create_directories(home / ".local" / "share");
        fs::create_directories(root() / "tmp");
        environment_ = {{"HOME", home.string()},
                        {"XDG_CONFIG_HOME", (home / ".config").string()},
                        {"XDG_DATA_HOME", (home / ".local" / "share").string()},
                        {"TMPDIR", (root() / "tmp").string()},
                        {"VELORA_REGISTRY_ROOT", (root() / "registry").string()},
                        {"LC_ALL", "C.UTF-8"}};
    }

    const fs::path& root() const { return scratch_.path(); }
    fs::path destination() const { return root() / "dest"; }
    fs::path shortcutFolder() const { return root() / "desktop"; }
    fs::path logFile() const { return root() / "install.log"; }
    fs::path diagnosticsFile() const { return root() / "diagnostics.jsonl"; }

    // The archives the build packs from the sample products, with their catalogue.
    static fs::path samplePackages() { return VELORA_SAMPLE_PACKAGES; }
    // A copy of the sample packages in the scratch folder, to be changed by the test. Without
    // the catalogue unless asked for: its checksums would refuse every archive the test changes,
    // and without it the installer takes its own catalogue, which has no checksums.
    fs::path copyOfSamplePackages(bool withCatalogue = false) const {
        const fs::path copy = root() / "packages";
        fs::copy(samplePackages(), copy, fs::copy_options::recursive);
        if (!withCatalogue) fs::remove(copy / "catalogue.json");
        return copy;
    }

    // A silent installation with every output going into the scratch folder.
    std::vector<std::string> silentInstall(const fs::path& packages, const fs::path& destination,
                                           const std::string& products) const {
        // clang-format off
        return {"--silent", "--agree", "--packages-root", packages.string(), "--destination", destination.string(),
                "--products", products, "--shortcut-folder", shortcutFolder().string(), "--menu-folder",
                (root() / "menu").string(), "--log", logFile().string(), "--diagnostics", diagnosticsFile().string()};
        // clang-format on
    }

    // Sets a variable of the child's environment for the following runs.
    void setChildVariable(const std::string& name, const std::string& value) { environment_[name] = value; }

    InstallerOutcome runInstaller(const std::vector<std::string>& arguments,
                                  std::chrono::milliseconds limit = kRunLimit,
                                  const InstallerProcess::LineWatcher& watcher = {}) const {
        return startInstaller(arguments)->wait(limit, watcher);
    }
    // Started, not waited for: for runs side by side.
    std::unique_ptr<InstallerProcess> startInstaller(const std::vector<std::string>& arguments) const {
        return std::make_unique<InstallerProcess>(VELORA_INSTALLER, arguments, environment_);
    }

    // The codes of the diagnostics file's error records in order.
    std::vector<std::string> diagnosticsErrorCodes() const {
        std::vector<std::string> codes;
        if (!fs::exists(diagnosticsFile())) return codes;
        for (const auto& record : parseJsonLines(readText(diagnosticsFile()))) {
            if (record.value("record", "") == "error")
                codes.push_back(record.at("error.1").get<std::string>());
        }
        return codes;
    }

private:
    workflow_test::ScratchFolder scratch_;
    std::map<std::string, std::string> environment_;
};

// The base codes the installation record in `destination` lists; none when there is no record.
inline std::vector<std::string> recordedBaseCodes(const fs::path& destination) {
    std::vector<std::string> baseCodes;
    if (!fs::exists(destination / "installed_products.json")) return baseCodes;
    const auto record = nlohmann::json::parse(readText(destination / "installed_products.json"));
    for (const auto& product : record.at("products")) baseCodes.push_back(product.at("baseCode"));
    return baseCodes;
}

// Every file of a sample product (as unpacked from the samples) is in the destination with its
// content, or none is.
inline void expectSampleContent(const fs::path& destination, const std::string& product, bool installed) {
    const fs::path content = fs::path(VELORA_SAMPLE_PRODUCTS) / product;
    for (const auto& entry : fs::recursive_directory_iterator(content)) {
        if (!entry.is_regular_file()) continue;
        const fs::path file = destination / entry.path().lexically_relative(content);
        EXPECT_EQ(fs::exists(file), installed) << file;
        if (installed) {
            EXPECT_EQ(readText(file), readText(entry.path())) << file;
        }
    }
}

// Overwrites `count` bytes from `offset` on with a pattern that is neither valid deflate data
// nor the original content, leaving the file's length (and so its zip directory) intact.
inline void scrambleBytes(const fs::path& file, std::uint64_t offset, std::uint64_t count) {
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    // 0xff bytes make a deflate block header of the reserved type, and no text is made of them.
    stream.seekp(static_cast<std::streamoff>(offset));
    stream << std::string(count, static_cast<char>(0xff));
    if (!stream) throw std::runtime_error("cannot overwrite " + file.string());
}

// The English text of a message key, as the installer's catalogue holds it.
inline std::string englishTemplate(const std::string& key) {
    static const nlohmann::json catalogue = nlohmann::json::parse(readText(VELORA_ENGLISH_MESSAGES));
    return catalogue.at(key).get<std::string>();
}

// The English text of a message key with its positional arguments filled in.
inline std::string englishMessage(const std::string& key, const std::vector<std::string>& arguments = {}) {
    std::string text = englishTemplate(key);
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        std::string placeholder(1, '{');
        placeholder += std::to_string(index);
        placeholder += '}';
        for (auto at = text.find(placeholder); at != std::string::npos;
             at = text.find(placeholder, at + arguments[index].size())) {
            text.replace(at, placeholder.size(), arguments[index]);
        }
    }
    return text;
}

// True when `text` holds the English message of `key` with any arguments in its placeholders.
inline bool containsMessage(const std::string& text, const std::string& key) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    static const std::regex placeholder(R"(\\\{[0-9]+\\\})");
    // Arguments may span lines (product lists do).
    const std::string escaped = std::regex_replace(englishTemplate(key), special, R"(\$&)");
    return std::regex_search(text, std::regex(std::regex_replace(escaped, placeholder, R"([\s\S]*)")));
}

}  // namespace velora::installer::test
