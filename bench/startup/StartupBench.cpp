// Usage: bench_startup [--runs N] [--packages-root DIR] [--work-dir DIR] [--keep]
//
// The wall time of `velora-installer --dry-run` on the sample packages (every step up to the
// confirmation, nothing installed), the median of N runs, reported without a goal. Then where
// that time goes: the dynamic loader's own figure (LD_DEBUG=statistics), and one run traced with
// strace, whose time stamps of the files opened mark the phases (shared libraries loaded,
// product catalogue read, message catalogue read, product archives listed, run ended).
#if defined(__x86_64__)
#include <x86intrin.h>
#endif

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/BenchWorkspace.h"
#include "bench/support/RatioStatistics.h"

namespace fs = std::filesystem;
using namespace velora::bench;

namespace {

struct Settings {
    int runs = 5;
    fs::path packagesRoot = VELORA_SAMPLE_PACKAGES;
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
        if (argument == "--runs") {
            settings.runs = std::max(1, std::stoi(value()));
        } else if (argument == "--packages-root") {
            settings.packagesRoot = fs::absolute(value());
        } else if (argument == "--work-dir") {
            settings.workFolder = value();
        } else if (argument == "--keep") {
            settings.keep = true;
        } else {
            throw std::invalid_argument(
                "usage: bench_startup [--runs N] [--packages-root DIR] [--work-dir DIR] [--keep]");
        }
    }
    return settings;
}

std::string readText(const fs::path& file) {
    std::ifstream stream(file);
    return {std::istreambuf_iterator<char>(stream), {}};
}

// Time-stamp counter ticks per millisecond, as the dynamic loader counts its "cycles".
// Elsewhere the loader's figures are left out (zero).
double ticksPerMillisecond() {
#if !defined(__x86_64__)
    return 0;
#else
    const auto start = std::chrono::steady_clock::now();
    const auto ticks = __rdtsc();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<double>(__rdtsc() - ticks) / elapsed.count();
#endif
}

// One line of `strace -f -ttt`: seconds since the epoch and what was called.
struct TracedCall {
    double at = 0;
    std::string text;
};

std::vector<TracedCall> tracedCalls(const fs::path& file) {
    std::vector<TracedCall> calls;
    std::ifstream stream(file);
    static const std::regex kLine(R"(^(?:\[pid\s+\d+\]\s+|\d+\s+)?(\d+\.\d+)\s+(.*)$)");
    for (std::string line; std::getline(stream, line);) {
        std::smatch match;
        if (std::regex_match(line, match, kLine)) calls.push_back({std::stod(match[1]), match[2]});
    }
    return calls;
}

class StartupBenchmark {
public:
    explicit StartupBenchmark(const Settings& settings)
        : settings_(settings), work_(settings.workFolder, "bench-startup", settings.keep) {}

    int run() {
        arguments_ = {"--silent",
                      "--agree",
                      "--dry-run",
                      "--packages-root",
                      settings_.packagesRoot.string(),
                      "--products",
                      "VELORA,FLOWMERE",
                      "--shortcut-folder",
                      (work_.output() / "desktop").string(),
                      "--menu-folder",
                      (work_.output() / "menu").string()};
        dryRun(-1);  // untimed: loads the libraries into the page cache
        std::vector<double> wall;
        std::vector<double> help;
        for (int run = 0; run < settings_.runs; ++run) {
            wall.push_back(dryRun(run));
            help.push_back(
                runTimed(VELORA_INSTALLER, {"--help"}, work_.output() / "help.txt").wallTime.count());
        }
        std::cout << std::fixed << std::setprecision(1) << "DETAIL start-up: --help alone (libraries loaded, "
                  << "options read) " << median(help) * 1000 << " ms\n";
        loaderStatistics();
        tracedPhases();
        std::cout << ratioLine(PairedRuns{wall, {}}.row("start-up", "s", std::nullopt)) << '\n';
        return 0;
    }

private:
    std::vector<std::string> argumentsFor(int run) const {
        auto arguments = arguments_;
        const std::string number = run < 0 ? "warm-up" : std::to_string(run);
        arguments.insert(arguments.end(),
                         {"--destination", (work_.root() / ("destination-" + number)).string(), "--log",
                          (work_.output() / ("dry-run-" + number + ".log")).string()});
        return arguments;
    }

    double dryRun(int run) const {
        const fs::path output = work_.output() / "dry-run.txt";
        const auto result = runTimed(VELORA_INSTALLER, argumentsFor(run), output);
        require(result, "the dry run", output);
        return result.wallTime.count();
    }

    void loaderStatistics() const {
        const fs::path output = work_.output() / "loader.txt";
        runTimed(VELORA_INSTALLER, argumentsFor(1000), output,
                 {{"LD_DEBUG", "statistics"}, {"LD_DEBUG_OUTPUT", (work_.output() / "ld-debug").string()}});
        std::string statistics;
        for (const auto& entry : fs::directory_iterator(work_.output()))
            if (entry.path().filename().string().starts_with("ld-debug"))
                statistics += readText(entry.path());
        static const std::regex kTotal(R"(total startup time in dynamic loader:\s*(\d+) cycles)");
        static const std::regex kRelocation(R"(time needed for relocation:\s*(\d+) cycles)");
        static const std::regex kLoading(R"(time needed to load objects:\s*(\d+) cycles)");
        std::smatch total;
        if (!std::regex_search(statistics, total, kTotal)) {
            std::cout << "DETAIL start-up: no dynamic loader statistics (LD_DEBUG unsupported here)\n";
            return;
        }
        const double ticks = ticksPerMillisecond();
        const auto milliseconds = [&](const std::regex& pattern) {
            std::smatch match;
            return ticks > 0 && std::regex_search(statistics, match, pattern) ? std::stod(match[1]) / ticks
                                                                              : 0.0;
        };
        std::cout << std::fixed << std::setprecision(1) << "DETAIL start-up: dynamic loader "
                  << milliseconds(kTotal) << " ms (loading " << milliseconds(kLoading) << " ms, relocating "
                  << milliseconds(kRelocation) << " ms), " << sharedLibraries() << " shared libraries\n";
    }

    // What the installer needs loaded before its first instruction of its own.
    std::size_t sharedLibraries() const {
        const auto ldd = velora::tools::ChildProcess("/usr/bin/ldd", {VELORA_INSTALLER}).wait();
        std::size_t count = 0;
        for (const std::string& line : ldd.outLines())
            if (line.find(".so") != std::string::npos && line.find("linux-vdso") == std::string::npos)
                ++count;
        return count;
    }

    // The first time stamp at which a call matched `pattern`, after `from`.
    static std::optional<double> firstAfter(const std::vector<TracedCall>& calls, const std::regex& pattern,
                                            double from) {
        for (const TracedCall& call : calls)
            if (call.at >= from && std::regex_search(call.text, pattern)) return call.at;
        return std::nullopt;
    }

    void tracedPhases() const {
        const auto strace = velora::tools::findOnPath("strace");
        if (strace.empty()) {
            std::cout << "DETAIL start-up: strace not found (Debian package strace): no phases\n";
            return;
        }
        const fs::path trace = work_.output() / "strace.txt";
        std::vector<std::string> arguments{
            "-f", "-ttt", "-e", "trace=execve,openat,exit_group", "-o", trace.string(), VELORA_INSTALLER};
        const auto run = argumentsFor(2000);
        arguments.insert(arguments.end(), run.begin(), run.end());
        runTimed(strace, arguments, work_.output() / "strace-output.txt");
        const auto calls = tracedCalls(trace);
        if (calls.empty()) return;
        const double start = calls.front().at;
        double libraries = start;
        for (const TracedCall& call : calls)
            if (std::regex_search(call.text, std::regex(R"(openat\(.*\.so[.0-9]*", .*= \d+$)")))
                libraries = call.at;
        const auto catalogue = firstAfter(calls, std::regex(R"(openat\(.*catalogue\.json")"), start);
        const auto messages = firstAfter(calls, std::regex(R"(openat\(.*resources.*\.json")"), start);
        const auto firstArchive = firstAfter(calls, std::regex(R"(openat\(.*\.enc")"), start);
        double lastArchive = start;
        for (const TracedCall& call : calls)
            if (std::regex_search(call.text, std::regex(R"(openat\(.*\.enc")"))) lastArchive = call.at;
        const double end = calls.back().at;
        const auto ms = [start](std::optional<double> at) {
            std::ostringstream text;
            if (at) {
                text << std::fixed << std::setprecision(1) << (*at - start) * 1000 << " ms";
            } else {
                text << "never";
            }
            return text.str();
        };
        std::cout
            << "DETAIL start-up, traced (strace slows every call it records), from the start: last shared "
               "library opened "
            << ms(libraries) << ", product catalogue opened " << ms(catalogue) << ", message catalogue "
            << ms(messages) << ", archives listed " << ms(firstArchive) << " to "
            << ms(firstArchive ? std::optional(lastArchive) : std::nullopt) << ", end " << ms(end) << '\n';
    }

    Settings settings_;
    BenchWorkspace work_;
    std::vector<std::string> arguments_;
};

}  // namespace

int main(int argc, char** argv) {
    try {
        return StartupBenchmark(parse(argc, argv)).run();
    } catch (const std::exception& error) {
        std::cerr << "bench_startup: " << error.what() << '\n';
        return 1;
    }
}
