// The stand-ins that promise to be safe from any thread, used from several at once.
#include <gmock/gmock.h>

#include <thread>

#include "FolderRepositoryAdapter.h"
#include "ScratchFolder.h"
#include "ZipWriter.h"
#include "fl/i18n/Message.h"
#include "foundation/log/DiagnosticLogger.h"
#include "install/cpputil/Logger.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "install/tlmx/TlmxUtil.h"

namespace install {
namespace {

// Runs work(thread) on four threads at once, then gives the lines of the file, if any.
std::vector<std::string> together(const std::function<void(int)>& work,
                                  const std::filesystem::path& file = {}) {
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t) threads.emplace_back(work, t);
    }
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(ConcurrentUse, InstallerLogAndDiagnosticLinesNeverInterleaveAndAreNeverLost) {
    test::ScratchFolder folder;
    ASSERT_TRUE(cpputil::logger::set_log_file(folder.path() / "install.log"));
    const auto lines = together(
        [](int) {
            for (int i = 0; i < 200; ++i) cpputil::logger::append_message(std::u16string(64, u'x'));
        },
        folder.path() / "install.log");
    cpputil::logger::close_log_file();
    EXPECT_THAT(lines, testing::AllOf(testing::SizeIs(800), testing::Each(std::string(64, 'x'))));
    // The support engineers' traces: every line whole, with its time stamp, severity and logger.
    const foundation::log::ScopedDiagnosticCapture capture;
    ASSERT_TRUE(foundation::log::set_diagnostic_log_file(folder.path() / "diagnostic.log"));
    EXPECT_FALSE(foundation::log::set_diagnostic_log_file(folder.path())) << "the first file stays";
    const auto traces = together(
        [](int t) {
            const foundation::log::diagnostic_logger logger("Writer" + std::to_string(t));
            for (int i = 0; i < 100; ++i)
                logger.log(static_cast<foundation::log::severity>((t + i) % 5), "line");
        },
        folder.path() / "diagnostic.log");
    foundation::log::close_diagnostic_log_file();
    EXPECT_THAT(traces,
                testing::AllOf(testing::SizeIs(400), testing::Each(testing::MatchesRegex(
                                                         "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}\\.[0-9]{3} "
                                                         "\\[[a-z]+\\] Writer[0-3]: line"))));
    EXPECT_THAT(capture.lines(), testing::Contains("[error] Writer0: line"));
}

TEST(ConcurrentUse, DiagnosticsRecordsStayWhole) {
    test::ScratchFolder folder;
    ASSERT_TRUE(tlmx::sink::set_file(folder.path() / "records.jsonl"));
    const auto lines = together(
        [](int t) {
            for (int i = 0; i < 100; ++i)
                tlmx::TlmxUtil().collectErrorInfo(std::to_string(t), std::string(100, 'm'), "", "Thread");
        },
        folder.path() / "records.jsonl");
    tlmx::sink::close_file();
    ASSERT_EQ(lines.size(), 400u);
    for (const auto& line : lines)
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

    test::ScratchFolder packages;
    test::writeZip(packages.path() / "VELORA.enc", {{"bin/velora", "program"}});
    test::writeZip(packages.path() / "common" / "FLOWMERE.enc", {{"bin/flowmere", "program"}});
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
