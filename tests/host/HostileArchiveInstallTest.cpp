// Archives that must not install: links that together lead out, a tar with a zip appended, a
// tampered reinstall.
#include <random>

#include "InstallerEndToEndTest.h"

namespace velora::installer::test {
namespace {

using ::testing::HasSubstr;

using install::enczip::test::ArchiveFormat, install::enczip::test::writeArchive;

class HostileArchiveInstallTest : public InstallerEndToEndTest {
protected:
    HostileArchiveInstallTest() {
        fs::create_directories(root() / "outside");
        std::ofstream(root() / "outside" / "secret.txt") << "untouched";
    }
    // Installs, expecting a refusal that leaves destination and outside as they were.
    InstallerOutcome expectRefused(const fs::path& packages, const std::string& products,
                                   const std::string& reason = "Failure (result type 13)") {
        const bool existed = fs::exists(destination());
        const auto outside = snapshot(root() / "outside", true);
        const auto before = snapshot(destination(), true);

        const InstallerOutcome outcome = runInstaller(silentInstall(packages, destination(), products));

        EXPECT_EQ(outcome.exitStatus, 1) << outcome.transcript();
        EXPECT_THAT(outcome.out + readText(logFile()), HasSubstr(reason)) << outcome.transcript();
        EXPECT_EQ(snapshot(root() / "outside", true), outside);
        EXPECT_EQ(fs::exists(destination()), existed);
        EXPECT_EQ(snapshot(destination(), true), before);
        return outcome;
    }
};

TEST_F(HostileArchiveInstallTest, TwoArchivesWhoseLinksTogetherLeadOutAreRefused) {
    const fs::path packages = copyOfSamplePackages();
    // Each harmless alone, whichever is installed first: "esc" leads to the folder itself while
    // q is a folder, and outside once q is a link to the folder.
    writeArchive(packages / "VELORA.enc", {{"bin/velora", "v"}, {"esc", "->q/.."}});
    writeArchive(packages / "common" / "FLOWMERE.enc", {{"bin/flowmere", "f"}, {"q", "->."}});
    // The engine's own reason reaches the terminal, not only the log.
    EXPECT_THAT(expectRefused(packages, "VELORA,FLOWMERE").out, HasSubstr("Reason: esc\n"));
}

TEST_F(HostileArchiveInstallTest, ATarWithAZipAppendedIsRefused) {
    const fs::path packages = copyOfSamplePackages();
    writeArchive(root() / "part.tar", {{"bin/velora", "from the tar"}, {"out", "->../outside"}},
                 ArchiveFormat::Tar);
    std::ofstream polyglot(packages / "VELORA.enc", std::ios::binary | std::ios::trunc);
    polyglot << std::ifstream(root() / "part.tar", std::ios::binary).rdbuf()
             << std::ifstream(samplePackages() / "VELORA.enc", std::ios::binary).rdbuf();
    polyglot.close();
    // Already when the repository lists its products, before anything is unpacked.
    expectRefused(packages, "VELORA", "VELORA.enc: data before its first entry");
}

TEST_F(HostileArchiveInstallTest, AReinstallWithATamperedArchiveLeavesTheEarlierInstallationByteForByte) {
    const fs::path packages = copyOfSamplePackages();
    std::string manual;
    for (std::mt19937 random(7); manual.size() < (1u << 20);)
        manual += "velora solver option " + std::to_string(random() % 97);
    {
        ZipArchiveWriter writer(packages / "VELORA.enc", ZipArchiveWriter::Compression::Deflate);
        writer.addFile("share/velora/manual.txt", manual);
        writer.addFile("bin/velora", "#!/bin/sh\necho velora\n", 0755);
        writer.close();
    }
    ASSERT_EQ(runInstaller(silentInstall(packages, destination(), "VELORA")).exitStatus, 0);
    const auto size = fs::file_size(packages / "VELORA.enc");
    scrambleBytes(packages / "VELORA.enc", size / 4, size / 4);

    // The zip directory at the end stays readable: only the unpacking meets the damage.
    const InstallerOutcome outcome = expectRefused(packages, "VELORA,FLOWMERE");
    EXPECT_THAT(outcome.out + outcome.err, HasSubstr(englishMessage("ExtractErrorMsg", {"2025.1", "w64pc"})));
    EXPECT_THAT(diagnosticsErrorCodes(), ::testing::Contains("2160"));
    EXPECT_EQ(readText(destination() / "share/velora/manual.txt"), manual);
}

}  // namespace
}  // namespace velora::installer::test
