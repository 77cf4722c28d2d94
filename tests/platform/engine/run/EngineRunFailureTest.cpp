// Installation runs that stop: forged, missing and damaged archives, and the user's cancel.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "EngineRunFixture.h"
#include "install/engine/EngineExceptions.h"

namespace install::engine::test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

constexpr std::size_t kKiB = 1024;

// Small archives are unpacked before their check ends, large ones are stopped while unpacking;
// both must leave nothing of a forged archive behind.
struct ForgeryCase {
    WorkflowType type;
    std::size_t size;
    const char* name;
};

class ForgedArchiveTest : public EngineRunFixture, public testing::WithParamInterface<ForgeryCase> {};

TEST_P(ForgedArchiveTest, IsRejectedAndLeavesNothingOfItsContent) {
    addProduct("FLOWMERE", {{"bin/flowmere", "flow"}});
    addProduct("VELORA", {{"bin/velora", content(GetParam().size, 3)},
                          {"share/velora/doc/guide.txt", content(GetParam().size, 4)}});
    checksums["VELORA"] = std::string(64, 'a');
    try {
        run({u"FLOWMERE", u"VELORA"}, GetParam().type);
        FAIL() << "a forged archive was installed";
    } catch (const EngineInvalidSignatureException& error) {
        EXPECT_EQ(error.getErrorCode(), "2150");
        EXPECT_EQ(error.getPrimaryErrorMessage(), "VELORA.enc");
        EXPECT_EQ(error.getLocation(), "Engine::start");
    }
    EXPECT_THAT(filesInFolder(), ElementsAre("bin/flowmere", InstallationManifest::kFileName));
    EXPECT_FALSE(std::filesystem::exists(folder() / "share" / "velora"));
    EXPECT_THAT(recordedProducts(), ElementsAre(u"FLOWMERE"));
}

INSTANTIATE_TEST_SUITE_P(SizesAndWorkflows, ForgedArchiveTest,
                         testing::Values(ForgeryCase{WorkflowType::Install, 100, "FetchedSmall"},
                                         ForgeryCase{WorkflowType::Install, 2048 * kKiB, "FetchedLarge"},
                                         ForgeryCase{WorkflowType::InstallFromFolder, 100, "FromFolderSmall"},
                                         ForgeryCase{WorkflowType::InstallFromFolder, 2048 * kKiB,
                                                     "FromFolderLarge"}),
                         [](const auto& info) { return std::string(info.param.name); });

class EngineRunFailureTest : public EngineRunFixture, public testing::WithParamInterface<WorkflowType> {
protected:
    EngineRunFailureTest() {
        addProduct("FLOWMERE", {{"bin/flowmere", "flow"}});
        addProduct("VELORA", {{"bin/a.bin", content(256 * kKiB, 5)},
                              {"bin/b.bin", content(256 * kKiB, 6)},
                              {"bin/c.bin", content(256 * kKiB, 7)}});
    }
};

TEST_P(EngineRunFailureTest, AMissingArchiveStopsTheRunBeforeAnythingIsInstalled) {
    checksums["QUARRIX_TEST"] = "";
    try {
        run({u"FLOWMERE", u"QUARRIX_TEST"}, GetParam());
        FAIL() << "ran without an archive";
    } catch (const EngineMissingComponentException& error) {
        EXPECT_EQ(error.getErrorCode(), "2140");
        EXPECT_EQ(error.getPrimaryErrorMessage(), "QUARRIX_TEST.enc");
    }
    EXPECT_THAT(filesInFolder(), IsEmpty());
}

TEST_P(EngineRunFailureTest, AProductTheCatalogueDoesNotKnowIsMissing) {
    try {
        run({u"NOT_A_PRODUCT"}, GetParam());
        FAIL() << "installed an unknown product";
    } catch (const EngineMissingComponentException& error) {
        EXPECT_EQ(error.getErrorCode(), "2130");
    }
}

TEST_P(EngineRunFailureTest, ADamagedArchiveFailsToUnpack) {
    // Overwrite the middle of the first entry's compressed data: the listing still reads, the
    // data does not.
    const auto archive = packages() / "VELORA.enc";
    {
        std::fstream stream(archive, std::ios::in | std::ios::out | std::ios::binary);
        stream.seekp(static_cast<std::streamoff>(std::filesystem::file_size(archive) / 6));
        const std::string garbage(4096, '\x5a');
        stream.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    }
    checksums["VELORA"].clear();
    try {
        run({u"VELORA"}, GetParam());
        FAIL() << "a damaged archive was installed";
    } catch (const EngineExtractOrRegisterException& error) {
        EXPECT_EQ(error.getErrorCode(), "2160");
        EXPECT_EQ(error.getPrimaryErrorMessage(), "VELORA.enc");
    }
    EXPECT_THAT(recordedProducts(), IsEmpty());
}

TEST_P(EngineRunFailureTest, ADamagedArchiveWithAChecksumIsReportedAsForged) {
    const auto archive = packages() / "VELORA.enc";
    {
        std::fstream stream(archive, std::ios::in | std::ios::out | std::ios::binary);
        stream.seekp(static_cast<std::streamoff>(std::filesystem::file_size(archive) / 6));
        stream.write("\x01\x02\x03\x04", 4);
    }
    EXPECT_THROW(run({u"VELORA"}, GetParam()), EngineInvalidSignatureException);
    EXPECT_THAT(filesInFolder(), IsEmpty());
}

TEST_P(EngineRunFailureTest, TheUsersCancelStopsBetweenFilesAndKeepsCompletedOnes) {
    onInstallReport = [](const InstallProgressData& report) {
        if (report.text == u"Name of VELORA" && report.doneSize >= 256 * kKiB) cpputil::interrupt::set();
    };
    try {
        run({u"VELORA", u"FLOWMERE"}, GetParam());
        FAIL() << "the run ignored the cancel";
    } catch (const EngineInterruptedException& error) {
        EXPECT_EQ(error.getErrorCode(), "2180");
    }
    EXPECT_EQ(installed("bin/a.bin"), content(256 * kKiB, 5));
    EXPECT_FALSE(std::filesystem::exists(folder() / "bin" / "c.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder() / "bin" / "flowmere"));
    for (const auto& file : filesInFolder()) {
        EXPECT_TRUE(file == "bin/a.bin" || file == "bin/b.bin") << "left behind: " << file;
    }
    EXPECT_THAT(recordedProducts(), IsEmpty());
}

TEST_P(EngineRunFailureTest, ACancelBeforeTheRunInstallsNothing) {
    cpputil::interrupt::set();
    EXPECT_THROW(run({u"FLOWMERE"}, GetParam()), EngineInterruptedException);
    EXPECT_THAT(filesInFolder(), IsEmpty());
}

TEST_P(EngineRunFailureTest, AnUnreadableRepositoryFolderIsAnExtractionOrDownloadFailure) {
    std::ofstream(packages() / "QUARRIX_TEST.enc") << "not a zip archive";
    checksums["QUARRIX_TEST"] = "";
    if (GetParam() == WorkflowType::InstallFromFolder) {
        EXPECT_THROW(run({u"FLOWMERE"}, GetParam()), EngineExtractOrRegisterException);
    } else {
        EXPECT_THROW(run({u"FLOWMERE"}, GetParam()), EngineDownloadException);
    }
}

INSTANTIATE_TEST_SUITE_P(InstallingWorkflows, EngineRunFailureTest,
                         testing::Values(WorkflowType::Install, WorkflowType::InstallFromFolder),
                         [](const auto& info) {
                             return info.param == WorkflowType::Install ? "Install" : "InstallFromFolder";
                         });

TEST_F(EngineRunFixture, OtherWorkflowsAreNotInstallations) {
    addProduct("FLOWMERE", {{"bin/flowmere", "flow"}});
    try {
        run({u"FLOWMERE"}, WorkflowType::DownloadOnly);
        FAIL() << "a download-only run installed";
    } catch (const EngineException& error) {
        EXPECT_EQ(error.getErrorCode(), "2190");
    }
}

}  // namespace
}  // namespace install::engine::test
