// Installation runs that succeed: files in place, the installation record of every file, and the
// progress the engine's worker thread reports on the way.
#include <gmock/gmock.h>

#include <algorithm>

#include "EngineRunFixture.h"

namespace install::engine::test {
namespace {

using testing::ElementsAre;

constexpr std::uint64_t kKiB = 1024;

// Both installing workflows unpack alike; the plain install fetches its archives first.
class EngineRunTest : public EngineRunFixture, public testing::WithParamInterface<WorkflowType> {
protected:
    EngineRunTest() {
        addProduct("VELORA", {{"bin/velora", content(768 * kKiB, 1)},
                              {"share/velora/README.txt", "Velora\n"},
                              {"bin/vl", "->velora"}});
        addProduct("FLOWMERE", {{"bin/flowmere", content(512 * kKiB, 2)}, {"share/flowmere/f", "flow"}});
    }
};

TEST_P(EngineRunTest, InstallsEachProductOnceAndRecordsItsFilesLinksAndFolders) {
    checksums["FLOWMERE"].clear();  // installed unchecked
    run({u"VELORA", u"FLOWMERE", u"VELORA"}, GetParam());

    EXPECT_EQ(installed("bin/vl"), content(768 * kKiB, 1));
    EXPECT_EQ(installed("share/flowmere/f"), "flow");
    const auto record = InstallationManifest::readFrom(folder());
    ASSERT_TRUE(record.has_value());
    ASSERT_EQ(record->getProducts().size(), 2u);
    const InstalledProductEntry& velora = record->getProducts()[0];
    EXPECT_EQ(velora.name, u"Name of VELORA");
    ASSERT_EQ(velora.files.size(), 2u);
    EXPECT_EQ(
        velora.files[1].path + " " + std::to_string(velora.files[1].size) + " " + velora.files[1].sha256,
        "share/velora/README.txt 7 d11639a5cf584ffc983abd1a93b83be3cec0167fa651a06482a12936a4ab816d");
    EXPECT_EQ(velora.links[0].path + " -> " + velora.links[0].target, "bin/vl -> velora");
    EXPECT_THAT(velora.folders, ElementsAre("bin", "share", "share/velora"));
    EXPECT_THAT(record->getProducts()[1].folders, ElementsAre("share/flowmere"))
        << "bin and share were there";
}

TEST_P(EngineRunTest, ProgressComesFromTheEnginesThreadAndShowsAHundredOnlyOnceEverythingIsRecorded) {
    bool recordedAtHundred = false;
    onInstallReport = [&](const InstallProgressData& report) {
        // The handler's overall figure: downloaded and installed bytes over their totals.
        const auto download = downloadReports.empty() ? DownloadProgressData{} : downloadReports.back();
        const std::uint64_t overall =
            (download.doneSize + report.doneSize) * 100 / (download.totalSize + report.totalSize);
        if (overall >= 100) recordedAtHundred = recordedProducts().size() == 2;
        EXPECT_TRUE(overall < 100 || report.percent == 100) << report.doneSize << " of " << report.totalSize;
    };
    run({u"VELORA", u"FLOWMERE"}, GetParam());

    EXPECT_TRUE(recordedAtHundred);
    EXPECT_EQ(std::count(reportThreads.begin(), reportThreads.end(), std::this_thread::get_id()), 0);
    const InstallProgressData& last = installReports.back();
    const std::uint64_t unpacked = 1280 * kKiB + 7 + 4;
    EXPECT_EQ(std::vector<std::uint64_t>(
                  {last.doneComponents, last.doneSize, last.totalComponents, last.totalSize, last.percent}),
              std::vector<std::uint64_t>({2, unpacked, 2, unpacked, 100}));
    EXPECT_EQ(last.text, u"Name of FLOWMERE");
    for (std::size_t index = 1; index < installReports.size(); ++index) {
        EXPECT_GE(installReports[index].percent, installReports[index - 1].percent);
        EXPECT_GE(installReports[index].doneSize, installReports[index - 1].doneSize);
        EXPECT_LT(installReports[index - 1].percent, 100u);
    }
    // One report per whole percent, plus the beginning and end of each product at most.
    EXPECT_LE(installReports.size(), 101u + 2 * 2);
    EXPECT_GT(installReports.size(), 4u);
    if (GetParam() == WorkflowType::InstallFromFolder) {
        EXPECT_TRUE(downloadReports.empty());
        return;
    }
    const auto archiveBytes = std::filesystem::file_size(packages() / "VELORA.enc") +
                              std::filesystem::file_size(packages() / "FLOWMERE.enc");
    EXPECT_EQ(std::vector<std::uint64_t>({downloadReports.back().doneSize, downloadReports.back().totalSize,
                                          downloadReports.back().percent}),
              std::vector<std::uint64_t>({archiveBytes, archiveBytes, 100}));
    EXPECT_LE(downloadReports.size(), 101u + 2);
}

TEST_P(EngineRunTest, ALaterRunReplacesFilesAddsToTheRecordAndTakesTheInstallersReleaseAndLocalArchives) {
    run({u"FLOWMERE"}, GetParam());
    enczip::test::writeText(installerFolder() / "VersionInfo.xml",
                            "<VersionInfo><Release>2031.1</Release><ReleaseStatus>Prerelease</ReleaseStatus>"
                            "<UpdateLevel>3</UpdateLevel></VersionInfo>");
    // An archive in the installer's own "archives" folder comes before the repository's.
    addProduct("VELORA", {{"bin/flowmere", "replaced"}, {"bin/velora", "local build"}},
               installerFolder() / "archives");
    run({u"VELORA"}, GetParam());

    EXPECT_EQ(installed("bin/flowmere"), "replaced");
    EXPECT_EQ(installed("bin/velora"), "local build");
    EXPECT_TRUE(downloadReports.empty()) << "nothing to fetch";
    const auto record = InstallationManifest::readFrom(folder());
    ASSERT_TRUE(record.has_value());
    EXPECT_THAT(recordedProducts(), ElementsAre(u"FLOWMERE", u"VELORA"));
    EXPECT_EQ(record->getReleaseFamily() + u" " + record->getReleaseStatus(), u"2031.1 Prerelease");
    EXPECT_EQ(record->getUpdateLevel(), 3);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 4) << "nothing staged stays";
}

INSTANTIATE_TEST_SUITE_P(InstallingWorkflows, EngineRunTest,
                         testing::Values(WorkflowType::Install, WorkflowType::InstallFromFolder),
                         [](const auto& info) {
                             return info.param == WorkflowType::Install ? "Install" : "FromFolder";
                         });

}  // namespace
}  // namespace install::engine::test
