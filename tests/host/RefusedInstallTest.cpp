// Installations the installer refuses or cannot complete: what it reports, and what it leaves.
#include <random>

#include "FolderSnapshot.h"
#include "InstallerEndToEndTest.h"
#include "ZipArchiveWriter.h"

namespace velora::installer::test {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;

constexpr const char* kReleaseFamily = "Velora";
// Messages name the Windows platform code whatever the running platform.
constexpr const char* kPlatformCode = "w64pc";

// Text that deflates well, so that the archive is mostly one entry's compressed data.
std::string manualText(std::size_t bytes) {
    std::string text;
    std::mt19937 random(7);
    static const char* const words[] = {"velora ", "matrix ", "solver ", "option ", "folder\n", "install "};
    while (text.size() < bytes) text += words[random() % 6];
    text.resize(bytes);
    return text;
}

using RefusedInstallTest = InstallerEndToEndTest;

TEST_F(RefusedInstallTest, ReinstallIntoTheSameFolderFailsWithType14AndChangesNothing) {
    const auto arguments = silentInstall(samplePackages(), destination(), "VELORA,FLOWMERE");
    const InstallerOutcome first = runInstaller(arguments);
    ASSERT_EQ(first.exitStatus, 0) << first.transcript();
    const FolderSnapshot before = FolderSnapshot::take(destination());

    const InstallerOutcome again = runInstaller(arguments);

    EXPECT_NE(again.exitStatus, 0) << again.transcript();
    EXPECT_THAT(again.out, HasSubstr("Failure (result type 14): " + englishMessage("reinstallWarningTitle")));
    EXPECT_THAT(again.out, HasSubstr(englishMessage("reinstallWarningMsg", {kReleaseFamily, kPlatformCode})));
    EXPECT_THAT(diagnosticsErrorCodes(), Contains("820"));
    EXPECT_EQ(FolderSnapshot::take(destination()), before);
}

class ForbiddenCharacterTest : public InstallerEndToEndTest,
                               public ::testing::WithParamInterface<std::string> {};

TEST_P(ForbiddenCharacterTest, DestinationIsRefusedWithTheCharacterMessageAndRecord610) {
    const fs::path folder = root() / GetParam();

    const InstallerOutcome outcome = runInstaller(silentInstall(samplePackages(), folder, "VELORA"));

    EXPECT_EQ(outcome.exitStatus, 1) << outcome.transcript();
    EXPECT_THAT(outcome.out, HasSubstr("Failure (result type 3)"));
    EXPECT_TRUE(containsMessage(outcome.out, "folderInvalidCharacterWin")) << outcome.out;
    EXPECT_THAT(diagnosticsErrorCodes(), Contains("610"));
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_THAT(outcome.out, ::testing::Not(HasSubstr("progress")));
}

INSTANTIATE_TEST_SUITE_P(Folders, ForbiddenCharacterTest,
                         ::testing::Values("dest;x", "dest|x", "mail@home", "it's", "c++"));

TEST_F(RefusedInstallTest, ArchiveWithDamagedDataEndsInTheEngineFailureWithType13) {
    const fs::path packages = copyOfSamplePackages();
    const fs::path archive = packages / "VELORA.enc";
    fs::remove(archive);
    {
        ZipArchiveWriter writer(archive, ZipArchiveWriter::Compression::Deflate);
        writer.addFile("share/velora/manual.txt", manualText(1 << 20));
        writer.addFile("bin/velora", "#!/bin/sh\necho velora\n", 0755);
        writer.close();
    }
    // The zip directory at the end stays readable, so the archive is listed and only the
    // unpacking meets the damage.
    const auto size = fs::file_size(archive);
    scrambleBytes(archive, size / 4, size / 4);

    const InstallerOutcome outcome = runInstaller(silentInstall(packages, destination(), "VELORA"));

    EXPECT_EQ(outcome.exitStatus, 1) << outcome.transcript();
    EXPECT_THAT(outcome.out, HasSubstr("Failure (result type 13): " + englishMessage("ExtractErrorTitle")));
    EXPECT_THAT(outcome.out, HasSubstr(englishMessage("ExtractErrorMsg", {kReleaseFamily, kPlatformCode})));
    EXPECT_FALSE(fs::exists(destination() / "share" / "velora" / "manual.txt"));
    EXPECT_FALSE(fs::exists(destination() / "uninstall.sh"));
    EXPECT_FALSE(diagnosticsErrorCodes().empty());
}

TEST_F(RefusedInstallTest, ArchiveThatIsNotAZipStopsTheRunNamingTheArchive) {
    const fs::path packages = copyOfSamplePackages();
    const fs::path archive = packages / "VELORA.enc";
    const auto size = fs::file_size(archive);
    fs::resize_file(archive, size / 2);
    scrambleBytes(archive, 0, 64);

    const InstallerOutcome outcome = runInstaller(silentInstall(packages, destination(), "VELORA"));

    EXPECT_EQ(outcome.exitStatus, 1) << outcome.transcript();
    EXPECT_THAT(outcome.out, HasSubstr(archive.string()));
    EXPECT_TRUE(!fs::exists(destination()) || fs::is_empty(destination()));
}

}  // namespace
}  // namespace velora::installer::test
