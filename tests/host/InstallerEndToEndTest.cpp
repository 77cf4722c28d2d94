#include "InstallerEndToEndTest.h"

#include <regex>
#include <sstream>

namespace velora::installer::test {

namespace fs = std::filesystem;

namespace {

std::string englishTemplate(const std::string& key) {
    static const nlohmann::json catalogue = nlohmann::json::parse(readText(VELORA_ENGLISH_MESSAGES));
    return catalogue.at(key).get<std::string>();
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

fs::path InstallerEndToEndTest::copyOfSamplePackages(bool withCatalogue) const {
    const fs::path copy = root() / "packages";
    fs::copy(samplePackages(), copy, fs::copy_options::recursive);
    if (!withCatalogue) fs::remove(copy / "catalogue.json");
    return copy;
}

std::vector<std::string> InstallerEndToEndTest::silentInstall(const fs::path& packages,
                                                              const fs::path& destination,
                                                              const std::string& products) const {
    // clang-format off
    return {"--silent", "--agree", "--packages-root", packages.string(), "--destination", destination.string(),
            "--products", products, "--shortcut-folder", shortcutFolder().string(), "--menu-folder",
            (root() / "menu").string(), "--log", logFile().string(), "--diagnostics", diagnosticsFile().string()};
    // clang-format on
}

InstallerOutcome InstallerEndToEndTest::runInstaller(const std::vector<std::string>& arguments,
                                                     std::chrono::milliseconds limit,
                                                     const InstallerProcess::LineWatcher& watcher) const {
    return startInstaller(arguments)->wait(limit, watcher);
}

std::unique_ptr<InstallerProcess> InstallerEndToEndTest::startInstaller(
    const std::vector<std::string>& arguments) const {
    return std::make_unique<InstallerProcess>(VELORA_INSTALLER, arguments, environment_);
}

std::vector<std::string> InstallerEndToEndTest::diagnosticsErrorCodes() const {
    std::vector<std::string> codes;
    if (!fs::exists(diagnosticsFile())) return codes;
    for (const auto& record : parseJsonLines(readText(diagnosticsFile()))) {
        if (record.value("record", "") == "error") codes.push_back(record.at("error.1").get<std::string>());
    }
    return codes;
}

std::vector<std::string> recordedBaseCodes(const fs::path& destination) {
    std::vector<std::string> baseCodes;
    if (!fs::exists(destination / "installed_products.json")) return baseCodes;
    const auto record = nlohmann::json::parse(readText(destination / "installed_products.json"));
    for (const auto& product : record.at("products")) baseCodes.push_back(product.at("baseCode"));
    return baseCodes;
}

std::vector<nlohmann::json> parseJsonLines(const std::string& text) {
    std::vector<nlohmann::json> values;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) values.push_back(nlohmann::json::parse(line));
    return values;
}

void expectSampleContent(const fs::path& destination, const std::string& product, bool installed) {
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

void scrambleBytes(const fs::path& file, std::uint64_t offset, std::uint64_t count) {
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    // 0xff bytes make a deflate block header of the reserved type, and no text is made of them.
    stream.seekp(static_cast<std::streamoff>(offset));
    stream << std::string(count, static_cast<char>(0xff));
    if (!stream) throw std::runtime_error("cannot overwrite " + file.string());
}

std::string englishMessage(const std::string& key, const std::vector<std::string>& arguments) {
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

bool containsMessage(const std::string& text, const std::string& key) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    static const std::regex placeholder(R"(\\\{[0-9]+\\\})");
    // Arguments may span lines (product lists do).
    const std::string escaped = std::regex_replace(englishTemplate(key), special, R"(\$&)");
    return std::regex_search(text, std::regex(std::regex_replace(escaped, placeholder, R"([\s\S]*)")));
}

}  // namespace velora::installer::test
