// What one engine progress report costs through the data-model handler (a record setter plus
// the overall-percentage update), next to the same number of mutex-guarded copies of a plain
// struct with the same fields, alone and with four writers. Also checks that replaced records
// are freed: peak resident memory after a million reports stays close to that after ten
// thousand.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/InstallerModel.h"
#include "workflow_core/DataModelHandler.h"

namespace {

using install::product_installer::workflow_utils::DataModelHandler;

constexpr int kReportsPerWriterAndIteration = 1000;

// --- the baseline: plain records behind one mutex ---

struct DownloadRecord {
    std::u16string componentName;
    std::uint64_t bytesSoFar = 0, expectedBytes = 0, percentage = 0;
    std::u16string message, title;
};

struct InstallRecord {
    std::u16string componentName;
    std::uint64_t componentsSoFar = 0, bytesSoFar = 0, expectedComponents = 0, expectedBytes = 0,
                  percentage = 0;
    std::u16string message, title;
};

class PlainProgress {
public:
    void setDownload(const std::u16string& name, std::uint64_t soFar, std::uint64_t expected,
                     std::uint64_t percentage, std::u16string message, std::u16string title) {
        const std::lock_guard lock(mutex_);
        download_ = DownloadRecord{name, soFar, expected, percentage, std::move(message), std::move(title)};
    }
    void setInstall(const std::u16string& name, std::uint64_t components, std::uint64_t soFar,
                    std::uint64_t expectedComponents, std::uint64_t expected, std::uint64_t percentage,
                    std::u16string message, std::u16string title) {
        const std::lock_guard lock(mutex_);
        install_ =
            InstallRecord{name,       components,         soFar,           expectedComponents, expected,
                          percentage, std::move(message), std::move(title)};
    }
    void updateOverall() {
        const std::lock_guard lock(mutex_);
        const DownloadRecord download = download_;
        const InstallRecord install = install_;
        const std::uint64_t divisor = download.expectedBytes + install.expectedBytes;
        if (divisor == 0) return;
        overall_ = std::min<std::uint64_t>(100, (download.bytesSoFar + install.bytesSoFar) * 100 / divisor);
    }
    std::uint64_t overall() const {
        const std::lock_guard lock(mutex_);
        return overall_;
    }

private:
    mutable std::mutex mutex_;
    DownloadRecord download_;
    InstallRecord install_;
    std::uint64_t overall_ = 0;
};

// --- one report, through either path ---

// Alternates download and install reports the way an engine does while it fetches and unpacks.
template <class Sink>
void sendReports(Sink& sink, int writer, int count) {
    static const std::u16string kName = u"velora_core.enc";
    static const std::u16string kMessage = u"Installing Velora core components";
    static const std::u16string kTitle = u"Installing";
    for (int i = 0; i < count; ++i) {
        const auto bytes = static_cast<std::uint64_t>(i) * 4096 + static_cast<std::uint64_t>(writer);
        if (i % 2 == 0) {
            sink.download(kName, bytes, 1ull << 32, bytes % 100, kMessage, kTitle);
        } else {
            sink.install(kName, static_cast<std::uint64_t>(i), bytes, 5000, 1ull << 33, bytes % 100, kMessage,
                         kTitle);
        }
    }
}

struct HandlerSink {
    const DataModelHandler& handler;
    void download(const std::u16string& n, std::uint64_t s, std::uint64_t e, std::uint64_t p,
                  const std::u16string& m, const std::u16string& t) {
        handler.setDownloadProgressData(n, s, e, p, m, t);
        handler.updateOverallProgress();
    }
    void install(const std::u16string& n, std::uint64_t c, std::uint64_t s, std::uint64_t ec, std::uint64_t e,
                 std::uint64_t p, const std::u16string& m, const std::u16string& t) {
        handler.setInstallProgressData(n, c, s, ec, e, p, m, t);
        handler.updateOverallProgress();
    }
};

struct PlainSink {
    PlainProgress& progress;
    void download(const std::u16string& n, std::uint64_t s, std::uint64_t e, std::uint64_t p,
                  const std::u16string& m, const std::u16string& t) {
        progress.setDownload(n, s, e, p, m, t);
        progress.updateOverall();
    }
    void install(const std::u16string& n, std::uint64_t c, std::uint64_t s, std::uint64_t ec, std::uint64_t e,
                 std::uint64_t p, const std::u16string& m, const std::u16string& t) {
        progress.setInstall(n, c, s, ec, e, p, m, t);
        progress.updateOverall();
    }
};

// A handler over a model laid out as the installer application does, ready for progress.
struct ProgressHandler {
    ProgressHandler()
        : installer(velora::installer::createInstallerModel()),
          handler(std::make_shared<DataModelHandler>(installer.model, installer.root)) {
        handler->initializeProgressData();
    }
    velora::installer::InstallerModel installer;
    std::shared_ptr<DataModelHandler> handler;
};

// Each iteration sends kReportsPerWriterAndIteration reports from each of `writers` threads
// (the calling thread alone when there is one writer).
template <class Sink, class Target>
void runWriters(benchmark::State& state, Target& target) {
    const int writers = static_cast<int>(state.range(0));
    for (auto _ : state) {
        if (writers == 1) {
            Sink sink{target};
            sendReports(sink, 0, kReportsPerWriterAndIteration);
            continue;
        }
        std::vector<std::thread> threads;
        for (int writer = 0; writer < writers; ++writer) {
            threads.emplace_back([&target, writer] {
                Sink sink{target};
                sendReports(sink, writer, kReportsPerWriterAndIteration);
            });
        }
        for (auto& thread : threads) thread.join();
    }
    const auto reports = static_cast<double>(state.iterations()) * writers * kReportsPerWriterAndIteration;
    state.counters["reports"] = reports;
    state.counters["per_report"] =
        benchmark::Counter(reports, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_HandlerReport(benchmark::State& state) {
    ProgressHandler progress;
    runWriters<HandlerSink>(state, *progress.handler);
    benchmark::DoNotOptimize(progress.handler->getOverallProgressData().getPercentage());
}

void BM_PlainStructReport(benchmark::State& state) {
    PlainProgress progress;
    runWriters<PlainSink>(state, progress);
    benchmark::DoNotOptimize(progress.overall());
}

BENCHMARK(BM_PlainStructReport)
    ->Arg(1)
    ->Arg(4)
    ->ArgName("writers")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandlerReport)->Arg(1)->Arg(4)->ArgName("writers")->UseRealTime()->Unit(benchmark::kMicrosecond);

// Keeps the console output and remembers each run's real time per report for the ratio: the
// median of the repetitions when there are several (--benchmark_repetitions), as a busy machine
// moves single runs a lot.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            // The counter as the table shows it: seconds of real time per report.
            const auto perReport = run.counters.find("per_report");
            if (perReport == run.counters.end()) continue;
            const std::string name = run.run_name.str();
            if (!median && medians.count(name)) continue;
            if (median) medians.insert(name);
            nanosecondsPerReport[name] = perReport->second.value * 1e9;
        }
    }

    std::set<std::string> medians;

    std::map<std::string, double> nanosecondsPerReport;
};

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs first, before the timed benchmarks grow the process.
void reportPeakMemory() {
    const long atStart = peakResidentKilobytes();
    ProgressHandler progress;
    HandlerSink sink{*progress.handler};
    sendReports(sink, 0, 10'000);
    const long afterTenThousand = peakResidentKilobytes();
    sendReports(sink, 0, 990'000);
    const long afterMillion = peakResidentKilobytes();
    std::printf(
        "peak resident memory: %ld KiB at start, %ld KiB after 10,000 reports, %ld KiB after 1,000,000 "
        "reports (%+ld KiB)\n",
        atStart, afterTenThousand, afterMillion, afterMillion - afterTenThousand);
}

void printRatios(const RatioReporter& reporter) {
    for (const char* writers : {"writers:1", "writers:4"}) {
        const auto handler =
            reporter.nanosecondsPerReport.find(std::string("BM_HandlerReport/") + writers + "/real_time");
        const auto plain =
            reporter.nanosecondsPerReport.find(std::string("BM_PlainStructReport/") + writers + "/real_time");
        if (handler == reporter.nanosecondsPerReport.end() || plain == reporter.nanosecondsPerReport.end())
            continue;
        std::printf("%s: handler %.0f ns per report, plain struct %.0f ns per report, ratio %.1f\n", writers,
                    handler->second, plain->second, handler->second / plain->second);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    reportPeakMemory();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
