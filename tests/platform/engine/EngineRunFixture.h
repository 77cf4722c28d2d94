#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FolderRepositoryAdapter.h"
#include "InstallationManifest.h"
#include "LocalEngine.h"
#include "Sha256.h"
#include "TestArchive.h"
#include "install/cpputil/Interrupt.h"
#include "install/engine/ProgressRegistration.h"
#include "install/platformutil/PlatformUtility.h"
#include "nlohmann/json.hpp"

namespace install::engine {

inline void PrintTo(WorkflowType type, std::ostream* out) { *out << "workflow " << static_cast<int>(type); }

namespace test {

using enczip::test::TestEntry;
using workflow_test::readText;

// Content that compresses a little, so archives hold real deflate streams.
inline std::string content(std::size_t size, unsigned seed) {
    std::string text(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& c : text) c = static_cast<char>('a' + ((state = state * 1103515245u + 12345u) >> 16) % 16);
    return text;
}

inline std::string sha256Of(const std::string& bytes) {
    enczip::Sha256 digest;
    digest.update(bytes.data(), bytes.size());
    return digest.finishHex();
}

// A packages root of zip archives written here, the catalogue describing them (with their
// checksums unless a test says otherwise), and the engine run over both.
class EngineRunFixture : public testing::Test {
public:
    EngineRunFixture() {
        std::filesystem::create_directories(installerFolder());
        platformutil::PlatformUtility::setInstallationPath(installerFolder());
    }
    ~EngineRunFixture() override {
        platformutil::PlatformUtility::setInstallationPath({});
        cpputil::interrupt::reset();
    }

    std::filesystem::path packages() const { return box.root() / "packages"; }
    std::filesystem::path installerFolder() const { return box.root() / "installer"; }
    std::filesystem::path folder() const { return box.destination(); }

    void addProduct(const std::string& code, const std::vector<TestEntry>& entries,
                    const std::filesystem::path& where = {}) {
        const auto archive = (where.empty() ? packages() : where) / (code + ".enc");
        std::filesystem::create_directories(archive.parent_path());
        enczip::test::writeArchive(archive, entries);
        checksums[code] = sha256Of(readText(archive));
    }

    void run(const std::vector<std::u16string>& products, WorkflowType type) {
        nlohmann::json records = nlohmann::json::array();
        for (const auto& [code, checksum] : checksums) {
            records.push_back({{"baseCode", code}, {"name", "Name of " + code}, {"family", "Velora"}});
            if (!checksum.empty()) records.back()["archiveSha256"] = checksum;
        }
        const auto catalogue = std::make_shared<const productidentifier::ProductCatalogue>(
            productidentifier::ProductCatalogue::fromJson(nlohmann::json{{"products", records}}.dump()));
        installReports.clear();
        downloadReports.clear();
        const auto installs = registerInstallProgressCallback([this](InstallProgressData data) {
            installReports.push_back(data);
            reportThreads.push_back(std::this_thread::get_id());
            if (onInstallReport) onInstallReport(data);
        });
        const auto downloads = registerDownloadProgressCallback([this](DownloadProgressData data) {
            downloadReports.push_back(data);
            reportThreads.push_back(std::this_thread::get_id());
        });
        LocalEngine(catalogue).start(
            products, folder().u16string(), {"l64pc"}, "en_US", (installerFolder() / "archives").u16string(),
            type, std::make_shared<repository_adapter::FolderRepositoryAdapter>(packages(), catalogue),
            OptionalFeatureFlags{}, EngineConfig{});
    }

    std::string installed(const std::string& relative) const { return readText(folder() / relative); }
    std::vector<std::u16string> recordedProducts() const {
        std::vector<std::u16string> codes;
        if (const auto record = InstallationManifest::readFrom(folder())) {
            for (const auto& entry : record->getProducts()) codes.push_back(entry.baseCode);
        }
        return codes;
    }

    enczip::test::Sandbox box;
    std::map<std::string, std::string> checksums;
    std::vector<InstallProgressData> installReports;
    std::vector<DownloadProgressData> downloadReports;
    std::vector<std::thread::id> reportThreads;
    std::function<void(const InstallProgressData&)> onInstallReport;
};

}  // namespace test
}  // namespace install::engine
