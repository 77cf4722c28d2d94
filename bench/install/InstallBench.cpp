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
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "SampleArchives.h"
#include "tools/child_process/ChildProcess.h"

namespace fs = std::filesystem;
using velora::bench::GeneratedProduct;

namespace {

constexpr double kGoalRatio = 1.10;

// Runs a program to its end, both output streams going to `outputFile`.
velora::tools::ChildOutcome runTimed(const fs::path& program, const std::vector<std::string>& arguments,
                                     const fs::path& outputFile) {
    return velora::tools::ChildProcess(program, arguments, {}, outputFile).wait();
}

struct Settings {
    double scale = 1.0;
    int runs = 3;
    fs::path workFolder = fs::temp_directory_path();
    bool keep = false;
};

Settings parse(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(argument + " needs a value");
            return argv[++i];
        };
        if (argument == "--scale") {
            settings.scale = std::stod(value());
        } else if (argument == "--runs") {
            settings.runs = std::max(1, std::stoi(value()));
        } else if (argument == "--work-dir") {
            settings.workFolder = value();
        } else if (argument == "--keep") {
            settings.keep = true;
        } else {
            throw std::invalid_argument(
                "usage: bench_install [--scale X] [--runs N] [--work-dir DIR] [--keep]");
        }
    }
    return settings;
}

fs::path makeWorkFolder(const fs::path& parent) {
    std::string pattern = (parent / "bench-install-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a folder in " + parent.string());
    return pattern;
}

struct Totals {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
};

// The product files of an installation, leaving out what only the installer adds.
Totals totalsOf(const fs::path& folder) {
    Totals totals;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const auto name = entry.path().filename();
        if (entry.path().parent_path() == folder &&
            (name == "installed_products.json" || name == "installed_files.list" || name == "uninstall.sh"))
            continue;
        ++totals.files;
        totals.bytes += entry.file_size();
    }
    return totals;
}

// Every run writes into a folder of its own, and nothing is removed until all runs are done:
// ext4 searches longer for a free inode while many were freed in the last seconds, which would
// charge the removal of one run's files to the next run.
fs::path runFolder(const fs::path& work, const std::string& kind, int run) {
    const fs::path folder = work / (kind + "-" + std::to_string(run));
    // Write back what the previous run left dirty, so that it is not charged to this one.
    ::sync();
    return folder;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string megabytes(std::uint64_t bytes) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << static_cast<double>(bytes) / (1024.0 * 1024.0) << " MiB";
    return text.str();
}

// The times of every run of one contender.
struct Timings {
    std::vector<double> wall;
    std::vector<double> cpu;

    void add(double wallSeconds, double cpuSeconds) {
        wall.push_back(wallSeconds);
        cpu.push_back(cpuSeconds);
    }
    static double best(const std::vector<double>& values) {
        return *std::min_element(values.begin(), values.end());
    }
};

class InstallBenchmark {
public:
    explicit InstallBenchmark(Settings settings) : settings_(std::move(settings)) {}

    int run() {
        bsdtar_ = velora::tools::findOnPath("bsdtar");
        if (bsdtar_.empty()) {
            std::cerr << "bsdtar not found (Debian package libarchive-tools)\n";
            return 1;
        }
        work_ = makeWorkFolder(settings_.workFolder);
        std::cout << "work folder " << work_ << '\n';
        prepare();
        warmUp();
        for (int run = 0; run < settings_.runs; ++run) {
            if (run % 2 == 0) {
                timeInstaller(run);
                timeBsdtar(run);
            } else {
                timeBsdtar(run);
                timeInstaller(run);
            }
        }
        const bool same = compareResults(settings_.runs - 1);
        report();
        if (!settings_.keep) fs::remove_all(work_);
        return same ? 0 : 1;
    }

private:
    void prepare() {
        std::cout << "writing sample archives (scale " << settings_.scale << ") ..." << std::flush;
        products_ = velora::bench::SampleArchives::write(work_ / "packages", settings_.scale);
        std::uint64_t archives = 0;
        std::uint64_t unpacked = 0;
        std::uint64_t files = 0;
        for (const GeneratedProduct& product : products_) {
            archives += product.archiveBytes;
            unpacked += product.unpackedBytes;
            files += product.files;
        }
        std::cout << " done\n";
        for (const GeneratedProduct& product : products_) {
            std::cout << "  " << std::left << std::setw(18) << product.baseCode << std::right << std::setw(12)
                      << megabytes(product.archiveBytes) << " archive, " << std::setw(12)
                      << megabytes(product.unpackedBytes) << " unpacked, " << std::setw(6) << product.files
                      << " files\n";
        }
        std::cout << "  total             " << std::setw(12) << megabytes(archives) << " archive, "
                  << std::setw(12) << megabytes(unpacked) << " unpacked, " << std::setw(6) << files
                  << " files\n";

        const fs::path installerFolder = work_ / "installer";
        fs::create_directories(installerFolder);
        installer_ = installerFolder / fs::path(VELORA_INSTALLER).filename();
        fs::copy_file(VELORA_INSTALLER, installer_);
        fs::copy_file(VELORA_UNINSTALLER_ARCHIVE, installerFolder / "uninstall.zip");
        velora::bench::SampleArchives::writeCatalogue(installerFolder / "product_catalogue.json", products_);
        fs::create_directories(work_ / "output");
    }

    // Both programs load their libraries once untimed: the first start after a build reads them
    // from disk and would be charged seconds that no later run pays.
    void warmUp() const {
        const fs::path output = work_ / "output" / "warm-up.txt";
        runTimed(installer_, {"--help"}, output);
        runTimed(bsdtar_, {"--version"}, output);
    }

    void timeInstaller(int run) {
        const fs::path destination = runFolder(work_, "installed", run);
        std::string products;
        for (const GeneratedProduct& product : products_)
            products += (products.empty() ? "" : ",") + product.baseCode;
        const fs::path output = work_ / "output";
        const auto result =
            runTimed(installer_,
                     {"--silent", "--agree", "--packages-root", (work_ / "packages").string(),
                      "--destination", destination.string(), "--products", products, "--shortcut-folder",
                      (output / "desktop").string(), "--menu-folder", (output / "menu").string(), "--log",
                      (output / ("install-" + std::to_string(run) + ".log")).string(), "--diagnostics",
                      (output / ("diagnostics-" + std::to_string(run) + ".jsonl")).string()},
                     output / "installer-output.txt");
        if (result.exitStatus != 0) {
            throw std::runtime_error("the installer ended with status " + std::to_string(result.exitStatus) +
                                     "; see " + (output / "installer-output.txt").string());
        }
        installerTimes_.add(result.wallTime.count(), result.cpuTime.count());
        std::cout << "installer run " << run + 1 << ": " << std::fixed << std::setprecision(3)
                  << result.wallTime.count() << " s wall, " << result.cpuTime.count() << " s cpu\n";
    }

    void timeBsdtar(int run) {
        const fs::path destination = runFolder(work_, "unpacked", run);
        fs::create_directories(destination);
        const auto start = std::chrono::steady_clock::now();
        double cpu = 0;
        for (const GeneratedProduct& product : products_) {
            const auto result =
                runTimed(bsdtar_, {"-xf", product.archive.string(), "-C", destination.string()},
                         work_ / "output" / "bsdtar.txt");
            if (result.exitStatus != 0)
                throw std::runtime_error("bsdtar failed on " + product.archive.string());
            cpu += result.cpuTime.count();
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        bsdtarTimes_.add(elapsed.count(), cpu);
        std::cout << "bsdtar    run " << bsdtarTimes_.wall.size() << ": " << std::fixed
                  << std::setprecision(3) << elapsed.count() << " s wall, " << cpu << " s cpu\n";
    }

    bool compareResults(int run) const {
        const Totals installed = totalsOf(work_ / ("installed-" + std::to_string(run)));
        const Totals unpacked = totalsOf(work_ / ("unpacked-" + std::to_string(run)));
        const bool same = installed.files == unpacked.files && installed.bytes == unpacked.bytes;
        std::cout << "installed " << installed.files << " files, " << installed.bytes << " bytes; bsdtar "
                  << unpacked.files << " files, " << unpacked.bytes << " bytes" << (same ? "" : "  MISMATCH")
                  << '\n';
        return same;
    }

    void report() const {
        const auto row = [](const char* label, double installer, double bsdtar) {
            std::cout << std::left << std::setw(14) << label << std::right << std::setw(10) << installer
                      << std::setw(10) << bsdtar << std::setw(10) << installer / bsdtar << '\n';
        };
        std::cout << std::fixed << std::setprecision(3) << '\n'
                  << std::left << std::setw(14) << "seconds" << std::right << std::setw(10) << "installer"
                  << std::setw(10) << "bsdtar" << std::setw(10) << "ratio" << '\n';
        row("wall, best", installerTimes_.best(installerTimes_.wall), bsdtarTimes_.best(bsdtarTimes_.wall));
        row("wall, median", median(installerTimes_.wall), median(bsdtarTimes_.wall));
        row("cpu, best", installerTimes_.best(installerTimes_.cpu), bsdtarTimes_.best(bsdtarTimes_.cpu));
        row("cpu, median", median(installerTimes_.cpu), median(bsdtarTimes_.cpu));
        std::cout << "goal: installer within " << std::setprecision(2) << kGoalRatio << " of bsdtar\n";
    }

    Settings settings_;
    fs::path work_;
    fs::path bsdtar_;
    fs::path installer_;
    std::vector<GeneratedProduct> products_;
    Timings installerTimes_;
    Timings bsdtarTimes_;
};

}  // namespace

int main(int argc, char** argv) {
    try {
        return InstallBenchmark(parse(argc, argv)).run();
    } catch (const std::exception& error) {
        std::cerr << "bench_install: " << error.what() << '\n';
        return 1;
    }
}
