// The engine's download-only run against the repository server: a transfer broken off leaves its
// ".part" and nothing under a final name, and the next run into the folder resumes it; an
// interrupt stops every transfer.
#include "DownloadRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "OnlineRepositoryAdapter.h"
#include "TestArchive.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Interrupt.h"
#include "install/engine/EngineExceptions.h"
#include "install/engine/ProgressRegistration.h"
#include "support/MockRepositoryAdapter.h"
#include "support/RepoServerProcess.h"

namespace install::engine {
namespace {

namespace fs = std::filesystem;
using enczip::test::readText;

class DownloadRunTest : public testing::Test {
protected:
    ~DownloadRunTest() override { cpputil::interrupt::reset(); }

    DownloadRequest request(const std::string& address) const {
        return {{u"VELORA", u"FLOWMERE"},
                scratch.path() / "archives",
                {"l64pc"},
                std::make_shared<repository_adapter::OnlineRepositoryAdapter>(address, "l64pc"),
                std::make_shared<productidentifier::ProductCatalogue>(
                    productidentifier::ProductCatalogue::fromFile(VELORA_SAMPLE_CATALOGUE)),
                "",
                "",
                ""};
    }
    std::vector<std::string> namesOf(const std::string& extension) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(scratch.path()))
            if (entry.path().extension() == extension) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string published(const std::string& code) {
        return readText(fs::path(VELORA_SAMPLE_REPOSITORY) / "archives/2025.1" / (code + ".enc"));
    }

    workflow_test::ScratchFolder scratch;
};

TEST_F(DownloadRunTest, ACutTransferKeepsItsPartAndTheNextRunIntoTheFolderResumesIt) {
    std::map<std::string, std::uintmax_t> partSizes;
    {
        workflow_test::RepoServerProcess cutting(
            VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY, "--fault", "cut-after=300"});
        EXPECT_THROW(DownloadRun(request(cutting.url())).run(), EngineDownloadException);
        // The first cut stops the run: the other transfer may have been cancelled part-way or
        // never started, so which parts stay is a matter of timing; none is under a final name.
        for (const auto& entry : fs::recursive_directory_iterator(scratch.path()))
            if (entry.path().extension() == ".part")
                partSizes[entry.path().filename().string()] = entry.file_size();
    }
    EXPECT_THAT(namesOf(".enc"), testing::IsEmpty());
    ASSERT_THAT(partSizes, testing::Contains(testing::Pair(testing::_, 300u)));

    workflow_test::RepoServerProcess server(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY});
    DownloadProgressData last;
    const auto connection =
        registerDownloadProgressCallback([&](const DownloadProgressData& data) { last = data; });
    DownloadRun(request(server.url())).run();

    for (const auto& [name, size] : partSizes) {
        if (size == 0) continue;
        EXPECT_TRUE(server.sawRequest("range bytes=" + std::to_string(size) + "-")) << name;
    }
    const fs::path folder = scratch.path() / "archives" / "l64pc";
    EXPECT_EQ(readText(folder / "VELORA.enc"), published("VELORA"));
    EXPECT_EQ(readText(folder / "FLOWMERE.enc"), published("FLOWMERE"));
    EXPECT_THAT(namesOf(".part"), testing::IsEmpty());
    EXPECT_EQ(last.doneSize, last.totalSize);
    EXPECT_EQ(last.percent, 100u);
    const auto catalogue =
        productidentifier::ProductCatalogue::fromFile(folder / DownloadRun::kCatalogueName);
    EXPECT_EQ(catalogue.find(u"VELORA")->archiveSha256.size(), 64u);
    EXPECT_TRUE(catalogue.find(u"QUARRIX_TEST")->archiveSha256.empty()) << "not fetched";
}

TEST_F(DownloadRunTest, AnInterruptStopsTheRunWithNothingUnderAFinalName) {
    workflow_test::RepoServerProcess server(VELORA_REPO_SERVER,
                                            {"--root", VELORA_SAMPLE_REPOSITORY, "--fault", "stall"});
    // The repository answers at once; its archives never arrive.
    auto repository = std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
    ON_CALL(*repository, getProductArchive)
        .WillByDefault([&](const std::u16string& code, const std::string&) {
            const std::string name = fl::i18n::to_string(code);
            return repository_adapter::ArchiveSource{server.url("archives/2025.1/" + name + ".enc"),
                                                     published(name).size(), "", ""};
        });
    auto run = request(server.url());
    run.repository = repository;
    const auto connection = registerDownloadProgressCallback([](const DownloadProgressData&) {});
    std::thread user([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cpputil::interrupt::set();
    });
    EXPECT_THROW(DownloadRun(run).run(), EngineInterruptedException);
    user.join();
    EXPECT_THAT(namesOf(".enc"), testing::IsEmpty());
}

}  // namespace
}  // namespace install::engine
