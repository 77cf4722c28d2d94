// Usage: bench_install [--scale X] [--runs N] [--work-dir DIR] [--keep]
//
// Writes a release's worth of product archives (somewhat over 200 MB at scale 1: text that
// compresses, binaries that do not), installs them all with a silent run of velora-installer and
// unpacks the same archives with `bsdtar -xf`, each into a fresh folder on the same file system,
// and prints both wall times and their ratio. The runs alternate which of the two goes first, so
// that neither always meets a page cache warmed by the other.
//
// The installer reads its product catalogue and "uninstall.zip" beside itself: the benchmark runs
// a copy of it from a folder holding the generated catalogue and a copy of the uninstaller.
#include <chrono>
#include <iomanip>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "SampleArchives.h"
#include "bench/support/AlternatingRuns.h"
#include "bench/support/BenchWorkspace.h"

namespace fs = std::filesystem;
using namespace velora::bench;

namespace {

constexpr double kGoalRatio = 1.05;

class InstallBenchmark {
public:
    explicit InstallBenchmark(const BenchSettings& settings)
        : settings_(settings), work_(settings.workFolder, "bench-install", settings.keep) {}

    int run() {
        bsdtar_ = velora::tools::findOnPath("bsdtar");
        if (bsdtar_.empty()) {
            std::cerr << "bsdtar not found (Debian package libarchive-tools)\n";
            return 1;
        }
        products_ = work_.sampleProducts(settings_);
        installer_ = work_.copyInstaller(VELORA_INSTALLER, VELORA_UNINSTALLER_ARCHIVE, products_);
        // Both programs load their libraries once untimed: the first start after a build reads
        // them from disk and would be charged seconds that no later run pays.
        runTimed(installer_, {"--help"}, work_.output() / "warm-up.txt");
        runTimed(bsdtar_, {"--version"}, work_.output() / "warm-up.txt");

        const PairedRuns runs = alternate(
            settings_.runs, [this](int run) { return timeInstaller(run); },
            [this](int run) { return timeBsdtar(run); });
        const bool same = compareResults(settings_.runs - 1);
        std::cout << ratioLine(runs.row("installation", "s", kGoalRatio)) << '\n';
        return same ? 0 : 1;
    }

private:
    double timeInstaller(int run) const {
        const fs::path destination = work_.runFolder("installed", run);
        const fs::path output = work_.output();
        const auto result = runTimed(
            installer_,
            {"--silent", "--agree", "--packages-root", work_.packagesRoot().string(), "--destination",
             destination.string(), "--products", productList(products_), "--shortcut-folder",
             (output / "desktop").string(), "--menu-folder", (output / "menu").string(), "--log",
             (output / ("install-" + std::to_string(run) + ".log")).string(), "--diagnostics",
             (output / ("diagnostics-" + std::to_string(run) + ".jsonl")).string()},
            output / "installer-output.txt");
        require(result, "the installer", output / "installer-output.txt");
        std::cout << "installer run " << run + 1 << ": " << std::fixed << std::setprecision(3)
                  << result.wallTime.count() << " s wall, " << result.cpuTime.count() << " s cpu\n";
        return result.wallTime.count();
    }

    double timeBsdtar(int run) const {
        const fs::path destination = work_.runFolder("unpacked", run);
        fs::create_directories(destination);
        const auto start = std::chrono::steady_clock::now();
        double cpu = 0;
        for (const GeneratedProduct& product : products_) {
            const auto result =
                runTimed(bsdtar_, {"-xf", product.archive.string(), "-C", destination.string()},
                         work_.output() / "bsdtar.txt");
            require(result, "bsdtar", work_.output() / "bsdtar.txt");
            cpu += result.cpuTime.count();
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        std::cout << "bsdtar    run " << run + 1 << ": " << std::fixed << std::setprecision(3)
                  << elapsed.count() << " s wall, " << cpu << " s cpu\n";
        return elapsed.count();
    }

    bool compareResults(int run) const {
        const FileTotals installed = productFilesOf(work_.root() / ("installed-" + std::to_string(run)));
        const FileTotals unpacked = productFilesOf(work_.root() / ("unpacked-" + std::to_string(run)));
        std::cout << "installed " << installed.files << " files, " << installed.bytes << " bytes; bsdtar "
                  << unpacked.files << " files, " << unpacked.bytes << " bytes"
                  << (installed == unpacked ? "" : "  MISMATCH") << '\n';
        return installed == unpacked;
    }

    BenchSettings settings_;
    BenchWorkspace work_;
    fs::path bsdtar_;
    fs::path installer_;
    std::vector<GeneratedProduct> products_;
};

}  // namespace

int main(int argc, char** argv) {
    try {
        return InstallBenchmark(BenchSettings::parse(argc, argv, "bench_install")).run();
    } catch (const std::exception& error) {
        std::cerr << "bench_install: " << error.what() << '\n';
        return 1;
    }
}
