// Usage: bench_online_install [--scale X] [--runs N] [--work-dir DIR] [--keep]
//
// Writes a release's worth of product archives (somewhat over 200 MB at scale 1), lays them out
// as an online repository with its product index, and serves it with velora-repo-server on the
// loopback interface. Then, in each run, installs every product with a silent online run of
// velora-installer, and fetches the same archives with one `curl` followed by `bsdtar -xf` of
// each, each into a fresh folder on the same file system; prints the median wall times of both
// and their ratio. The runs alternate which of the two goes first.
//
// Both sign in to the server's account service first, the installer on its sign-in page, curl
// with one request; the password and the token stay in files of the work folder.
//
// The installer reads its release, its product catalogue and "uninstall.zip" beside itself: the
// benchmark runs a copy of it from a folder holding those. Its archive cache goes to the work
// folder's "tmp" (TMPDIR), on the same file system as the destination.
#include <algorithm>
#include <chrono>
#include <iomanip>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/install/SampleArchives.h"
#include "bench/support/AlternatingRuns.h"
#include "bench/support/BenchAccount.h"
#include "bench/support/BenchWorkspace.h"
#include "bench/support/LoopbackRepository.h"
#include "bench/support/SampleRepository.h"

namespace fs = std::filesystem;
using namespace velora::bench;

namespace {

constexpr double kGoalRatio = 1.10;

class OnlineInstallBenchmark {
public:
    explicit OnlineInstallBenchmark(const BenchSettings& settings)
        : settings_(settings),
          work_(settings.workFolder, "bench-online", settings.keep),
          account_(work_.root() / "secrets") {}

    int run() {
        curl_ = velora::tools::findOnPath("curl");
        bsdtar_ = velora::tools::findOnPath("bsdtar");
        if (curl_.empty() || bsdtar_.empty()) {
            std::cerr << "curl and bsdtar are needed (Debian packages curl, libarchive-tools)\n";
            return 1;
        }
        prepare();
        PairedRuns wall;
        {
            const LoopbackRepository repository(VELORA_REPO_SERVER, work_.root() / "repository",
                                                work_.output() / "server.txt", account_.serverArguments());
            signIn_ = account_.installerArguments(repository);
            // Each program loads its libraries once untimed: the first start after a build reads
            // them from disk and would be charged time no later run pays.
            for (const fs::path& program : {installer_, curl_, bsdtar_})
                runTimed(program, {program == installer_ ? "--help" : "--version"},
                         work_.output() / "warm-up.txt");
            wall = alternate(
                settings_.runs, [&](int run) { return timeInstaller(repository, run); },
                [&](int run) { return timeCurlAndBsdtar(repository, run); });
        }
        const bool same = compareResults(settings_.runs - 1);
        // The median decides; the best runs and the processor times show how much a busy machine
        // moved it.
        std::cout << std::fixed << std::setprecision(3)
                  << "wall, best: " << *std::min_element(wall.ours.begin(), wall.ours.end())
                  << " s online install, " << *std::min_element(wall.reference.begin(), wall.reference.end())
                  << " s curl + bsdtar\n"
                  << "cpu, median: " << median(cpu_.ours) << " s online install, " << median(cpu_.reference)
                  << " s curl + bsdtar\n"
                  << ratioLine(wall.row("online-install", "s", kGoalRatio)) << '\n';
        return same ? 0 : 1;
    }

private:
    void prepare() {
        products_ = work_.sampleProducts(settings_);
        installer_ = work_.copyInstaller(VELORA_INSTALLER, VELORA_UNINSTALLER_ARCHIVE, products_);
        SampleRepository::writeReleaseInfo(installer_.parent_path());
        SampleRepository::write(work_.root() / "repository", products_,
                                installer_.parent_path() / "product_catalogue.json");
        fs::create_directories(work_.root() / "tmp");
    }

    double timeInstaller(const LoopbackRepository& repository, int run) {
        const fs::path destination = work_.runFolder("installed", run);
        const fs::path output = work_.output();
        const std::string number = std::to_string(run);
        auto environment = directToLoopback();
        environment["TMPDIR"] = (work_.root() / "tmp").string();
        std::vector<std::string> arguments{"--workflow",
                                           "Interactive Online Install",
                                           "--silent",
                                           "--agree",
                                           "--repository",
                                           repository.url(),
                                           "--destination",
                                           destination.string(),
                                           "--products",
                                           productList(products_),
                                           "--shortcut-folder",
                                           (output / "desktop").string(),
                                           "--menu-folder",
                                           (output / "menu").string(),
                                           "--log",
                                           (output / ("install-" + number + ".log")).string()};
        arguments.insert(arguments.end(), signIn_.begin(), signIn_.end());
        const auto result = runTimed(installer_, arguments, output / "installer-output.txt", environment);
        require(result, "the installer", output / "installer-output.txt");
        cpu_.ours.push_back(result.cpuTime.count());
        std::cout << "installer      run " << run + 1 << ": " << std::fixed << std::setprecision(3)
                  << result.wallTime.count() << " s wall, " << result.cpuTime.count() << " s cpu\n";
        return result.wallTime.count();
    }

    double timeCurlAndBsdtar(const LoopbackRepository& repository, int run) {
        const fs::path destination = work_.runFolder("unpacked", run);
        const fs::path fetched = work_.root() / ("fetched-" + std::to_string(run));
        fs::create_directories(destination);
        fs::create_directories(fetched);
        const fs::path output = work_.output() / "curl-bsdtar.txt";
        const auto start = std::chrono::steady_clock::now();
        // Signed in as the installer is, then one transfer after the other.
        velora::tools::ChildOutcome signIn;
        std::vector<std::string> arguments = account_.signInWithCurl(curl_, repository, output, signIn);
        arguments.insert(arguments.end(), {"--silent", "--show-error", "--fail"});
        for (const GeneratedProduct& product : products_) {
            arguments.insert(arguments.end(), {"-o", (fetched / (product.baseCode + ".enc")).string(),
                                               repository.url(SampleRepository::archivePath(product))});
        }
        const auto download = runTimed(curl_, arguments, output, directToLoopback());
        require(download, "curl", output);
        double cpu = signIn.cpuTime.count() + download.cpuTime.count();
        for (const GeneratedProduct& product : products_) {
            const auto unpack = runTimed(
                bsdtar_,
                {"-xf", (fetched / (product.baseCode + ".enc")).string(), "-C", destination.string()},
                output);
            require(unpack, "bsdtar", output);
            cpu += unpack.cpuTime.count();
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        cpu_.reference.push_back(cpu);
        std::cout << "curl + bsdtar  run " << run + 1 << ": " << std::fixed << std::setprecision(3)
                  << elapsed.count() << " s wall, " << cpu << " s cpu\n";
        return elapsed.count();
    }

    bool compareResults(int run) const {
        const FileTotals installed = productFilesOf(work_.root() / ("installed-" + std::to_string(run)));
        const FileTotals unpacked = productFilesOf(work_.root() / ("unpacked-" + std::to_string(run)));
        std::cout << "installed " << installed.files << " files, " << installed.bytes
                  << " bytes; curl + bsdtar " << unpacked.files << " files, " << unpacked.bytes << " bytes"
                  << (installed == unpacked ? "" : "  MISMATCH") << '\n';
        return installed == unpacked;
    }

    BenchSettings settings_;
    BenchWorkspace work_;
    fs::path curl_;
    fs::path bsdtar_;
    fs::path installer_;
    std::vector<GeneratedProduct> products_;
    PairedRuns cpu_;
    BenchAccount account_;
    std::vector<std::string> signIn_;  // the installer's options that sign in
};

}  // namespace

int main(int argc, char** argv) {
    try {
        return OnlineInstallBenchmark(BenchSettings::parse(argc, argv, "bench_online_install")).run();
    } catch (const std::exception& error) {
        std::cerr << "bench_online_install: " << error.what() << '\n';
        return 1;
    }
}
