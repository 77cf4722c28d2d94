// Installation runs that succeed: files in place, the installation record, and the progress the
// engine's worker thread reports on the way.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "EngineRunFixture.h"

namespace install::engine::test {
namespace {

using testing::ElementsAre;

constexpr std::size_t kKiB = 1024;

// Both installing workflows unpack alike; the plain install fetches its archives first.
class EngineRunTest : public EngineRunFixture, public testing::WithParamInterface<WorkflowType> {
protected:
    EngineRunTest() {
        addProduct("VELORA",
                   {{"bin/velora", content(768 * kKiB, 1)}, {"share/velora/README.txt", "Velora\n"}});
        addProduct("FLOWMERE",
                   {{"bin/flowmere", content(512 * kKiB, 2)}, {"share/flowmere/README.txt", "Flow\n"}});
    }
    std::uint64_t unpackedBytes() const { return 1280 * kKiB + 7 + 5; }
};

TEST_P(EngineRunTest, InstallsEveryFileOfEachSelectedProductAndRecordsIt) {
    run({u"VELORA", u"FLOWMERE"}, GetParam());
    EXPECT_EQ(installed("bin/velora"), content(768 * kKiB, 1));
    EXPECT_EQ(installed("share/velora/README.txt"), "Velora\n");
    EXPECT_EQ(installed("bin/flowmere"), content(512 * kKiB, 2));
    EXPECT_THAT(filesInFolder(), ElementsAre("bin/flowmere", "bin/velora", InstallationManifest::kFileName,
                                             "share/flowmere/README.txt", "share/velora/README.txt"));

    const auto record = InstallationManifest::readFrom(folder());
    ASSERT_TRUE(record.has_value());
    ASSERT_EQ(record->getProducts().size(), 2u);
    EXPECT_EQ(record->getProducts()[0].baseCode, u"VELORA");
    EXPECT_EQ(record->getProducts()[0].name, u"Name of VELORA");
    EXPECT_EQ(record->getProducts()[0].productFamily, u"Velora");
    EXPECT_EQ(record->getProducts()[1].baseCode, u"FLOWMERE");
}

TEST_P(EngineRunTest, ProgressComesFromTheEnginesThreadAndEndsAtHundred) {
    const auto caller = std::this_thread::get_id();
    run({u"VELORA", u"FLOWMERE"}, GetParam());

    ASSERT_FALSE(installReports.empty());
    EXPECT_TRUE(
        std::none_of(reportThreads.begin(), reportThreads.end(), [&](auto id) { return id == caller; }));
    const InstallProgressData& last = installReports.back();
    EXPECT_EQ(last.percent, 100u);
    EXPECT_EQ(last.doneSize, unpackedBytes());
    EXPECT_EQ(last.totalSize, unpackedBytes());
    EXPECT_EQ(last.doneComponents, 2u);
    EXPECT_EQ(last.totalComponents, 2u);
    EXPECT_EQ(last.text, u"Name of FLOWMERE");

    std::uint64_t previousPercent = 0;
    std::uint64_t previousBytes = 0;
    bool sawIntermediate = false;
    for (const auto& report : installReports) {
        EXPECT_GE(report.percent, previousPercent);
        EXPECT_GE(report.doneSize, previousBytes);
        EXPECT_LE(report.doneSize, report.totalSize);
        previousPercent = report.percent;
        previousBytes = report.doneSize;
        if (report.percent > 0 && report.percent < 99) sawIntermediate = true;
    }
    EXPECT_TRUE(sawIntermediate);
    // One report per whole percent, plus the beginning and end of each product at most.
    EXPECT_LE(installReports.size(), 101u + 2 * 2);
    EXPECT_EQ(
        std::count_if(installReports.begin(), installReports.end(), [](auto& r) { return r.percent == 100; }),
        1);
}

TEST_P(EngineRunTest, OnlyTheInstallFromTheRepositoryFetches) {
    run({u"VELORA", u"FLOWMERE"}, GetParam());
    if (GetParam() == WorkflowType::InstallFromFolder) {
        EXPECT_TRUE(downloadReports.empty());
        return;
    }
    const auto archiveBytes = std::filesystem::file_size(packages() / "VELORA.enc") +
                              std::filesystem::file_size(packages() / "FLOWMERE.enc");
    ASSERT_FALSE(downloadReports.empty());
    EXPECT_EQ(downloadReports.back().percent, 100u);
    EXPECT_EQ(downloadReports.back().doneSize, archiveBytes);
    EXPECT_EQ(downloadReports.back().totalSize, archiveBytes);
    EXPECT_LE(downloadReports.size(), 101u + 2);
}

TEST_P(EngineRunTest, AnArchiveInTheInstallersArchivesFolderIsUsedInsteadOfTheRepositorys) {
    install::test::writeZip(archivesFolder() / "VELORA.enc", {{"bin/velora", "local build"}});
    checksums["VELORA"] = sha256Of(archivesFolder() / "VELORA.enc");
    run({u"VELORA"}, GetParam());
    EXPECT_EQ(installed("bin/velora"), "local build");
    EXPECT_TRUE(downloadReports.empty()) << "nothing to fetch";
}

TEST_P(EngineRunTest, ARepeatedProductIsInstalledOnce) {
    run({u"FLOWMERE", u"FLOWMERE"}, GetParam());
    EXPECT_THAT(recordedProducts(), ElementsAre(u"FLOWMERE"));
    EXPECT_EQ(installReports.back().totalComponents, 1u);
}

TEST_P(EngineRunTest, ALaterRunAddsToTheRecordAndTakesTheInstallersRelease) {
    run({u"FLOWMERE"}, GetParam());
    std::ofstream(installerFolder() / "VersionInfo.xml")
        << "<VersionInfo><Release>R2031a</Release><ReleaseStatus>Prerelease</ReleaseStatus>"
           "<UpdateLevel>3</UpdateLevel></VersionInfo>";
    run({u"VELORA"}, GetParam());
    const auto record = InstallationManifest::readFrom(folder());
    ASSERT_TRUE(record.has_value());
    EXPECT_THAT(recordedProducts(), ElementsAre(u"FLOWMERE", u"VELORA"));
    EXPECT_EQ(record->getReleaseFamily(), u"R2031a");
    EXPECT_EQ(record->getReleaseStatus(), u"Prerelease");
    EXPECT_EQ(record->getUpdateLevel(), 3);
}

TEST_P(EngineRunTest, AProductWithoutCatalogueChecksumIsInstalledUnchecked) {
    checksums["FLOWMERE"].clear();
    run({u"FLOWMERE"}, GetParam());
    EXPECT_EQ(installed("bin/flowmere"), content(512 * kKiB, 2));
}

INSTANTIATE_TEST_SUITE_P(InstallingWorkflows, EngineRunTest,
                         testing::Values(WorkflowType::Install, WorkflowType::InstallFromFolder),
                         [](const auto& info) {
                             return info.param == WorkflowType::Install ? "Install" : "InstallFromFolder";
                         });

}  // namespace
}  // namespace install::engine::test
