#pragma once

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "FolderRepositoryAdapter.h"
#include "InstallationManifest.h"
#include "LocalEngine.h"
#include "ScratchFolder.h"
#include "ZipWriter.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Interrupt.h"
#include "install/engine/ProgressRegistration.h"
#include "install/platformutil/PlatformUtility.h"
#include "nlohmann/json.hpp"

namespace install::engine::test {

using Entries = std::vector<std::pair<std::string, std::string>>;

inline std::string sha256Of(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        static constexpr char kDigits[] = "0123456789abcdef";
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}

// Content that compresses a little, so archives hold real deflate streams.
inline std::string content(std::size_t size, unsigned seed) {
    std::string text(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& c : text) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>('a' + (state >> 16) % 16);
    }
    return text;
}

// A packages root of zip archives written here, the catalogue describing them (with their
// checksums unless a test says otherwise), and the engine run over both.
class EngineRunFixture : public testing::Test {
protected:
    EngineRunFixture() {
        std::filesystem::create_directories(installerFolder());
        platformutil::PlatformUtility::setInstallationPath(installerFolder());
    }
    ~EngineRunFixture() override {
        platformutil::PlatformUtility::setInstallationPath({});
        cpputil::interrupt::reset();
    }

    std::filesystem::path packages() const { return scratch.path() / "packages"; }
    std::filesystem::path installerFolder() const { return scratch.path() / "installer"; }
    std::filesystem::path archivesFolder() const { return installerFolder() / "archives"; }
    std::filesystem::path folder() const { return scratch.path() / "installation"; }

    void addProduct(const std::string& code, const Entries& entries) {
        const auto archive = packages() / (code + ".enc");
        install::test::writeZip(archive, entries);
        checksums[code] = sha256Of(archive);
        files[code] = entries;
    }
    std::shared_ptr<const productidentifier::ProductCatalogue> catalogue() const {
        nlohmann::json products = nlohmann::json::array();
        for (const auto& [code, checksum] : checksums) {
            nlohmann::json product{{"baseCode", code}, {"name", "Name of " + code}, {"family", "Velora"}};
            if (!checksum.empty()) product["archiveSha256"] = checksum;
            products.push_back(product);
        }
        return std::make_shared<const productidentifier::ProductCatalogue>(
            productidentifier::ProductCatalogue::fromJson(nlohmann::json{{"products", products}}.dump()));
    }

    void run(const std::vector<std::u16string>& products, WorkflowType type) {
        const auto products_catalogue = catalogue();
        auto repository =
            std::make_shared<repository_adapter::FolderRepositoryAdapter>(packages(), products_catalogue);
        LocalEngine engine(products_catalogue);
        const auto installs = registerInstallProgressCallback([this](InstallProgressData data) {
            installReports.push_back(data);
            reportThreads.push_back(std::this_thread::get_id());
            if (onInstallReport) onInstallReport(data);
        });
        const auto downloads = registerDownloadProgressCallback([this](DownloadProgressData data) {
            downloadReports.push_back(data);
            reportThreads.push_back(std::this_thread::get_id());
        });
        engine.start(products, folder().u16string(), {"l64pc"}, "en_US", archivesFolder().u16string(), type,
                     repository, OptionalFeatureFlags{}, EngineConfig{});
    }

    std::string installed(const std::string& relative) const {
        std::ifstream stream(folder() / relative, std::ios::binary);
        if (!stream) return "<missing>";
        return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    }
    std::vector<std::u16string> recordedProducts() const {
        std::vector<std::u16string> codes;
        if (const auto record = InstallationManifest::readFrom(folder())) {
            for (const auto& entry : record->getProducts()) codes.push_back(entry.baseCode);
        }
        return codes;
    }
    // Every regular file below the installation folder, relative to it.
    std::vector<std::string> filesInFolder() const {
        std::vector<std::string> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder(), error)) {
            if (entry.is_regular_file()) found.push_back(entry.path().lexically_relative(folder()).string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    install::test::ScratchFolder scratch;
    std::map<std::string, std::string> checksums;
    std::map<std::string, Entries> files;
    std::vector<InstallProgressData> installReports;
    std::vector<DownloadProgressData> downloadReports;
    std::vector<std::thread::id> reportThreads;
    std::function<void(const InstallProgressData&)> onInstallReport;
};

}  // namespace install::engine::test
