// The stand-ins that promise to be safe from any thread, used from several at once.
#include <gmock/gmock.h>

#include <thread>

#include "FolderRepositoryAdapter.h"
#include "fl/i18n/Message.h"
#include "foundation/log/DiagnosticLogger.h"
#include "install/cpputil/Logger.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "install/tlmx/TlmxUtil.h"
#include "support/ScratchFolder.h"
#include "support/ZipFile.h"

namespace install {
namespace {

// Runs work(thread) on four threads at once.
void together(const std::function<void(int)>& work) {
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back(work, t);
}

std::vector<std::string> linesOf(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The installer log, the support engineers' traces (each with its time stamp, severity and logger) and
// the diagnostics records, all written by the same threads at once.
TEST(ConcurrentUse, LinesAndRecordsNeverInterleaveAndAreNeverLost) {
    workflow_test::ScratchFolder folder;
    ASSERT_TRUE(cpputil::logger::set_log_file(folder.path() / "install.log"));
    const foundation::log::ScopedDiagnosticCapture capture;
    ASSERT_TRUE(foundation::log::set_diagnostic_log_file(folder.path() / "diagnostic.log"));
    EXPECT_FALSE(foundation::log::set_diagnostic_log_file(folder.path())) << "the first file stays";
    ASSERT_TRUE(tlmx::sink::set_file(folder.path() / "records.jsonl"));
    together([](int t) {
        const foundation::log::diagnostic_logger logger("Writer" + std::to_string(t));
        for (int i = 0; i < 100; ++i) {
            cpputil::logger::append_message(std::u16string(64, u'x'));
            logger.log(static_cast<foundation::log::severity>((t + i) % 5), "line");
            tlmx::TlmxUtil().collectErrorInfo(std::to_string(t), std::string(100, 'm'), "", "Thread");
        }
    });
    cpputil::logger::close_log_file();
    foundation::log::close_diagnostic_log_file();
    tlmx::sink::close_file();
    EXPECT_THAT(linesOf(folder.path() / "install.log"),
                testing::AllOf(testing::SizeIs(400), testing::Each(std::string(64, 'x'))));
    EXPECT_THAT(linesOf(folder.path() / "diagnostic.log"),
                testing::AllOf(testing::SizeIs(400), testing::Each(testing::MatchesRegex(
                                                         "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}\\.[0-9]{3} "
                                                         "\\[[a-z]+\\] Writer[0-3]: line"))));
    EXPECT_THAT(capture.lines(), testing::Contains("[error] Writer0: line"));
    const auto records = linesOf(folder.path() / "records.jsonl");
    ASSERT_EQ(records.size(), 400u);
    for (const auto& line : records)
        EXPECT_EQ(foundation::json::Value::parse(line)["error.2"], std::string(100, 'm'));
}

TEST(ConcurrentUse, CatalogueLookupsWhileTheFilesAreFirstReadAgreeAndEveryReaderSeesTheWholeProductFolder) {
    fl::i18n::set_resource_directory({});  // drops what was read, so the threads read it together
    std::vector<std::u16string> texts(4);
    together([&texts](int t) {
        for (int i = 0; i < 50; ++i)
            texts[static_cast<std::size_t>(t)] = fl::i18n::message("progressMessage", t, "x");
    });
    EXPECT_THAT(texts, testing::ElementsAre(u"0 of x", u"1 of x", u"2 of x", u"3 of x"));

    workflow_test::ScratchFolder packages;
    workflow_test::writeZip(packages.path() / "VELORA.enc", {{"bin/velora", "program"}});
    workflow_test::writeZip(packages.path() / "common/FLOWMERE.enc", {{"bin/flowmere", "program"}});
    repository_adapter::FolderRepositoryAdapter repository(
        packages.path(),
        std::make_shared<
            const productidentifier::ProductCatalogue>(productidentifier::ProductCatalogue::fromJson(
            R"({"products": [{"baseCode": "VELORA", "name": "V"}, {"baseCode": "FLOWMERE", "name": "F"}]})")));
    std::vector<std::size_t> counts(4);
    together([&](int t) { counts[static_cast<std::size_t>(t)] = repository.getAvailableProducts().size(); });
    EXPECT_THAT(counts, testing::Each(2u));
}

}  // namespace
}  // namespace install
