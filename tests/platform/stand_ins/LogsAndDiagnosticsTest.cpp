// The installer's exception and log file, the support engineers' traces and the diagnostics records.
#include <gmock/gmock.h>

#include "install/cpputil/InstallerException.h"
#include "install/cpputil/Logger.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "install/tlmx/TlmxUtil.h"
#include "support/ScratchFolder.h"

namespace install {
namespace {

using foundation::json::Value;

TEST(InstallerException, TextLeavesOutEmptyPartsAndLocationsJoinWithDoubleColons) {
    using cpputil::InstallerException;
    EXPECT_STREQ(InstallerException("199", "unknown", "disk on fire", "Progress").what(),
                 "Progress: 199: unknown (disk on fire)");
    EXPECT_STREQ(InstallerException("", "", "boom", "").what(), "boom");
    EXPECT_STREQ(InstallerException("", "", "", "").what(), "installer error");
    EXPECT_EQ(cpputil::createLocation("FolderSelection", "Repo::Download") +
                  cpputil::createLocation("", "E") + cpputil::createLocation("P", ""),
              "FolderSelection::Repo::DownloadEP");
}

TEST(InstallerLog, OneFileAtATimeAndEveryRefusedChangeIsWrittenToTheFileKept) {
    namespace logger = cpputil::logger;
    workflow_test::ScratchFolder folder;
    const auto first = folder.writeFile("a/b/first.log", "earlier run\n");
    const auto blocked = folder.writeFile("plainfile", "x") / "sub" / "install.log";
    const logger::ScopedCapture capture;
    logger::append_message(u"before any file");
    ASSERT_TRUE(logger::set_log_file(first));
    logger::append_message(u"Gr\u00fc\u00dfe \U0001F600");
    EXPECT_FALSE(logger::set_log_file(blocked));
    EXPECT_FALSE(logger::set_log_file(folder.path()));
    EXPECT_EQ(logger::log_file(), first) << "the first file stays in use";
    ASSERT_TRUE(logger::set_log_file(folder.path() / "second.log"));
    logger::append_message(u"two");
    logger::close_log_file();
    logger::append_message(u"only captured");
    EXPECT_EQ(workflow_test::readText(first),
              "earlier run\nGr\xc3\xbc\xc3\x9f"
              "e \xf0\x9f\x98\x80\n"
              "Unable to create specified folder for installation log " +
                  blocked.string() + "\nUnable to create specified file for installation log " +
                  folder.path().string() + "\nReset destination file log " +
                  (folder.path() / "second.log").string() + "\n");
    EXPECT_EQ(workflow_test::readText(folder.path() / "second.log"), "two\n");
    EXPECT_EQ(capture.lines().size(), 7u);
}

// The host's records file and its refusal of a second one are proven by the installer runs and the
// concurrent use; here the content of each kind of record.
TEST(TlmxUtil, RecordsKeepTheirTextsWithBadUtf8ReplacedAndALaterValueReplacesAnEarlierOne) {
    const tlmx::sink::ScopedCapture capture;
    EXPECT_FALSE(tlmx::sink::set_file("/proc")) << "a folder is no file";
    const tlmx::TlmxUtil collector;
    collector.collectErrorInfo("610", "Invalid characters", "bad '|' \xff byte",
                               "FolderSelection::FolderValidator");
    collector.collectProductInfo({tlmx::ProductData{"VLR", "Velora", 10, 20, true}});
    tlmx::DiagnosticsData data;
    data.add(tlmx::SessionDataKey{26}, false);
    data.add(tlmx::SessionDataKey{26}, true);
    data.add(tlmx::ErrorDataKey::Location, "e");
    data.add(tlmx::ProductDataKey::Downloadable, "p");
    data.add(tlmx::GpuDataKey{1}, "g");
    collector.collectDiagnosticsData(data);
    std::vector<Value> records = capture.records();
    ASSERT_EQ(records.size(), 3u);
    records[0].erase("time");
    EXPECT_EQ(records[0],
              Value::parse(R"({"record": "error", "error.1": "610", "error.2": "Invalid characters",
        "error.3": "bad '|' \ufffd byte", "error.4": "FolderSelection::FolderValidator"})"));
    EXPECT_EQ(records[1]["products"],
              Value::parse(R"([{"product.1": "VLR", "product.2": "Velora", "product.3": 10,
        "product.4": 20, "product.5": true}])"));
    EXPECT_EQ(records[2]["data"],
              Value::parse(R"({"session.26": true, "error.4": "e", "product.5": "p", "gpu.1": "g"})"));
}

}  // namespace
}  // namespace install
