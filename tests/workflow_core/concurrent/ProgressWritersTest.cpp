// Engine threads report progress while the workflow thread reads it. Every field of every
// record encodes who wrote it and when, so the reader can tell a record that one writer wrote
// whole from one stitched together from several.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <latch>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/ModelFixture.h"

namespace {

using install::product_installer::workflow_utils::DataModelHandler;
using workflow_test::ModelFixture;

constexpr int kWriters = 8;

// The full count runs in optimised builds. Unoptimised and sanitized builds of the model
// framework are one to two orders of magnitude slower, so they send fewer;
// WORKFLOW_PROGRESS_REPORTS overrides the count either way, for a longer soak.
std::uint64_t reportsPerWriter() {
    if (const char* count = std::getenv("WORKFLOW_PROGRESS_REPORTS"))
        return std::strtoull(count, nullptr, 10);
#if defined(__SANITIZE_THREAD__)
    return 4'000;
#elif defined(__SANITIZE_ADDRESS__)
    return 3'000;
#elif !defined(__OPTIMIZE__)
    return 10'000;
#else
    return 100'000;
#endif
}

enum Kind { Download = 0, Install = 1, Uninstall = 2 };

// Counting down from the end, so every writer's last report is a download and the one before
// an install: the final overall record is then computed from the final download and install.
Kind kindOf(std::uint64_t index, std::uint64_t count) { return static_cast<Kind>((count - 1 - index) % 3); }

struct Stamp {
    int writer;
    std::uint64_t index;
};

std::u16string text(const char* prefix, Stamp stamp) {
    const std::string ascii =
        std::string(prefix) + ":" + std::to_string(stamp.writer) + ":" + std::to_string(stamp.index);
    return std::u16string(ascii.begin(), ascii.end());
}

std::optional<Stamp> parse(const std::u16string& componentName, char expectedPrefix) {
    const std::string ascii(componentName.begin(), componentName.end());
    int writer = -1;
    unsigned long long index = 0;
    char prefix = 0;
    char tail = 0;
    if (std::sscanf(ascii.c_str(), "%c:%d:%llu%c", &prefix, &writer, &index, &tail) != 3) return std::nullopt;
    if (prefix != expectedPrefix || writer < 0 || writer >= kWriters) return std::nullopt;
    return Stamp{writer, index};
}

// The fields of each kind of record as a function of the stamp; some reports run past their
// expected bytes so the overall percentage also meets its cap.
std::uint64_t base(Stamp s) { return s.index * kWriters + static_cast<std::uint64_t>(s.writer) + 1; }
std::uint64_t expectedFor(Stamp s) { return s.index % 4 == 0 ? base(s) / 2 + 1 : base(s) * 3; }

struct DownloadFields {
    std::u16string name;
    std::uint64_t soFar, expected, percentage;
    std::u16string message, title;
    bool operator==(const DownloadFields&) const = default;
};

struct InstallFields {
    std::u16string name;
    std::uint64_t components, soFar, expectedComponents, expected, percentage;
    std::u16string message, title;
    bool operator==(const InstallFields&) const = default;
};

DownloadFields downloadFor(Stamp s) {
    return {text("d", s), base(s), expectedFor(s), s.index % 101, text("dm", s), text("dt", s)};
}

InstallFields installFor(Stamp s) {
    return {text("i", s),   s.index,      base(s),       s.index + 5,
            expectedFor(s), s.index % 97, text("im", s), text("it", s)};
}

DownloadFields uninstallFor(Stamp s) {
    return {text("u", s), base(s), expectedFor(s), s.index % 89, text("um", s), text("ut", s)};
}

void report(const DataModelHandler& handler, Stamp stamp, Kind kind) {
    switch (kind) {
        case Download: {
            const auto f = downloadFor(stamp);
            handler.setDownloadProgressData(f.name, f.soFar, f.expected, f.percentage, f.message, f.title);
            handler.updateOverallProgress();
            break;
        }
        case Install: {
            const auto f = installFor(stamp);
            handler.setInstallProgressData(f.name, f.components, f.soFar, f.expectedComponents, f.expected,
                                           f.percentage, f.message, f.title);
            handler.updateOverallProgress();
            break;
        }
        case Uninstall: {
            const auto f = uninstallFor(stamp);
            handler.setUninstallProgressData(f.name, f.soFar, f.expected, f.percentage, f.message, f.title);
            handler.updateOverallUninstallProgress();
            break;
        }
    }
}

DownloadFields fieldsOf(const DataModelHandler::DownloadProgressData& r) {
    return {r.getComponentName(), r.getBytesDownloadedSoFar(), r.getExpectedBytesToBeDownloaded(),
            r.getPercentage(),    r.getDownloadMessage(),      r.getDownloadTitle()};
}

InstallFields fieldsOf(const DataModelHandler::InstallProgressData& r) {
    return {r.getComponentName(),
            r.getNumberOfComponentsInstalledSoFar(),
            r.getBytesInstalledSoFar(),
            r.getExpectedNumberOfComponentsToBeInstalled(),
            r.getExpectedBytesToBeInstalled(),
            r.getPercentage(),
            r.getInstallMessage(),
            r.getInstallTitle()};
}

DownloadFields fieldsOf(const DataModelHandler::UninstallProgressData& r) {
    return {r.getComponentName(), r.getBytesUninstalledSoFar(), r.getExpectedBytesToBeUninstalled(),
            r.getPercentage(),    r.getUninstallMessage(),      r.getUninstallTitle()};
}

// What the workflow thread found while the writers ran.
class RecordChecker {
public:
    explicit RecordChecker(std::uint64_t count) : count_(count) {}

    void check(const DataModelHandler& handler) {
        ++reads_;
        checkOne(Download, 'd', fieldsOf(handler.getDownloadProgressData()), downloadFor);
        checkOne(Install, 'i', fieldsOf(handler.getInstallProgressData()), installFor);
        checkOne(Uninstall, 'u', fieldsOf(handler.getUninstallProgressData()), uninstallFor);
        if (handler.getOverallProgressData().getPercentage() > 100) note("overall percentage above 100");
    }

    std::uint64_t reads() const { return reads_; }
    std::uint64_t faults() const { return faults_; }
    const std::string& firstFault() const { return firstFault_; }

private:
    template <class Fields, class Expected>
    void checkOne(Kind kind, char prefix, const Fields& fields, Expected expectedFor) {
        if (fields == Fields{}) return;  // nothing reported yet
        const auto stamp = parse(fields.name, prefix);
        if (!stamp || stamp->index >= count_ || kindOf(stamp->index, count_) != kind) {
            return note("record of an unknown report: " +
                        std::string(fields.name.begin(), fields.name.end()));
        }
        if (!(fields == expectedFor(*stamp))) {
            return note("torn record: " + std::string(fields.name.begin(), fields.name.end()));
        }
        // One writer's records of one kind are replaced in order; reading an older one after a
        // newer one means a stale read.
        auto& last = lastSeen_[kind][stamp->writer];
        if (last && *last > stamp->index) note("record went back in time");
        last = stamp->index;
    }

    void note(const std::string& fault) {
        if (faults_++ == 0) firstFault_ = fault;
    }

    std::uint64_t count_;
    std::uint64_t reads_ = 0;
    std::uint64_t faults_ = 0;
    std::string firstFault_;
    std::array<std::array<std::optional<std::uint64_t>, kWriters>, 3> lastSeen_{};
};

class ProgressWritersTest : public ModelFixture {
protected:
    void SetUp() override { handler->initializeProgressData(); }
};

TEST_F(ProgressWritersTest, ConcurrentReportsStayWholeAndTheLastOverallMatchesTheLastRecords) {
    const std::uint64_t count = std::max<std::uint64_t>(3, reportsPerWriter());
    std::latch start(kWriters + 1);
    std::atomic<int> running{kWriters};
    std::atomic<std::uint64_t> writerFailures{0};

    std::vector<std::thread> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        writers.emplace_back([&, writer] {
            start.arrive_and_wait();
            try {
                for (std::uint64_t index = 0; index < count; ++index) {
                    report(*handler, Stamp{writer, index}, kindOf(index, count));
                }
            } catch (...) {
                writerFailures.fetch_add(1);
            }
            running.fetch_sub(1, std::memory_order_release);
        });
    }

    RecordChecker checker(count);
    start.arrive_and_wait();
    while (running.load(std::memory_order_acquire) > 0) checker.check(*handler);
    for (auto& writer : writers) writer.join();
    checker.check(*handler);

    EXPECT_EQ(writerFailures.load(), 0u);
    EXPECT_EQ(checker.faults(), 0u) << "first: " << checker.firstFault() << " (" << checker.reads()
                                    << " reads)";
    EXPECT_FALSE(model().isInTransaction());

    const auto download = fieldsOf(handler->getDownloadProgressData());
    const auto install = fieldsOf(handler->getInstallProgressData());
    const auto lastDownload = parse(download.name, 'd');
    const auto lastInstall = parse(install.name, 'i');
    ASSERT_TRUE(lastDownload && lastInstall);
    EXPECT_EQ(lastDownload->index, count - 1);
    EXPECT_EQ(lastInstall->index, count - 2);

    const std::uint64_t formula = std::min<std::uint64_t>(
        100, (download.soFar + install.soFar) * 100 / (download.expected + install.expected));
    EXPECT_EQ(handler->getOverallProgressData().getPercentage(), formula);
}

}  // namespace
