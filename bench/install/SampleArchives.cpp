#include "SampleArchives.h"

#include <openssl/evp.h>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <random>
#include <stdexcept>

#include "tools/zip_archive/ZipArchiveWriter.h"

namespace velora::bench {

namespace fs = std::filesystem;

namespace {

// A group of like files in a product: `count` files of about `bytes` each.
struct FileGroup {
    std::string folder;
    std::string extension;
    int count;
    std::size_t bytes;
    bool text;
};

struct ProductPlan {
    std::string baseCode;
    std::string name;
    bool common;
    std::vector<std::string> dependencies;
    std::vector<FileGroup> groups;
};

constexpr std::size_t kMiB = 1024 * 1024;

std::vector<ProductPlan> releasePlan() {
    return {
        {"VELORA",
         "Velora",
         false,
         {},
         {{"bin", "", 1, 24 * kMiB, false},
          {"lib", ".so", 40, kMiB, false},
          {"share/velora", ".vls", 3000, 8 * 1024, true}}},
        {"VELORA_COMPILER",
         "Velora Compiler",
         false,
         {"VELORA"},
         {{"lib/compiler", ".so", 60, kMiB, false}, {"share/compiler", ".vls", 1000, 4 * 1024, true}}},
        {"QUARRIX_BUGFINDER",
         "Quarrix Bug Finder",
         false,
         {"VELORA"},
         {{"data/bugfinder", ".dat", 200, 128 * 1024, false},
          {"data/bugfinder", ".txt", 200, 128 * 1024, true}}},
        {"QUARRIX_TEST",
         "Quarrix Test",
         false,
         {"VELORA", "QUARRIX_BUGFINDER"},
         {{"help/quarrix-test", ".html", 8000, 3 * 1024, true}}},
        {"FLOWMERE",
         "Flowmere",
         true,
         {"VELORA"},
         {{"lib/flowmere", ".so", 20, 2 * kMiB, false}, {"share/flowmere", ".vls", 500, 16 * 1024, true}}},
    };
}

// Source-like text: deflates to roughly a third, as program files and documentation do.
std::string textContent(std::size_t bytes, std::mt19937_64& random) {
    static const char* const kWords[] = {"function", "end",    "matrix", "vector", "for",  "if",
                                         "return",   "signal", "value",  "result", "plot", "data",
                                         "model",    "solver", "option", "index",  "size", "zeros",
                                         "%",        "=",      "(",      ")",      "1",    "0.5"};
    constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];
    std::string text;
    text.reserve(bytes + 16);
    while (text.size() < bytes) {
        const auto word = random();
        text += kWords[word % kWordCount];
        text += (word >> 32) % 9 == 0 ? '\n' : ' ';
    }
    text.resize(bytes);
    return text;
}

// Machine code and data that deflate cannot shrink.
std::string randomContent(std::size_t bytes, std::mt19937_64& random) {
    std::string content(bytes, '\0');
    std::size_t at = 0;
    for (; at + 8 <= bytes; at += 8) {
        const std::uint64_t value = random();
        std::memcpy(&content[at], &value, 8);
    }
    for (; at < bytes; ++at) content[at] = static_cast<char>(random());
    return content;
}

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::vector<GeneratedProduct> SampleArchives::write(const fs::path& packagesRoot, double scale) {
    std::vector<GeneratedProduct> products;
    std::mt19937_64 random(20240601);
    for (const ProductPlan& plan : releasePlan()) {
        GeneratedProduct product;
        product.baseCode = plan.baseCode;
        product.name = plan.name;
        const fs::path folder = plan.common ? packagesRoot / "common" : packagesRoot;
        fs::create_directories(folder);
        product.archive = folder / (plan.baseCode + ".enc");
        velora::tools::ZipArchiveWriter writer(product.archive);
        for (const FileGroup& group : plan.groups) {
            const int count = std::max(1, static_cast<int>(std::lround(group.count * scale)));
            for (int index = 0; index < count; ++index) {
                // Sizes vary around the group's figure, as real files do.
                const std::size_t bytes = group.bytes / 2 + random() % (group.bytes + 1);
                const std::string content =
                    group.text ? textContent(bytes, random) : randomContent(bytes, random);
                // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on the
                // equivalent chain of concatenations.
                std::string name = group.folder;
                name += '/';
                name += lowerCase(plan.baseCode);
                if (count > 1) name += '_' + std::to_string(index);
                name += group.extension;
                writer.addFile(name, content, group.text ? 0644 : 0755);
                product.unpackedBytes += content.size();
                ++product.files;
            }
        }
        writer.close();
        product.archiveBytes = fs::file_size(product.archive);
        product.sha256 = SampleArchives::sha256Of(product.archive);
        products.push_back(product);
    }
    return products;
}

void SampleArchives::writeManifest(const fs::path& file, const std::vector<GeneratedProduct>& products) {
    nlohmann::json entries = nlohmann::json::array();
    for (const GeneratedProduct& product : products)
        entries.push_back({{"baseCode", product.baseCode},
                           {"name", product.name},
                           {"archive", product.archive.string()},
                           {"archiveBytes", product.archiveBytes},
                           {"unpackedBytes", product.unpackedBytes},
                           {"files", product.files},
                           {"sha256", product.sha256}});
    std::ofstream stream(file);
    stream << entries.dump(2) << '\n';
    if (!stream) throw std::runtime_error("cannot write " + file.string());
}

std::vector<GeneratedProduct> SampleArchives::readManifest(const fs::path& file) {
    std::ifstream stream(file);
    std::vector<GeneratedProduct> products;
    for (const auto& entry : nlohmann::json::parse(stream)) {
        products.push_back({entry.at("baseCode"), entry.at("name"),
                            fs::path(entry.at("archive").get<std::string>()), entry.at("archiveBytes"),
                            entry.at("unpackedBytes"), entry.at("files"), entry.at("sha256")});
    }
    return products;
}

std::string SampleArchives::sha256Of(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr);
    while (stream.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || stream.gcount() > 0) {
        EVP_DigestUpdate(context.get(), buffer.data(), static_cast<std::size_t>(stream.gcount()));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context.get(), digest, &length);
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        static constexpr char kDigits[] = "0123456789abcdef";
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}

void SampleArchives::writeCatalogue(const fs::path& file, const std::vector<GeneratedProduct>& products) {
    std::map<std::string, std::vector<std::string>> dependencies;
    for (const ProductPlan& plan : releasePlan()) dependencies[plan.baseCode] = plan.dependencies;
    nlohmann::json entries = nlohmann::json::array();
    for (const GeneratedProduct& product : products) {
        nlohmann::json entry = {
            {"baseCode", product.baseCode},
            {"name", product.name},
            {"family", "Velora"},
            {"dependencies", dependencies[product.baseCode]},
            {"relativePath", {{"windows", "Velora"}, {"linux", "velora"}, {"macos", "Velora.app"}}},
            // Verified as every release's archives are.
            {"archiveSha256", product.sha256}};
        if (product.baseCode == "VELORA") {
            entry["controlling"] = true;
            entry["detectRunningExe"] = {{"w64pc", "bin\\windows\\velora.exe"}, {"l64pc", "bin/velora"}};
            entry["registry"] = {{"keyRoot", "HKEY_LOCAL_MACHINE"},
                                 {"key", "SOFTWARE\\Kestrelix\\Velora"},
                                 {"subRoot", "InstallationFolder"}};
        }
        entries.push_back(entry);
    }
    std::ofstream stream(file);
    stream << nlohmann::json{{"products", entries}}.dump(2) << '\n';
    if (!stream) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace velora::bench
