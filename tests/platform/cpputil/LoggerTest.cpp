#include "install/cpputil/Logger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "TemporaryFolder.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/LogMessages.h"

namespace install::cpputil::logger {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::u16string u16Path(const std::filesystem::path& path) { return fl::i18n::to_u16string(path.string()); }

class InstallerLogTest : public ::testing::Test {
protected:
    void TearDown() override { close_log_file(); }

    test::TemporaryFolder folder_;
};

TEST_F(InstallerLogTest, WritesOneUtf8LinePerCall) {
    const auto file = folder_.path() / "install.log";
    ASSERT_TRUE(set_log_file(file));
    append_message(u"Installing into C:\\Velora");
    append_message(u"Gr\u00fc\u00dfe \U0001F600");
    EXPECT_EQ(readFile(file),
              "Installing into C:\\Velora\nGr\xc3\xbc\xc3\x9f"
              "e \xf0\x9f\x98\x80\n");
    EXPECT_EQ(log_file(), file);
}

TEST_F(InstallerLogTest, AppendsToAnExistingFileAndCreatesMissingFolders) {
    const auto file = folder_.path() / "a" / "b" / "install.log";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "earlier run\n";
    ASSERT_TRUE(set_log_file(file));
    append_message(u"this run");
    EXPECT_EQ(readFile(file), "earlier run\nthis run\n");
}

TEST_F(InstallerLogTest, SwitchingFilesLeavesTheResetLineInTheOldFile) {
    const auto first = folder_.path() / "first.log";
    const auto second = folder_.path() / "second.log";
    ASSERT_TRUE(set_log_file(first));
    append_message(u"one");
    ASSERT_TRUE(set_log_file(second));
    append_message(u"two");
    EXPECT_EQ(readFile(first), "one\nReset destination file log " + second.string() + "\n");
    EXPECT_EQ(readFile(second), "two\n");
}

TEST_F(InstallerLogTest, UncreatableFolderIsReportedAndTheOldFileStays) {
    const auto first = folder_.path() / "first.log";
    std::ofstream(folder_.path() / "plainfile") << "x";
    const auto impossible = folder_.path() / "plainfile" / "sub" / "install.log";
    ASSERT_TRUE(set_log_file(first));
    ScopedCapture capture;
    EXPECT_FALSE(set_log_file(impossible));
    append_message(u"still here");
    const std::u16string reason = std::u16string(kUnableToCreateLogFolder) + u16Path(impossible);
    EXPECT_THAT(capture.lines(), ElementsAre(reason, u"still here"));
    EXPECT_EQ(log_file(), first);
}

TEST_F(InstallerLogTest, UncreatableFileIsReported) {
    ScopedCapture capture;
    const auto folderAsFile = folder_.path();
    EXPECT_FALSE(set_log_file(folderAsFile));
    EXPECT_THAT(capture.lines(), ElementsAre(std::u16string(kUnableToCreateLogFile) + u16Path(folderAsFile)));
    EXPECT_TRUE(log_file().empty());
}

TEST_F(InstallerLogTest, WithoutFileLinesReachOnlyCaptures) {
    ScopedCapture capture;
    append_message(u"nowhere");
    EXPECT_THAT(capture.lines(), ElementsAre(u"nowhere"));
}

TEST_F(InstallerLogTest, CapturesSeeOnlyTheirOwnLifetime) {
    ScopedCapture outer;
    append_message(u"first");
    {
        ScopedCapture inner;
        append_message(u"second");
        EXPECT_THAT(inner.lines(), ElementsAre(u"second"));
    }
    append_message(u"third");
    EXPECT_THAT(outer.lines(), ElementsAre(u"first", u"second", u"third"));
    outer.clear();
    EXPECT_THAT(outer.lines(), IsEmpty());
}

TEST_F(InstallerLogTest, ConcurrentWritersNeverInterleaveWithinALine) {
    const auto file = folder_.path() / "threads.log";
    ASSERT_TRUE(set_log_file(file));
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    const std::u16string line(64, u'x');
    {
        std::vector<std::jthread> writers;
        for (int t = 0; t < kThreads; ++t) {
            writers.emplace_back([&] {
                for (int i = 0; i < kLines; ++i) append_message(line);
            });
        }
    }
    std::istringstream text(readFile(file));
    int count = 0;
    for (std::string read; std::getline(text, read); ++count) ASSERT_EQ(read, std::string(64, 'x'));
    EXPECT_EQ(count, kThreads * kLines);
}

}  // namespace
}  // namespace install::cpputil::logger
