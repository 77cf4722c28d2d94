// Usage: bench_download [--scale X] [--runs N] [--work-dir DIR] [--keep]
//
// Writes a release's worth of product archives (somewhat over 200 MB at scale 1), serves them
// from velora-repo-server on the loopback interface behind its account service, and in each run
// fetches all of them twice, each into a fresh folder: with a silent download-only run of
// velora-installer (sign-in, index, archives, catalogue), and with `curl` (one sign-in request,
// then the archives four at a time). Prints the median wall times and their ratio; the runs
// alternate which of the two goes first. The installer also checks every archive's SHA-256 and
// its archives are on the disk when it ends, curl's unchecked and only in the page cache: a
// second row adds to curl's time `openssl dgst -sha256` of what it fetched (compared with the
// index), a third `sync -f` of its folder, each the part of the installer's work plain curl
// leaves out.
//
// The account's password lies in a file of the work folder, the token curl sends in a header
// file: neither goes on a command line.
#include <chrono>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
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

constexpr double kGoalRatio = 1.05;

class DownloadBenchmark {
public:
    explicit DownloadBenchmark(const BenchSettings& settings)
        : settings_(settings),
          work_(settings.workFolder, "bench-download", settings.keep),
          account_(work_.root() / "secrets") {}

    int run() {
        curl_ = velora::tools::findOnPath("curl");
        sync_ = velora::tools::findOnPath("sync");
        openssl_ = velora::tools::findOnPath("openssl");
        if (curl_.empty() || sync_.empty() || openssl_.empty()) {
            std::cerr << "curl, sync or openssl not found (Debian packages curl, coreutils, openssl)\n";
            return 1;
        }
        prepare();
        const LoopbackRepository repository(VELORA_REPO_SERVER, work_.root() / "repository",
                                            work_.output() / "server.txt", account_.serverArguments());
        signIn_ = account_.installerArguments(repository);
        for (const fs::path& program : {installer_, curl_})
            runTimed(program, {program == installer_ ? "--help" : "--version"},
                     work_.output() / "warm-up.txt");
        const PairedRuns wall = alternate(
            settings_.runs, [&](int run) { return timeInstaller(repository, run); },
            [&](int run) { return timeCurl(repository, run); });
        const bool same = compareResults(settings_.runs - 1);
        std::cout << ratioLine(wall.row("download", "s", kGoalRatio)) << '\n';
        std::cout << ratioLine(withCurlTime(wall, curlCheckSeconds_)
                                   .row("download-vs-checked-curl", "s", kGoalRatio))
                  << '\n';
        std::cout << ratioLine(withCurlTime(wall, curlFlushSeconds_)
                                   .row("download-vs-flushed-curl", "s", kGoalRatio))
                  << '\n';
        return same && checked_ ? 0 : 1;
    }

private:
    void prepare() {
        products_ = work_.sampleProducts(settings_);
        installer_ = work_.copyInstaller(VELORA_INSTALLER, VELORA_UNINSTALLER_ARCHIVE, products_);
        SampleRepository::writeReleaseInfo(installer_.parent_path());
        SampleRepository::write(work_.root() / "repository", products_,
                                installer_.parent_path() / "product_catalogue.json");
    }

    double timeInstaller(const LoopbackRepository& repository, int run) {
        const fs::path folder = work_.runFolder("installer-downloads", run);
        const fs::path output = work_.output() / "installer-output.txt";
        std::vector<std::string> arguments{
            "--workflow",
            "DownloadOnly",
            "--silent",
            "--agree",
            "--repository",
            repository.url(),
            "--download-folder",
            folder.string(),
            "--platforms",
            SampleRepository::kPlatform,
            "--products",
            productList(products_),
            "--log",
            (work_.output() / ("download-" + std::to_string(run) + ".log")).string()};
        arguments.insert(arguments.end(), signIn_.begin(), signIn_.end());
        const auto result = runTimed(installer_, arguments, output, directToLoopback());
        require(result, "the installer", output);
        std::cout << "installer run " << run + 1 << ": " << std::fixed << std::setprecision(3)
                  << result.wallTime.count() << " s wall, " << result.cpuTime.count() << " s cpu\n";
        return result.wallTime.count();
    }

    // Signs in as the installer does, then fetches every archive, four transfers at a time.
    double timeCurl(const LoopbackRepository& repository, int run) {
        const fs::path folder = work_.runFolder("curl-downloads", run);
        fs::create_directories(folder);
        const fs::path output = work_.output() / "curl.txt";
        const auto start = std::chrono::steady_clock::now();
        velora::tools::ChildOutcome signIn;
        std::vector<std::string> arguments = account_.signInWithCurl(curl_, repository, output, signIn);
        arguments.insert(arguments.end(),
                         {"--silent", "--show-error", "--fail", "--parallel", "--parallel-max", "4"});
        for (const GeneratedProduct& product : products_)
            arguments.insert(arguments.end(), {"-o", (folder / (product.baseCode + ".enc")).string(),
                                               repository.url(SampleRepository::archivePath(product))});
        const auto download = runTimed(curl_, arguments, output, directToLoopback());
        require(download, "curl", output);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        curlCheckSeconds_.push_back(checkCurlArchives(folder));
        const auto flush = runTimed(sync_, {"-f", folder.string()}, output, directToLoopback());
        require(flush, "sync", output);
        curlFlushSeconds_.push_back(flush.wallTime.count());
        std::cout << "curl      run " << run + 1 << ": " << std::fixed << std::setprecision(3)
                  << elapsed.count() << " s wall, " << signIn.cpuTime.count() + download.cpuTime.count()
                  << " s cpu, then " << curlCheckSeconds_.back() << " s to check, " << flush.wallTime.count()
                  << " s to flush\n";
        return elapsed.count();
    }

    // SHA-256 of every archive curl fetched, with the checksums the index gives; its wall time.
    double checkCurlArchives(const fs::path& folder) {
        const fs::path output = work_.output() / "curl-sha256.txt";
        fs::remove(output);
        std::vector<std::string> arguments{"dgst", "-sha256", "-r"};
        for (const GeneratedProduct& product : products_)
            arguments.push_back((folder / (product.baseCode + ".enc")).string());
        const auto check = runTimed(openssl_, arguments, output, directToLoopback());
        require(check, "openssl dgst", output);
        std::ifstream written(output);
        const std::string digests{std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>()};
        for (const GeneratedProduct& product : products_) {
            if (digests.find(product.sha256) == std::string::npos) {
                std::cout << "curl's " << product.baseCode << " does not have the index's checksum\n";
                checked_ = false;
            }
        }
        return check.wallTime.count();
    }

    // The runs with the given seconds added to each of curl's, in the order the runs were made.
    static PairedRuns withCurlTime(PairedRuns runs, const std::vector<double>& seconds) {
        for (std::size_t run = 0; run < runs.reference.size(); ++run) runs.reference[run] += seconds[run];
        return runs;
    }

    // The installer's archives of the last run (in its time-stamped run folder) against curl's.
    bool compareResults(int run) const {
        FileTotals ours;
        for (const auto& entry :
             fs::recursive_directory_iterator(work_.root() / ("installer-downloads-" + std::to_string(run))))
            if (entry.is_regular_file() && entry.path().extension() == ".enc") {
                ++ours.files;
                ours.bytes += entry.file_size();
            }
        const FileTotals theirs = productFilesOf(work_.root() / ("curl-downloads-" + std::to_string(run)));
        std::cout << "installer " << ours.files << " archives, " << ours.bytes << " bytes; curl "
                  << theirs.files << " archives, " << theirs.bytes << " bytes"
                  << (ours == theirs ? "" : "  MISMATCH") << '\n';
        return ours == theirs;
    }

    BenchSettings settings_;
    BenchWorkspace work_;
    fs::path curl_;
    fs::path sync_;
    fs::path openssl_;
    // Per run, in the order the runs were made: how long checking the checksums of curl's
    // downloads took, and `sync -f` after them.
    std::vector<double> curlCheckSeconds_;
    std::vector<double> curlFlushSeconds_;
    bool checked_ = true;
    fs::path installer_;
    std::vector<GeneratedProduct> products_;
    BenchAccount account_;
    std::vector<std::string> signIn_;  // the installer's options that sign in
};

}  // namespace

int main(int argc, char** argv) {
    try {
        return DownloadBenchmark(BenchSettings::parse(argc, argv, "bench_download")).run();
    } catch (const std::exception& error) {
        std::cerr << "bench_download: " << error.what() << '\n';
        return 1;
    }
}
