#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "Sandbox.h"
#include "install/enczip/Extract.h"
#include "install/enczip/ExtractErrors.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::Pair;

namespace install::enczip::test {
namespace {

std::string pseudoRandomBytes(std::size_t size) {
    std::mt19937 generator(42);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator());
    return bytes;
}

mode_t permissionsOf(const fs::path& path) {
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status.st_mode & 07777;
}

bool holdsWorkFiles(const fs::path& folder) {
    for (const auto& [name, content] : Sandbox::snapshot(folder)) {
        if (name.find(".enczip-") != std::string::npos) return true;
    }
    return false;
}

class ExtractTest : public ::testing::TestWithParam<ArchiveFormat> {
protected:
    fs::path write(const ArchiveBuilder& builder) {
        const fs::path archive = box.archive("product.archive");
        builder.write(archive, GetParam());
        return archive;
    }
    void extractInto(const fs::path& archive, const ExtractOptions& options = {}) {
        extract(archive.string(), box.destination().string(), options);
    }

    Sandbox box;
};

TEST_P(ExtractTest, LaysOutFilesNestedFoldersAndEmptyFolders) {
    extractInto(write(ArchiveBuilder()
                          .folder("bin/")
                          .file("bin/tool", "#!/bin/sh\n", 0755)
                          .file("share/doc/readme.txt", "read me")
                          .file("empty.txt", "")
                          .folder("logs/")
                          .folder("cache/a/b/")));

    EXPECT_EQ(Sandbox::snapshot(box.destination()), (std::map<std::string, std::string>{
                                                        {"bin", "<dir>"},
                                                        {"bin/tool", "#!/bin/sh\n"},
                                                        {"cache", "<dir>"},
                                                        {"cache/a", "<dir>"},
                                                        {"cache/a/b", "<dir>"},
                                                        {"empty.txt", ""},
                                                        {"logs", "<dir>"},
                                                        {"share", "<dir>"},
                                                        {"share/doc", "<dir>"},
                                                        {"share/doc/readme.txt", "read me"},
                                                    }));
}

TEST_P(ExtractTest, AppliesThePermissionsOfFilesAndFolders) {
    extractInto(write(ArchiveBuilder()
                          .file("run.sh", "echo", 0755)
                          .file("private.key", "k", 0600)
                          .file("shared.txt", "s", 0664)
                          .folder("locked/", 0700)
                          .folder("readonly/", 0555)
                          .file("readonly/inside.txt", "still written", 0444)));

    EXPECT_EQ(permissionsOf(box.destination() / "run.sh"), 0755u);
    EXPECT_EQ(permissionsOf(box.destination() / "private.key"), 0600u);
    EXPECT_EQ(permissionsOf(box.destination() / "shared.txt"), 0664u);
    EXPECT_EQ(permissionsOf(box.destination() / "locked"), 0700u);
    EXPECT_EQ(permissionsOf(box.destination() / "readonly"), 0555u);
    EXPECT_EQ(Sandbox::readText(box.destination() / "readonly/inside.txt"), "still written");
}

TEST_P(ExtractTest, KeepsModificationTimes) {
    extractInto(write(ArchiveBuilder()
                          .folder("old/")
                          .file("old/file.txt", "x")
                          .modified("old/", 1'000'000'000)
                          .modified("old/file.txt", 1'200'000'000)));

    struct stat file {};
    struct stat folder {};
    ::stat((box.destination() / "old/file.txt").c_str(), &file);
    ::stat((box.destination() / "old").c_str(), &folder);
    EXPECT_EQ(file.st_mtim.tv_sec, 1'200'000'000);
    EXPECT_EQ(folder.st_mtim.tv_sec, 1'000'000'000);
}

TEST_P(ExtractTest, SymbolicLinksInsideTheDestinationWork) {
    extractInto(write(ArchiveBuilder()
                          .file("lib/libcore.so.1.2", "code")
                          .symlink("lib/libcore.so.1", "libcore.so.1.2")
                          .symlink("lib/libcore.so", "../lib/libcore.so.1")
                          .symlink("current", "lib")
                          .file("current/added.txt", "through an inside link")));

    EXPECT_EQ(fs::read_symlink(box.destination() / "lib/libcore.so.1"), "libcore.so.1.2");
    EXPECT_EQ(Sandbox::readText(box.destination() / "lib/libcore.so"), "code");
    EXPECT_EQ(Sandbox::readText(box.destination() / "lib/added.txt"), "through an inside link");
}

TEST_P(ExtractTest, OverwritesExistingFilesAndCreatesAMissingDestination) {
    fs::create_directories(box.destination());
    Sandbox::writeText(box.destination() / "config.txt", "old");
    extractInto(write(ArchiveBuilder().file("config.txt", "new")));
    EXPECT_EQ(Sandbox::readText(box.destination() / "config.txt"), "new");

    const fs::path nested = box.root() / "not/yet/there";
    extract(box.archive("product.archive").string(), nested.string());
    EXPECT_EQ(Sandbox::readText(nested / "config.txt"), "new");
}

TEST_P(ExtractTest, LargeFilesSpanningManyBlocksArriveIntact) {
    const std::string big = pseudoRandomBytes(5 * 1024 * 1024 + 17);
    extractInto(write(ArchiveBuilder().file("data/big.bin", big).file("after.txt", "tail")));

    EXPECT_EQ(Sandbox::readText(box.destination() / "data/big.bin"), big);
    EXPECT_EQ(Sandbox::readText(box.destination() / "after.txt"), "tail");
    EXPECT_FALSE(holdsWorkFiles(box.destination()));
}

TEST_P(ExtractTest, ReportsProgressForEveryEntry) {
    const std::string big = pseudoRandomBytes(3 * 1024 * 1024);
    const fs::path archive =
        write(ArchiveBuilder().file("a.txt", "12345").folder("d/").file("d/big.bin", big));
    std::vector<std::pair<std::string, std::uint64_t>> completed;
    std::uint64_t lastTotal = 0;
    bool totalsIncrease = true;
    ExtractOptions options;
    options.onProgress = [&](const ProgressInfo& info) {
        totalsIncrease = totalsIncrease && info.totalBytesWritten >= lastTotal;
        lastTotal = info.totalBytesWritten;
        if (info.entryComplete) {
            EXPECT_EQ(info.entriesCompleted, completed.size());
            completed.emplace_back(info.entryName, info.entryBytesWritten);
        }
        return true;
    };

    extractInto(archive, options);

    EXPECT_THAT(completed, ElementsAre(Pair("a.txt", 5u), Pair("d/", 0u), Pair("d/big.bin", big.size())));
    EXPECT_TRUE(totalsIncrease);
    EXPECT_EQ(lastTotal, 5u + big.size());
}

TEST_P(ExtractTest, InterruptionLeavesNoHalfWrittenFileUnderItsFinalName) {
    fs::create_directories(box.destination());
    Sandbox::writeText(box.destination() / "big.bin", "previous version");
    const fs::path archive =
        write(ArchiveBuilder().file("first.txt", "done").file("big.bin", pseudoRandomBytes(4 * 1024 * 1024)));
    ExtractOptions options;
    options.onProgress = [](const ProgressInfo& info) {
        return !(info.entryName == "big.bin" && info.entryBytesWritten > 0 && !info.entryComplete);
    };

    try {
        extractInto(archive, options);
        FAIL() << "the hook's answer was ignored";
    } catch (const ExtractionInterruptedError& error) {
        EXPECT_EQ(error.entryName(), "big.bin");
    }

    EXPECT_EQ(Sandbox::readText(box.destination() / "first.txt"), "done");
    EXPECT_EQ(Sandbox::readText(box.destination() / "big.bin"), "previous version");
    EXPECT_FALSE(holdsWorkFiles(box.destination()));
}

std::string formatName(const ::testing::TestParamInfo<ArchiveFormat>& info) {
    static const char* const names[] = {"Zip", "Tar", "TarGz"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Formats, ExtractTest,
                         ::testing::Values(ArchiveFormat::Zip, ArchiveFormat::Tar, ArchiveFormat::TarGz),
                         formatName);

TEST(ExtractTarTest, HardLinksShareTheirTarget) {
    Sandbox box;
    const fs::path archive = box.archive("a.tar");
    ArchiveBuilder()
        .file("bin/tool", "binary", 0755)
        .hardlink("bin/tool-alias", "bin/tool")
        .write(archive, ArchiveFormat::Tar);

    extract(archive.string(), box.destination().string());

    EXPECT_TRUE(fs::equivalent(box.destination() / "bin/tool", box.destination() / "bin/tool-alias"));
    EXPECT_EQ(fs::hard_link_count(box.destination() / "bin/tool"), 2u);
}

TEST(ExtractZipTest, EncryptedEntriesNeedThePassphrase) {
    Sandbox box;
    const fs::path archive = box.archive("product.enc");
    ArchiveBuilder()
        .file("secret/payload.txt", "protected content")
        .write(archive, ArchiveFormat::Zip, "s3cret");

    EXPECT_THROW(extract(archive.string(), (box.root() / "without").string()), std::runtime_error);

    ExtractOptions options;
    options.passphrase = "s3cret";
    extract(archive.string(), box.destination().string(), options);
    EXPECT_EQ(Sandbox::readText(box.destination() / "secret/payload.txt"), "protected content");
    EXPECT_FALSE(holdsWorkFiles(box.root() / "without"));
}

TEST(ExtractFailureTest, AMissingArchiveIsAFileSystemErrorAndCreatesNothing) {
    Sandbox box;
    EXPECT_THROW(extract((box.root() / "missing.zip").string(), box.destination().string()),
                 std::filesystem::filesystem_error);
    EXPECT_FALSE(fs::exists(box.destination()));
}

TEST(ExtractFailureTest, ADamagedArchiveIsAnArchiveError) {
    Sandbox box;
    Sandbox::writeText(box.archive("junk.zip"), std::string(4096, 'z'));
    try {
        extract(box.archive("junk.zip").string(), box.destination().string());
        FAIL() << "junk was accepted";
    } catch (const std::filesystem::filesystem_error&) {
        FAIL() << "reported as a file-system error";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), ::testing::HasSubstr("junk.zip"));
    }
}

TEST(ExtractFailureTest, ATruncatedArchiveFailsWithoutLeavingThePartialFile) {
    Sandbox box;
    const fs::path archive = box.archive("cut.tar");
    ArchiveBuilder()
        .file("whole.txt", "fine")
        .file("big.bin", pseudoRandomBytes(2 * 1024 * 1024))
        .write(archive, ArchiveFormat::Tar);
    fs::resize_file(archive, fs::file_size(archive) / 2);

    EXPECT_THROW(extract(archive.string(), box.destination().string()), std::runtime_error);
    EXPECT_EQ(Sandbox::readText(box.destination() / "whole.txt"), "fine");
    EXPECT_FALSE(fs::exists(box.destination() / "big.bin"));
    EXPECT_FALSE(holdsWorkFiles(box.destination()));
}

}  // namespace
}  // namespace install::enczip::test
