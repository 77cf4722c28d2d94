#include "foundation/log/DiagnosticLogger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace foundation::log {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::SizeIs;

constexpr const char* kGate = "install::product_installer::workflow_utils::ProductSelectionGate";

std::vector<std::string> readLines(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class DiagnosticLoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "diaglog-test-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
    }
    void TearDown() override {
        close_diagnostic_log_file();
        std::filesystem::remove_all(folder_);
    }

    std::filesystem::path folder_;
    diagnostic_logger logger_{kGate};
};

TEST_F(DiagnosticLoggerTest, CaptureSeesSeverityNameAndMessage) {
    ScopedDiagnosticCapture capture;
    logger_.trace("install size required: 1024");
    logger_.warning("no temporary folder");
    logger_.log(severity::error, "space check failed");
    EXPECT_THAT(capture.lines(),
                ElementsAre(std::string("[trace] ") + kGate + ": install size required: 1024",
                            std::string("[warning] ") + kGate + ": no temporary folder",
                            std::string("[error] ") + kGate + ": space check failed"));
}

TEST_F(DiagnosticLoggerTest, FileLinesCarryATimeStampAndAreAppended) {
    const auto file = folder_ / "logs" / "diagnostic.log";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "earlier\n";
    ASSERT_TRUE(set_diagnostic_log_file(file));
    logger_.info("temporary folder: /tmp");
    const auto lines = readLines(file);
    ASSERT_THAT(lines, SizeIs(2));
    EXPECT_EQ(lines[0], "earlier");
    EXPECT_THAT(lines[1], MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}\\.[0-9]{3} \\[info\\] "
                                       "install::product_installer::workflow_utils::ProductSelectionGate: "
                                       "temporary folder: /tmp"));
}

TEST_F(DiagnosticLoggerTest, SwitchingFilesStopsWritingTheOldOne) {
    const auto first = folder_ / "first.log";
    const auto second = folder_ / "second.log";
    ASSERT_TRUE(set_diagnostic_log_file(first));
    logger_.debug("one");
    ASSERT_TRUE(set_diagnostic_log_file(second));
    logger_.debug("two");
    EXPECT_THAT(readLines(first), SizeIs(1));
    EXPECT_THAT(readLines(second), SizeIs(1));
}

TEST_F(DiagnosticLoggerTest, UnopenableFileIsRefusedAndTheOldOneStays) {
    const auto first = folder_ / "first.log";
    ASSERT_TRUE(set_diagnostic_log_file(first));
    EXPECT_FALSE(set_diagnostic_log_file(folder_));
    logger_.debug("still here");
    EXPECT_THAT(readLines(first), SizeIs(1));
}

TEST_F(DiagnosticLoggerTest, WithoutSinksNothingReachesTheConsole) {
    std::ostringstream console;
    auto* previous = std::clog.rdbuf(console.rdbuf());
    logger_.error("dropped");
    std::clog.rdbuf(previous);
    EXPECT_THAT(console.str(), IsEmpty());
}

TEST_F(DiagnosticLoggerTest, CopiesLogUnderTheSameName) {
    ScopedDiagnosticCapture capture;
    const diagnostic_logger copy = logger_;  // NOLINT(performance-unnecessary-copy-initialization)
    EXPECT_EQ(copy.name(), kGate);
    copy.trace("from the copy");
    EXPECT_THAT(capture.lines(), ElementsAre(std::string("[trace] ") + kGate + ": from the copy"));
}

TEST_F(DiagnosticLoggerTest, ConcurrentLoggersLoseNoLine) {
    ScopedDiagnosticCapture capture;
    {
        std::vector<std::jthread> writers;
        for (int t = 0; t < 4; ++t) {
            writers.emplace_back([t] {
                const diagnostic_logger logger("Writer" + std::to_string(t));
                for (int i = 0; i < 100; ++i) logger.trace(std::to_string(i));
            });
        }
    }
    EXPECT_THAT(capture.lines(), SizeIs(400));
}

}  // namespace
}  // namespace foundation::log
