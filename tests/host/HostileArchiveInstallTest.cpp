// Archives that must not install, and what an installation leaves for its uninstaller: links
// that together lead out, a tar with a zip appended, a tampered reinstall, the uninstall script.
#include <archive.h>
#include <archive_entry.h>

#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "FolderSnapshot.h"
#include "InstallerEndToEndTest.h"
#include "ZipArchiveWriter.h"

namespace velora::installer::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Entries of a hand-made archive: a target starting with "->" makes a symbolic link.
using Entries = std::vector<std::pair<std::string, std::string>>;

void writeArchive(const fs::path& file, const Entries& entries, bool tar = false) {
    const std::unique_ptr<archive, int (*)(archive*)> writer(archive_write_new(), archive_write_free);
    tar ? archive_write_set_format_pax_restricted(writer.get()) : archive_write_set_format_zip(writer.get());
    archive_write_open_filename(writer.get(), file.c_str());
    for (const auto& [name, content] : entries) {
        const std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(),
                                                                             archive_entry_free);
        archive_entry_set_pathname(entry.get(), name.c_str());
        archive_entry_set_perm(entry.get(), 0755);
        const bool link = content.starts_with("->");
        archive_entry_set_filetype(entry.get(), link ? AE_IFLNK : name.ends_with('/') ? AE_IFDIR : AE_IFREG);
        if (link) archive_entry_set_symlink(entry.get(), content.substr(2).c_str());
        if (!link) archive_entry_set_size(entry.get(), static_cast<la_int64_t>(content.size()));
        archive_write_header(writer.get(), entry.get());
        if (!link) archive_write_data(writer.get(), content.data(), content.size());
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK)
        throw std::runtime_error(archive_error_string(writer.get()));
}

std::string contentOf(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::stringstream content;
    content << stream.rdbuf();
    return content.str();
}

class HostileArchiveInstallTest : public InstallerEndToEndTest {
protected:
    HostileArchiveInstallTest() {
        fs::create_directories(root() / "outside");
        std::ofstream(root() / "outside" / "secret.txt") << "untouched";
    }
    // Installs, expecting a refusal that leaves destination and outside as they were.
    void expectRefused(const fs::path& packages, const std::string& products) {
        const bool existed = fs::exists(destination());
        const FolderSnapshot outside = FolderSnapshot::take(root() / "outside");
        const std::optional<FolderSnapshot> before =
            existed ? std::optional(FolderSnapshot::take(destination())) : std::nullopt;
        const std::string record = contentOf(destination() / "installed_products.json");

        const InstallerOutcome outcome = runInstaller(silentInstall(packages, destination(), products));

        EXPECT_EQ(outcome.exitStatus, 1) << outcome.transcript();
        EXPECT_THAT(outcome.out, HasSubstr("Failure (result type 13)"));
        EXPECT_EQ(FolderSnapshot::take(root() / "outside"), outside);
        EXPECT_EQ(fs::exists(destination()), existed);
        if (before) {
            EXPECT_EQ(FolderSnapshot::take(destination()), *before);
        }
        EXPECT_EQ(contentOf(destination() / "installed_products.json"), record);
    }
};

TEST_F(HostileArchiveInstallTest, TwoArchivesWhoseLinksTogetherLeadOutAreRefused) {
    const fs::path packages = copyOfSamplePackages();
    // Each harmless alone, whichever is installed first: "esc" leads to the folder itself while
    // q is a folder, and outside once q is a link to the folder.
    writeArchive(packages / "VELORA.enc", {{"bin/velora", "v"}, {"esc", "->q/.."}});
    writeArchive(packages / "common" / "FLOWMERE.enc", {{"bin/flowmere", "f"}, {"q", "->."}});
    expectRefused(packages, "VELORA,FLOWMERE");
}

TEST_F(HostileArchiveInstallTest, ATarWithAZipAppendedIsRefused) {
    const fs::path packages = copyOfSamplePackages();
    writeArchive(root() / "part.tar", {{"bin/velora", "from the tar"}, {"out", "->../outside"}}, true);
    std::ofstream polyglot(packages / "VELORA.enc", std::ios::binary | std::ios::trunc);
    polyglot << std::ifstream(root() / "part.tar", std::ios::binary).rdbuf()
             << std::ifstream(samplePackages() / "VELORA.enc", std::ios::binary).rdbuf();
    polyglot.close();
    expectRefused(packages, "VELORA");
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

    expectRefused(packages, "VELORA,FLOWMERE");
    EXPECT_EQ(contentOf(destination() / "share/velora/manual.txt"), manual);
    EXPECT_THAT(recordedBaseCodes(destination()), ::testing::ElementsAre("VELORA"));
}

TEST_F(HostileArchiveInstallTest, TheUninstallScriptRemovesExactlyWhatTheRecordListsAndTheFoldersItEmptied) {
    ASSERT_EQ(runInstaller(silentInstall(samplePackages(), destination(), "VELORA,FLOWMERE")).exitStatus, 0);
    std::ofstream(destination() / "share/velora/notes.txt") << "mine";
    fs::create_directories(destination() / "mine");
    fs::create_symlink("../outside", destination() / "mine" / "out");

    InstallerProcess uninstall("/bin/sh", {(destination() / "uninstall.sh").string(), "--yes"}, {});
    const InstallerOutcome outcome = uninstall.wait(kRunLimit);

    EXPECT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    std::vector<std::string> left;
    const FolderSnapshot after = FolderSnapshot::take(destination());
    for (const auto& [path, state] : after.entries()) left.push_back(path);
    EXPECT_THAT(
        left, ::testing::ElementsAre("mine", "mine/out", "share", "share/velora", "share/velora/notes.txt"));
    EXPECT_EQ(contentOf(root() / "outside" / "secret.txt"), "untouched");
}

}  // namespace
}  // namespace velora::installer::test
