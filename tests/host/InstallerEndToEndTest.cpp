#include "InstallerEndToEndTest.h"

#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace velora::installer::test {

namespace fs = std::filesystem;

namespace {

const nlohmann::json& englishCatalogue() {
    static const nlohmann::json catalogue = [] {
        std::ifstream stream(VELORA_ENGLISH_MESSAGES);
        if (!stream) throw std::runtime_error("cannot read " + std::string(VELORA_ENGLISH_MESSAGES));
        return nlohmann::json::parse(stream);
    }();
    return catalogue;
}

std::string englishTemplate(const std::string& key) {
    const auto& catalogue = englishCatalogue();
    if (!catalogue.contains(key)) throw std::invalid_argument("no English text for " + key);
    return catalogue.at(key).get<std::string>();
}

std::string regexEscaped(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

}  // namespace

InstallerEndToEndTest::InstallerEndToEndTest() {
    const fs::path home = root() / "home";
    fs::create_directories(home / ".config");
    fs::create_directories(home / ".local" / "share");
    fs::create_directories(root() / "tmp");
    environment_ = {{"HOME", home.string()},
                    {"XDG_CONFIG_HOME", (home / ".config").string()},
                    {"XDG_DATA_HOME", (home / ".local" / "share").string()},
                    {"TMPDIR", (root() / "tmp").string()},
                    {"LC_ALL", "C.UTF-8"}};
}

fs::path InstallerEndToEndTest::samplePackages() { return VELORA_SAMPLE_PACKAGES; }

fs::path InstallerEndToEndTest::sampleProductContent(const std::string& baseCode) {
    return fs::path(VELORA_SAMPLE_PRODUCTS) / baseCode;
}

fs::path InstallerEndToEndTest::copyOfSamplePackages() const {
    const fs::path copy = root() / "packages";
    fs::copy(samplePackages(), copy, fs::copy_options::recursive);
    return copy;
}

std::vector<std::string> InstallerEndToEndTest::silentInstall(const fs::path& packages,
                                                              const fs::path& destination,
                                                              const std::string& products) const {
    return {"--silent",
            "--agree",
            "--packages-root",
            packages.string(),
            "--destination",
            destination.string(),
            "--products",
            products,
            "--shortcut-folder",
            shortcutFolder().string(),
            "--menu-folder",
            menuFolder().string(),
            "--log",
            logFile().string(),
            "--diagnostics",
            diagnosticsFile().string()};
}

InstallerOutcome InstallerEndToEndTest::runInstaller(const std::vector<std::string>& arguments,
                                                     std::chrono::milliseconds limit,
                                                     const InstallerProcess::LineWatcher& watcher) const {
    InstallerProcess process(VELORA_INSTALLER, arguments, environment_);
    return process.wait(limit, watcher);
}

std::vector<nlohmann::json> InstallerEndToEndTest::diagnosticsRecords() const {
    std::ifstream stream(diagnosticsFile());
    std::stringstream text;
    text << stream.rdbuf();
    return parseJsonLines(text.str());
}

std::vector<std::string> InstallerEndToEndTest::diagnosticsErrorCodes() const {
    std::vector<std::string> codes;
    for (const auto& record : diagnosticsRecords()) {
        if (record.value("record", "") == "error") codes.push_back(record.at("error.1").get<std::string>());
    }
    return codes;
}

std::vector<std::string> recordedBaseCodes(const fs::path& destination) {
    std::ifstream stream(destination / "installed_products.json");
    if (!stream) return {};
    const auto record = nlohmann::json::parse(stream);
    std::vector<std::string> baseCodes;
    for (const auto& product : record.at("products")) baseCodes.push_back(product.at("baseCode"));
    return baseCodes;
}

std::vector<nlohmann::json> parseJsonLines(const std::string& text) {
    std::vector<nlohmann::json> values;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) values.push_back(nlohmann::json::parse(line));
    return values;
}

std::string englishMessage(const std::string& key, const std::vector<std::string>& arguments) {
    std::string text = englishTemplate(key);
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string placeholder = "{" + std::to_string(index) + "}";
        for (auto at = text.find(placeholder); at != std::string::npos;
             at = text.find(placeholder, at + arguments[index].size())) {
            text.replace(at, placeholder.size(), arguments[index]);
        }
    }
    return text;
}

bool containsMessage(const std::string& text, const std::string& key) {
    static const std::regex placeholder(R"(\\\{[0-9]+\\\})");
    // Arguments may span lines (product lists do).
    const std::string pattern =
        std::regex_replace(regexEscaped(englishTemplate(key)), placeholder, R"([\s\S]*)");
    return std::regex_search(text, std::regex(pattern));
}

}  // namespace velora::installer::test
