// Usage: bench_online_install [--scale X] [--runs N] [--work-dir DIR] [--keep]
//
// Writes a release's worth of product archives (somewhat over 200 MB at scale 1), lays them out
// as an online repository with its product index, and serves it with velora-repo-server on the
// loopback interface. Then, in each run, installs every product with a silent online run of
// velora-installer, and fetches the same archives with one `curl` followed by `bsdtar -xf` of
// each, each into a fresh folder on the same file system; prints the median wall times of both
// and their ratio. The runs alternate which of the two goes first.
//
// The installer reads its release, its product catalogue and "uninstall.zip" beside itself: the
// benchmark runs a copy of it from a folder holding those. Its archive cache goes to the work
// folder's "tmp" (TMPDIR), on the same file system as the destination.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "../install/SampleArchives.h"
#include "tools/child_process/ChildProcess.h"

namespace fs = std::filesystem;
using velora::bench::GeneratedProduct;
using velora::tools::ChildOutcome;
using velora::tools::ChildProcess;

namespace {

constexpr double kGoalRatio = 1.10;
constexpr const char* kRelease = "2025.1";
constexpr const char* kStatus = "Release";

// Transfers to the loopback server go straight to it, whatever proxy the environment names.
const std::map<std::string, std::string> kDirect = {{"no_proxy", "127.0.0.1,localhost"},
                                                    {"NO_PROXY", "127.0.0.1,localhost"}};

struct Settings {
    double scale = 1.0;
    int runs = 5;
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
                "usage: bench_online_install [--scale X] [--runs N] [--work-dir DIR] [--keep]");
        }
    }
    return settings;
}

ChildOutcome runTimed(const fs::path& program, const std::vector<std::string>& arguments,
                      const fs::path& outputFile,
                      const std::map<std::string, std::string>& environment = {}) {
    return ChildProcess(program, arguments, environment, outputFile).wait();
}

void require(const ChildOutcome& outcome, const std::string& what, const fs::path& output) {
    if (outcome.exitStatus != 0)
        throw std::runtime_error(what + " ended with status " + std::to_string(outcome.exitStatus) +
                                 "; see " + output.string());
}

// velora-repo-server on a free port of 127.0.0.1, serving one folder until the object goes.
class LoopbackRepository {
public:
    LoopbackRepository(const fs::path& root, const fs::path& output)
        : process_(VELORA_REPO_SERVER, {"--root", root.string()}, {}, output) {
        static const std::string kListening = "listening on 127.0.0.1:";
        for (int attempt = 0; attempt < 400 && port_ == 0; ++attempt) {
            std::ifstream stream(output);
            std::string line;
            // A line is whole once its line break is there.
            if (std::getline(stream, line) && !stream.eof() && line.starts_with(kListening)) {
                port_ = std::stoi(line.substr(kListening.size()));
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            }
        }
        if (port_ == 0) throw std::runtime_error("velora-repo-server did not start; see " + output.string());
    }
    ~LoopbackRepository() {
        process_.sendSignal(SIGTERM);
        process_.wait(std::chrono::seconds(10));
    }
    LoopbackRepository(const LoopbackRepository&) = delete;
    LoopbackRepository& operator=(const LoopbackRepository&) = delete;

    std::string url(const std::string& path = {}) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
    }

private:
    ChildProcess process_;
    int port_ = 0;
};

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

class OnlineInstallBenchmark {
public:
    explicit OnlineInstallBenchmark(Settings settings) : settings_(std::move(settings)) {}

    int run() {
        curl_ = velora::tools::findOnPath("curl");
        bsdtar_ = velora::tools::findOnPath("bsdtar");
        if (curl_.empty() || bsdtar_.empty()) {
            std::cerr << "curl and bsdtar are needed (Debian packages curl, libarchive-tools)\n";
            return 1;
        }
        std::string pattern = (settings_.workFolder / "bench-online-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a folder in " + settings_.workFolder.string());
        work_ = pattern;
        std::cout << "work folder " << work_ << '\n';
        prepare();
        {
            const LoopbackRepository repository(work_ / "repository", work_ / "output" / "server.txt");
            warmUp();
            for (int run = 0; run < settings_.runs; ++run) {
                if (run % 2 == 0) {
                    timeInstaller(repository, run);
                    timeCurlAndBsdtar(repository, run);
                } else {
                    timeCurlAndBsdtar(repository, run);
                    timeInstaller(repository, run);
                }
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
        std::cout << " done\n";
        std::uint64_t archives = 0;
        for (const GeneratedProduct& product : products_) {
            archives += product.archiveBytes;
            std::cout << "  " << std::left << std::setw(18) << product.baseCode << std::right << std::setw(12)
                      << megabytes(product.archiveBytes) << " archive, " << std::setw(12)
                      << megabytes(product.unpackedBytes) << " unpacked\n";
        }
        std::cout << "  total             " << std::setw(12) << megabytes(archives) << '\n';

        const fs::path installerFolder = work_ / "installer";
        fs::create_directories(installerFolder);
        installer_ = installerFolder / fs::path(VELORA_INSTALLER).filename();
        fs::copy_file(VELORA_INSTALLER, installer_);
        fs::copy_file(VELORA_UNINSTALLER_ARCHIVE, installerFolder / "uninstall.zip");
        velora::bench::SampleArchives::writeCatalogue(installerFolder / "product_catalogue.json", products_);
        std::ofstream(installerFolder / "VersionInfo.xml")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VersionInfo><Release>" << kRelease
            << "</Release><ReleaseStatus>" << kStatus
            << "</ReleaseStatus><UpdateLevel>0</UpdateLevel><Version>1.0.0</Version></VersionInfo>\n";
        writeRepository(installerFolder / "product_catalogue.json");
        fs::create_directories(work_ / "output");
        fs::create_directories(work_ / "tmp");
    }

    // The archives under "archives/<release>/" and the product index naming them, with the
    // dependencies the catalogue gives.
    void writeRepository(const fs::path& catalogueFile) const {
        const fs::path repository = work_ / "repository";
        const fs::path archives = repository / "archives" / kRelease;
        fs::create_directories(archives);
        fs::create_directories(repository / "index" / kRelease / kStatus);
        std::ifstream catalogueStream(catalogueFile);
        const auto catalogue = nlohmann::json::parse(catalogueStream);
        nlohmann::json products = nlohmann::json::array();
        for (const GeneratedProduct& product : products_) {
            fs::create_hard_link(product.archive, archives / (product.baseCode + ".enc"));
            nlohmann::json dependencies = nlohmann::json::array();
            for (const auto& entry : catalogue.at("products"))
                if (entry.at("baseCode") == product.baseCode) dependencies = entry.at("dependencies");
            products.push_back(
                {{"baseCode", product.baseCode},
                 {"name", product.name},
                 {"version", std::string(kRelease) + ".0"},
                 {"updateLevel", 0},
                 {"dependencies", dependencies},
                 {"additionalLanguages", nlohmann::json::array()},
                 {"installSize", product.unpackedBytes},
                 {"archive",
                  {{"url", std::string("archives/") + kRelease + "/" + product.baseCode + ".enc"},
                   {"size", product.archiveBytes},
                   {"sha256", product.sha256}}}});
        }
        std::ofstream(repository / "index" / kRelease / kStatus / "l64pc.json")
            << nlohmann::json{{"formatVersion", 1},       {"releaseFamily", kRelease},
                              {"releaseStatus", kStatus}, {"platform", "l64pc"},
                              {"products", products},     {"installers", nlohmann::json::array()}}
                   .dump(2);
    }

    // Each program loads its libraries once untimed: the first start after a build reads them
    // from disk and would be charged time no later run pays.
    void warmUp() const {
        const fs::path output = work_ / "output" / "warm-up.txt";
        runTimed(installer_, {"--help"}, output);
        runTimed(curl_, {"--version"}, output);
        runTimed(bsdtar_, {"--version"}, output);
    }

    std::string productList() const {
        std::string list;
        for (const GeneratedProduct& product : products_)
            list += (list.empty() ? "" : ",") + product.baseCode;
        return list;
    }

    // Every run writes into folders of its own, nothing removed until all runs are done, and the
    // previous run's dirty pages written back first, so that no run pays for another.
    fs::path runFolder(const std::string& kind, int run) const {
        ::sync();
        return work_ / (kind + "-" + std::to_string(run));
    }

    void timeInstaller(const LoopbackRepository& repository, int run) {
        const fs::path destination = runFolder("installed", run);
        const fs::path output = work_ / "output";
        const std::string number = std::to_string(run);
        auto environment = kDirect;
        environment["TMPDIR"] = (work_ / "tmp").string();
        // A signed-in account's token skips the sign-in page; this server asks for none.
        environment["VELORA_ACCESS_TOKEN"] = "bench-token";
        const auto result = runTimed(
            installer_,
            {"--workflow", "Interactive Online Install", "--silent", "--agree", "--repository",
             repository.url(), "--destination", destination.string(), "--products", productList(),
             "--shortcut-folder", (output / "desktop").string(), "--menu-folder", (output / "menu").string(),
             "--log", (output / ("install-" + number + ".log")).string()},
            output / "installer-output.txt", environment);
        require(result, "the installer", output / "installer-output.txt");
        installerTimes_.add(result.wallTime.count(), result.cpuTime.count());
        std::cout << "installer      run " << run + 1 << ": " << std::fixed << std::setprecision(3)
                  << result.wallTime.count() << " s wall, " << result.cpuTime.count() << " s cpu\n";
    }

    void timeCurlAndBsdtar(const LoopbackRepository& repository, int run) {
        const fs::path destination = runFolder("unpacked", run);
        const fs::path fetched = work_ / ("fetched-" + std::to_string(run));
        fs::create_directories(destination);
        fs::create_directories(fetched);
        const fs::path output = work_ / "output" / "curl-bsdtar.txt";
        std::vector<std::string> arguments{"--silent", "--show-error", "--fail"};
        for (const GeneratedProduct& product : products_) {
            arguments.insert(arguments.end(), {"-o", (fetched / (product.baseCode + ".enc")).string(),
                                               repository.url(std::string("archives/") + kRelease + "/" +
                                                              product.baseCode + ".enc")});
        }
        const auto start = std::chrono::steady_clock::now();
        const auto download = runTimed(curl_, arguments, output, kDirect);
        require(download, "curl", output);
        double cpu = download.cpuTime.count();
        for (const GeneratedProduct& product : products_) {
            const auto unpack = runTimed(
                bsdtar_,
                {"-xf", (fetched / (product.baseCode + ".enc")).string(), "-C", destination.string()},
                output);
            require(unpack, "bsdtar", output);
            cpu += unpack.cpuTime.count();
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        baselineTimes_.add(elapsed.count(), cpu);
        std::cout << "curl + bsdtar  run " << run + 1 << ": " << std::fixed << std::setprecision(3)
                  << elapsed.count() << " s wall, " << cpu << " s cpu\n";
    }

    bool compareResults(int run) const {
        const Totals installed = totalsOf(work_ / ("installed-" + std::to_string(run)));
        const Totals unpacked = totalsOf(work_ / ("unpacked-" + std::to_string(run)));
        const bool same = installed.files == unpacked.files && installed.bytes == unpacked.bytes;
        std::cout << "installed " << installed.files << " files, " << installed.bytes
                  << " bytes; curl + bsdtar " << unpacked.files << " files, " << unpacked.bytes << " bytes"
                  << (same ? "" : "  MISMATCH") << '\n';
        return same;
    }

    // The median decides; the best runs and the processor times show how much a busy machine
    // moved it.
    void report() const {
        const auto row = [](const char* label, double installer, double baseline) {
            std::cout << std::left << std::setw(14) << label << std::right << std::setw(16) << installer
                      << std::setw(16) << baseline << std::setw(10) << installer / baseline << '\n';
        };
        std::cout << std::fixed << std::setprecision(3) << '\n'
                  << std::left << std::setw(14) << "seconds" << std::right << std::setw(16)
                  << "online install" << std::setw(16) << "curl + bsdtar" << std::setw(10) << "ratio" << '\n';
        row("wall, median", median(installerTimes_.wall), median(baselineTimes_.wall));
        row("wall, best", Timings::best(installerTimes_.wall), Timings::best(baselineTimes_.wall));
        row("cpu, median", median(installerTimes_.cpu), median(baselineTimes_.cpu));
        std::cout << "median of " << installerTimes_.wall.size() << " runs; goal: within "
                  << std::setprecision(2) << kGoalRatio << " (wall, median)\n";
    }

    Settings settings_;
    fs::path work_;
    fs::path curl_;
    fs::path bsdtar_;
    fs::path installer_;
    std::vector<GeneratedProduct> products_;
    Timings installerTimes_;
    Timings baselineTimes_;
};

}  // namespace

int main(int argc, char** argv) {
    try {
        return OnlineInstallBenchmark(parse(argc, argv)).run();
    } catch (const std::exception& error) {
        std::cerr << "bench_online_install: " << error.what() << '\n';
        return 1;
    }
}
