// The stand-ins that promise to be safe from any thread, used from several at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <fstream>
#include <functional>
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

constexpr int kThreads = 4;

// Runs work(thread) on kThreads threads at once and waits for all of them.
void together(const std::function<void(int)>& work) {
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back(work, t);
}

std::vector<std::string> lines(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> read;
    for (std::string line; std::getline(in, line);) read.push_back(line);
    return read;
}

TEST(ConcurrentUse, InstallerLogLinesNeverInterleave) {
    test::ScratchFolder folder;
    ASSERT_TRUE(cpputil::logger::set_log_file(folder.path() / "install.log"));
    together([](int) {
        for (int i = 0; i < 200; ++i) cpputil::logger::append_message(std::u16string(64, u'x'));
    });
    cpputil::logger::close_log_file();
    const auto written = lines(folder.path() / "install.log");
    EXPECT_EQ(written.size(), 800u);
    EXPECT_THAT(written, testing::Each(std::string(64, 'x')));
}

TEST(ConcurrentUse, DiagnosticLoggersLoseNoLine) {
    foundation::log::ScopedDiagnosticCapture capture;
    together([](int t) {
        const foundation::log::diagnostic_logger logger("Writer" + std::to_string(t));
        for (int i = 0; i < 100; ++i) logger.trace(std::to_string(i));
    });
    EXPECT_EQ(capture.lines().size(), 400u);
}

TEST(ConcurrentUse, DiagnosticsRecordsStayWholeInTheFile) {
    test::ScratchFolder folder;
    ASSERT_TRUE(tlmx::sink::set_file(folder.path() / "records.jsonl"));
    together([](int t) {
        const tlmx::TlmxUtil collector;
        for (int i = 0; i < 100; ++i)
            collector.collectErrorInfo(std::to_string(t), std::string(100, 'm'), "", "Thread");
    });
    tlmx::sink::close_file();
    const auto written = lines(folder.path() / "records.jsonl");
    EXPECT_EQ(written.size(), 400u);
    for (const auto& line : written)
        EXPECT_EQ(foundation::json::Value::parse(line)["error.2"], std::string(100, 'm'));
}

TEST(ConcurrentUse, CatalogueLookupsWhileTheFilesAreFirstReadAgree) {
    fl::i18n::set_resource_directory({});  // drops what was read, so the threads read it together
    std::vector<std::u16string> texts(kThreads * 100);
    together([&texts](int t) {
        for (int i = 0; i < 100; ++i)
            texts[static_cast<std::size_t>(t * 100 + i)] = fl::i18n::message("progressMessage", i, "x");
    });
    for (std::size_t k = 0; k < texts.size(); ++k) {
        EXPECT_EQ(texts[k], fl::i18n::message("progressMessage", k % 100, "x"));
    }
    EXPECT_EQ(texts[0].find(u"!!"), std::u16string::npos);
}

TEST(ConcurrentUse, ReadersOfTheProductFolderAllSeeEveryProduct) {
    test::ScratchFolder packages;
    test::writeZip(packages.path() / "VELORA.enc", {{"bin/velora", "program"}});
    test::writeZip(packages.path() / "common" / "FLOWMERE.enc", {{"bin/flowmere", "program"}});
    repository_adapter::FolderRepositoryAdapter repository(
        packages.path(),
        std::make_shared<
            const productidentifier::ProductCatalogue>(productidentifier::ProductCatalogue::fromJson(
            R"({"products": [{"baseCode": "VELORA", "name": "Velora"}, {"baseCode": "FLOWMERE", "name": "Flowmere"}]})")));
    std::array<std::atomic<std::size_t>, kThreads> counts{};
    together([&](int t) { counts[static_cast<std::size_t>(t)] = repository.getAvailableProducts().size(); });
    for (const auto& count : counts) EXPECT_EQ(count.load(), 2u);
}

}  // namespace
}  // namespace install
