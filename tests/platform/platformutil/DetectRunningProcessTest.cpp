#include "install/platformutil/DetectRunningProcess.h"

#include <gtest/gtest.h>

#include "ProcessTableDetector.h"
#include "ScratchFolder.h"

namespace install::platformutil {
namespace {

namespace fs = std::filesystem;

TEST(DetectRunningProcessTest, FindsThisVeryProcessByItsExecutableName) {
    const fs::path executable = fs::read_symlink("/proc/self/exe");
    const auto strategy = createDetectRunningProcessStrategy();

    EXPECT_TRUE(strategy->isProcessRunning(executable.filename().u16string(), u""));
    EXPECT_TRUE(
        strategy->isProcessRunning(executable.filename().u16string(), executable.parent_path().u16string()));
    EXPECT_FALSE(strategy->isProcessRunning(executable.filename().u16string(), u"/nonexistent/folder"));
    EXPECT_FALSE(strategy->isProcessRunning(u"velora-no-such-program.exe", u""));
    EXPECT_FALSE(strategy->isProcessRunning(u"", u""));
}

// A made-up process table: what /proc shows for processes of other users (no readable
// executable link) and for kernel threads (only a command name).
class ProcessTableFallbackTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(table.path() / "100");
        fs::create_symlink("/opt/velora/bin/velora", table.path() / "100" / "exe");
        table.writeFile("200/cmdline", std::string("/usr/local/bin/flowmere\0--batch\0", 32));
        table.writeFile("300/comm", "kthreadd\n");
        table.writeFile("self/comm", "notaprocess\n");
    }

    test::ScratchFolder table;
};

TEST_F(ProcessTableFallbackTest, UsesTheExecutableLinkThenTheCommandLineThenTheCommandName) {
    const ProcessTableDetector detector(table.path());
    EXPECT_TRUE(detector.isProcessRunning(u"velora", u""));
    EXPECT_TRUE(detector.isProcessRunning(u"velora", u"/opt/velora"));
    EXPECT_FALSE(detector.isProcessRunning(u"velora", u"/opt/other"));
    EXPECT_TRUE(detector.isProcessRunning(u"flowmere", u""));
    EXPECT_FALSE(detector.isProcessRunning(u"--batch", u""));
    EXPECT_TRUE(detector.isProcessRunning(u"kthreadd", u""));
    // A command name says nothing about the folder, and non-numeric entries are no processes.
    EXPECT_FALSE(detector.isProcessRunning(u"kthreadd", u"/usr"));
    EXPECT_FALSE(detector.isProcessRunning(u"notaprocess", u""));
}

}  // namespace
}  // namespace install::platformutil
