#include "install/tlmx/TlmxUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "install/tlmx/DiagnosticsSink.h"

namespace install::tlmx {
namespace {

using foundation::json::Value;

class TlmxUtilTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "tlmx-test-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
    }
    void TearDown() override {
        sink::close_file();
        std::filesystem::remove_all(folder_);
    }

    std::vector<Value> fileRecords(const std::filesystem::path& file) const {
        std::ifstream in(file);
        std::vector<Value> records;
        for (std::string line; std::getline(in, line);) records.push_back(Value::parse(line));
        return records;
    }

    std::filesystem::path folder_;
    TlmxUtil collector_;
};

TEST_F(TlmxUtilTest, ErrorInfoCarriesTheFourTextsUnchanged) {
    sink::ScopedCapture capture;
    collector_.collectErrorInfo("610", "Invalid characters or destination folder named private", "bad '|'",
                                "FolderSelection::FolderValidator::FolderValidatorExceptionInvalidCharacter");
    const auto records = capture.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["record"], "error");
    EXPECT_EQ(records[0]["error.1"], "610");
    EXPECT_EQ(records[0]["error.2"], "Invalid characters or destination folder named private");
    EXPECT_EQ(records[0]["error.3"], "bad '|'");
    EXPECT_EQ(records[0]["error.4"],
              "FolderSelection::FolderValidator::FolderValidatorExceptionInvalidCharacter");
    EXPECT_TRUE(records[0]["time"].is_string());
}

TEST_F(TlmxUtilTest, RecordsGoToTheHostsFileAsJsonLines) {
    const auto file = folder_ / "diag" / "records.jsonl";
    ASSERT_TRUE(sink::set_file(file));
    collector_.collectErrorInfo("1850", "User declined license agreement", "", "SLAGate::AgreeToLicense");
    collector_.collectProductInfo(
        {ProductData{"VLR", "Velora", 10, 20, true}, ProductData{"FLW", "Flowmere"}});
    DiagnosticsData data;
    data.add(SessionDataKey{26}, true);
    collector_.collectDiagnosticsData(data);

    const auto records = fileRecords(file);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]["error.4"], "SLAGate::AgreeToLicense");
    EXPECT_EQ(records[1]["record"], "product");
    EXPECT_EQ(records[1]["products"], (Value::array({Value{{"product.1", "VLR"},
                                                           {"product.2", "Velora"},
                                                           {"product.3", 10},
                                                           {"product.4", 20},
                                                           {"product.5", true}},
                                                     Value{{"product.1", "FLW"},
                                                           {"product.2", "Flowmere"},
                                                           {"product.3", 0},
                                                           {"product.4", 0},
                                                           {"product.5", false}}})));
    EXPECT_EQ(records[2]["record"], "session");
    EXPECT_EQ(records[2]["data"], (Value{{"session.26", true}}));
}

TEST_F(TlmxUtilTest, InvalidUtf8IsReplacedNotLost) {
    sink::ScopedCapture capture;
    collector_.collectErrorInfo("199", "unknown error", std::string("bad \xff byte"), "Progress");
    const auto records = capture.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["error.3"], "bad \xef\xbf\xbd byte");
}

TEST_F(TlmxUtilTest, UnopenableFileKeepsThePreviousOne) {
    const auto file = folder_ / "records.jsonl";
    ASSERT_TRUE(sink::set_file(file));
    EXPECT_FALSE(sink::set_file(folder_));
    collector_.collectErrorInfo("1", "m", "", "L");
    EXPECT_EQ(fileRecords(file).size(), 1u);
}

TEST_F(TlmxUtilTest, ConcurrentCollectorsWriteWholeRecords) {
    const auto file = folder_ / "threads.jsonl";
    ASSERT_TRUE(sink::set_file(file));
    constexpr int kThreads = 4;
    constexpr int kRecords = 100;
    {
        std::vector<std::jthread> writers;
        for (int t = 0; t < kThreads; ++t) {
            writers.emplace_back([t] {
                const TlmxUtil collector;
                for (int i = 0; i < kRecords; ++i) {
                    collector.collectErrorInfo(std::to_string(t), std::string(100, 'm'), "", "Thread");
                }
            });
        }
    }
    const auto records = fileRecords(file);
    EXPECT_EQ(records.size(), static_cast<std::size_t>(kThreads * kRecords));
}

}  // namespace
}  // namespace install::tlmx
