// Usage: bench_engine_install [packages-folder] [runs]
//
// Installs every "<CODE>.enc" of the packages folder with the engine (from-folder workflow,
// checksums verified, progress listened to) and unpacks the same archives with `bsdtar -xf`,
// each into a fresh folder on the same file system, and prints the best wall time of each.
// Without a packages folder it writes about 200 MB of sample archives first: large binaries
// that do not compress, and many small text files that do.
#include <archive.h>
#include <archive_entry.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../install/SampleArchives.h"
#include "FolderRepositoryAdapter.h"
#include "LocalEngine.h"
#include "install/engine/ProgressRegistration.h"

namespace fs = std::filesystem;
using install::engine::WorkflowType;

namespace {

void writeSampleArchive(const fs::path& file, unsigned seed) {
    std::mt19937_64 random(seed);
    std::unique_ptr<archive, int (*)(archive*)> writer(archive_write_new(), archive_write_free);
    archive_write_set_format_zip(writer.get());
    if (archive_write_open_filename(writer.get(), file.c_str()) != ARCHIVE_OK) {
        throw std::runtime_error(archive_error_string(writer.get()));
    }
    const auto add = [&](const std::string& name, const std::string& data) {
        std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(),
                                                                       archive_entry_free);
        archive_entry_set_pathname(entry.get(), name.c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0755);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(data.size()));
        archive_write_header(writer.get(), entry.get());
        archive_write_data(writer.get(), data.data(), data.size());
    };
    for (int i = 0; i < 3; ++i) {
        std::string binary(12 << 20, '\0');
        for (std::size_t at = 0; at + 8 <= binary.size(); at += 8) {
            const std::uint64_t value = random();
            std::memcpy(&binary[at], &value, 8);
        }
        add("bin/lib" + std::to_string(i) + ".so", binary);
    }
    static const char* kWords[] = {"velora", "engine", "matrix", "signal", "vector", "plot", "data", "model"};
    for (int i = 0; i < 400; ++i) {
        std::string text;
        const std::size_t words = 2000 + random() % 18000;
        for (std::size_t w = 0; w < words; ++w) {
            text += kWords[random() % 8];
            text += (random() % 12 == 0) ? '\n' : ' ';
        }
        add("doc/page" + std::to_string(i) + ".txt", text);
    }
    archive_write_close(writer.get());
}

double seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path scratch = fs::temp_directory_path() / "velora-engine-bench";
    fs::path packages = argc > 1 ? fs::path(argv[1]) : scratch / "packages";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (argc <= 1 && !fs::exists(packages)) {
        fs::create_directories(packages);
        for (unsigned i = 0; i < 5; ++i) writeSampleArchive(packages / ("P" + std::to_string(i) + ".enc"), i);
    }

    std::vector<fs::path> archives;
    std::string catalogue = R"({"products": [)";
    std::vector<std::u16string> products;
    std::uintmax_t archiveBytes = 0;
    for (const auto& entry : fs::directory_iterator(packages)) {
        if (entry.path().extension() != ".enc") continue;
        archives.push_back(entry.path());
        archiveBytes += entry.file_size();
        const std::string code = entry.path().stem().string();
        catalogue += (products.empty() ? "" : ",") + std::string(R"({"baseCode": ")") + code +
                     R"(", "name": ")" + code + R"(", "archiveSha256": ")" +
                     velora::bench::SampleArchives::sha256Of(entry.path()) + "\"}";
        products.push_back(std::u16string(code.begin(), code.end()));
    }
    catalogue += "]}";
    auto products_catalogue = std::make_shared<const install::productidentifier::ProductCatalogue>(
        install::productidentifier::ProductCatalogue::fromJson(catalogue));
    std::printf("%zu archives, %.1f MB\n", archives.size(), static_cast<double>(archiveBytes) / 1e6);

    double bestEngine = 1e9;
    double bestBsdtar = 1e9;
    for (int run = 0; run < runs; ++run) {
        const fs::path engineTarget = scratch / "engine";
        const fs::path bsdtarTarget = scratch / "bsdtar";
        fs::remove_all(engineTarget);
        fs::remove_all(bsdtarTarget);
        fs::create_directories(bsdtarTarget);

        std::uint64_t reports = 0;
        const auto connection = install::engine::registerInstallProgressCallback(
            [&](install::engine::InstallProgressData) { ++reports; });
        const auto runEngine = [&] {
            auto repository = std::make_shared<install::repository_adapter::FolderRepositoryAdapter>(
                packages, products_catalogue);
            install::engine::LocalEngine engine(products_catalogue);
            const auto start = std::chrono::steady_clock::now();
            engine.start(products, engineTarget.u16string(), {"l64pc"}, "en_US", u"",
                         WorkflowType::InstallFromFolder, repository, {}, install::engine::EngineConfig{});
            return seconds(start);
        };
        const auto runBsdtar = [&] {
            const auto start = std::chrono::steady_clock::now();
            for (const fs::path& archive : archives) {
                const std::string command =
                    "bsdtar -xf '" + archive.string() + "' -C '" + bsdtarTarget.string() + "'";
                if (std::system(command.c_str()) != 0) std::cerr << "bsdtar failed on " << archive << "\n";
            }
            return seconds(start);
        };
        // The removal of the previous run's files is still being written out; whoever goes
        // first pays for it, so the two take turns.
        ::sync();
        double engineTime = 0;
        double bsdtarTime = 0;
        if (run % 2 == 0) {
            engineTime = runEngine();
            ::sync();
            bsdtarTime = runBsdtar();
        } else {
            bsdtarTime = runBsdtar();
            ::sync();
            engineTime = runEngine();
        }
        std::printf("run %d: engine %.3f s (%llu progress reports), bsdtar %.3f s\n", run + 1, engineTime,
                    static_cast<unsigned long long>(reports), bsdtarTime);
        bestEngine = std::min(bestEngine, engineTime);
        bestBsdtar = std::min(bestBsdtar, bsdtarTime);
    }
    std::printf("best: engine %.3f s, bsdtar %.3f s, engine/bsdtar %.2f\n", bestEngine, bestBsdtar,
                bestEngine / bestBsdtar);
    fs::remove_all(scratch / "engine");
    fs::remove_all(scratch / "bsdtar");
    return 0;
}
