// Unpacking zip archives: what lands where, with which modes and times, what is reported, and
// the user's cancel. Archives that must not be unpacked, whole or in part: not a zip from first
// to last byte, entries landing or leading outside the destination, pipes and devices.
#include <gmock/gmock.h>

#include "TestArchive.h"
#include "install/enczip/Extract.h"
#include "install/enczip/ExtractErrors.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre, ::testing::HasSubstr;

namespace install::enczip::test {
namespace {

class ExtractTest : public ::testing::Test {
protected:
    std::vector<PlacedEntry> extractEntries(const std::vector<TestEntry>& entries,
                                            const ExtractOptions& options = {}) {
        writeArchive(archive, entries);
        return extract(archive.string(), box.destination().string(), options);
    }
    bool holdsWorkFiles() const {
        for (const auto& [name, content] : snapshot(box.destination()))
            if (name.find(".enczip-") != std::string::npos) return true;
        return false;
    }

    Sandbox box;
    fs::path archive = box.root() / "product.enc";
};

// A folder of its own (a staging folder) gets files under their names at once; the outcome must
// be the same, an entry that comes twice included.
class LayoutTest : public ExtractTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LayoutTest, LaysOutEveryEntryAndAnswersWhatItPlacedThroughNoLink) {
    ExtractOptions options;
    options.privateDestination = GetParam();
    const auto placed = extractEntries({{"bin/", ""},
                                        {"bin/tool", "code", 0755},
                                        {"share/doc/readme.txt", "hello"},
                                        {"empty.txt", ""},
                                        {"lib/libtool.so", "->../bin/tool"},
                                        {"current", "->share"},
                                        {"current/added.txt", "hello"},
                                        {"bin/tool", "code v2", 0755}},
                                       options);

    EXPECT_EQ(snapshot(box.destination()),
              (std::map<std::string, std::string>{{"bin", "<dir>"},
                                                  {"bin/tool", "code v2"},
                                                  {"current", "-> share"},
                                                  {"empty.txt", ""},
                                                  {"lib", "<dir>"},
                                                  {"lib/libtool.so", "-> ../bin/tool"},
                                                  {"share", "<dir>"},
                                                  {"share/added.txt", "hello"},
                                                  {"share/doc", "<dir>"},
                                                  {"share/doc/readme.txt", "hello"}}));
    std::vector<std::string> lines;
    for (const PlacedEntry& entry : placed) {
        const char* kinds[] = {"d ", "f ", "l "};
        lines.push_back(kinds[static_cast<int>(entry.kind)] + entry.path + " " + std::to_string(entry.size) +
                        " " + entry.sha256.substr(0, 8) + entry.linkTarget);
    }
    EXPECT_THAT(lines, ElementsAre("d bin 0 ", "f bin/tool 7 a17c35b1", "d share 0 ", "d share/doc 0 ",
                                   "f share/doc/readme.txt 5 2cf24dba", "f empty.txt 0 e3b0c442", "d lib 0 ",
                                   "l lib/libtool.so 0 ../bin/tool", "l current 0 share",
                                   "f share/added.txt 5 2cf24dba"));
    EXPECT_FALSE(holdsWorkFiles());
    EXPECT_EQ(unpackedSize(archive.string()), 4u + 5 + 0 + 5 + 7 + std::string("../bin/toolshare").size())
        << "links count with their targets";
}

INSTANTIATE_TEST_SUITE_P(Destinations, LayoutTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "PrivateFolder" : "SharedFolder"; });

// One stored entry whose sizes stand in its zip64 extra field, as for a file of 4 GiB or more;
// the table of contents is all unpackedSize reads.
TEST_F(ExtractTest, AnEntrysSizeInItsZip64FieldCounts) {
    const auto little = [](std::uint64_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
        return out;
    };
    const std::string name = "big.bin";
    const std::string content = "hello";
    const std::string zip64Sizes = little(1, 2) + little(16, 2) + little(5'000'000'000, 8) + little(5, 8);
    const std::string sizes = little(0x3610a686, 4) + little(0xffffffff, 4) + little(0xffffffff, 4) +
                              little(name.size(), 2) + little(zip64Sizes.size(), 2);
    const std::string local = little(0x04034b50, 4) + little(45, 2) + little(0, 4) + little(0, 2) +
                              little(0x21, 2) + sizes + name + zip64Sizes + content;
    const std::string central = little(0x02014b50, 4) + little(0x031e, 2) + little(45, 2) + little(0, 4) +
                                little(0, 2) + little(0x21, 2) + sizes + little(0, 6) +
                                little(0100644u << 16, 4) + little(0, 4) + name + zip64Sizes;
    writeText(archive, local + central + little(0x06054b50, 4) + little(0, 4) + little(1, 2) + little(1, 2) +
                           little(central.size(), 4) + little(local.size(), 4) + little(0, 2));

    EXPECT_EQ(unpackedSize(archive.string()), 5'000'000'000u);
}

TEST_F(ExtractTest, ModesLoseTheWriteBitsOfGroupAndOthersAndTimesAreKept) {
    const std::pair<TestEntry, mode_t> rows[] = {
        {{"run.sh", "x", 0755}, 0755},      {{"open.sh", "x", 0777}, 0755}, {{"shared.txt", "x", 0666}, 0644},
        {{"private.key", "x", 0600}, 0600}, {{"setuid", "x", 04775}, 0755}, {{"open/", "", 0777}, 0755},
        {{"locked/", "", 0700}, 0700},      {{"readonly/", "", 0555}, 0555}};
    std::vector<TestEntry> entries{{"readonly/inside.txt", "still written"}};
    for (const auto& [entry, installed] : rows) entries.push_back(entry);
    extractEntries(entries);

    for (const auto& [entry, installed] : rows) {
        SCOPED_TRACE(entry.name);
        struct stat status {};
        ::lstat((box.destination() / entry.name).c_str(), &status);
        EXPECT_EQ(status.st_mode & 07777, installed);
        EXPECT_EQ(status.st_mtim.tv_sec, 1'600'000'000);
    }
    EXPECT_EQ(readText(box.destination() / "readonly/inside.txt"), "still written");
}

TEST_F(ExtractTest, ReplacesExistingFilesAndLinksWithoutWritingThroughThem) {
    fs::create_directories(box.destination());
    writeText(box.destination() / "config.txt", "old");
    fs::create_symlink("../outside/secret.txt", box.destination() / "data.txt");

    extractEntries({{"config.txt", "new"}, {"data.txt", "new data"}});

    EXPECT_EQ(readText(box.destination() / "config.txt"), "new");
    EXPECT_EQ(readText(box.destination() / "data.txt"), "new data");
    EXPECT_EQ(readText(box.outside() / "secret.txt"), "untouched");
}

TEST_F(ExtractTest, LargeFilesArriveIntactWithAReportAtLeastEveryMiB) {
    const std::string big = std::string(5 * 1024 * 1024 + 17, 'b');
    std::vector<std::pair<std::string, std::uint64_t>> completed;
    std::uint64_t lastTotal = 0;
    std::uint64_t largestStep = 0;
    ExtractOptions options;
    options.onProgress = [&](const ProgressInfo& info) {
        largestStep = std::max(largestStep, info.totalBytesWritten - lastTotal);
        lastTotal = info.totalBytesWritten;
        if (info.entryComplete) completed.emplace_back(info.entryName, info.entryBytesWritten);
        return true;
    };

    extractEntries({{"a.txt", "12345"}, {"d/", ""}, {"d/big.bin", big}}, options);

    EXPECT_EQ(readText(box.destination() / "d/big.bin"), big);
    EXPECT_THAT(completed, ElementsAre(std::pair<std::string, std::uint64_t>("a.txt", 5),
                                       std::pair<std::string, std::uint64_t>("d/", 0),
                                       std::pair<std::string, std::uint64_t>("d/big.bin", big.size())));
    EXPECT_LE(largestStep, 1024u * 1024u);
    EXPECT_EQ(lastTotal, 5u + big.size());
    EXPECT_FALSE(holdsWorkFiles());
}

TEST_F(ExtractTest, InterruptionWithinAFileLeavesTheEarlierVersionUnderItsName) {
    fs::create_directories(box.destination());
    writeText(box.destination() / "big.bin", "previous version");
    ExtractOptions options;
    options.onProgress = [](const ProgressInfo& info) {
        return info.entryName != "big.bin" || info.entryBytesWritten == 0;
    };

    EXPECT_THROW(extractEntries({{"first.txt", "done"}, {"big.bin", std::string(4 << 20, 'b')}}, options),
                 ExtractionInterruptedError);

    EXPECT_EQ(readText(box.destination() / "first.txt"), "done");
    EXPECT_EQ(readText(box.destination() / "big.bin"), "previous version");
    EXPECT_FALSE(holdsWorkFiles());
}

TEST_F(ExtractTest, InterruptionInAPrivateFolderLeavesNothingHalfWrittenUnderTheName) {
    ExtractOptions options;
    options.privateDestination = true;
    options.onProgress = [](const ProgressInfo& info) {
        return info.entryName != "big.bin" || info.entryBytesWritten < (1u << 20);
    };

    EXPECT_THROW(extractEntries({{"first.txt", "done"}, {"big.bin", std::string(4 << 20, 'b')}}, options),
                 ExtractionInterruptedError);

    EXPECT_EQ(snapshot(box.destination()), (std::map<std::string, std::string>{{"first.txt", "done"}}));
}

TEST_F(ExtractTest, EncryptedEntriesNeedThePassphrase) {
    writeArchive(archive, {{"secret/payload.txt", "protected content"}}, ArchiveFormat::Zip, "s3cret");
    EXPECT_THROW(extract(archive.string(), box.destination().string()), std::runtime_error);
    EXPECT_FALSE(holdsWorkFiles());
    ExtractOptions options;
    options.passphrase = "s3cret";
    extract(archive.string(), box.destination().string(), options);
    EXPECT_EQ(readText(box.destination() / "secret/payload.txt"), "protected content");
}

// --- archives that are refused ---

struct RefusedCase {
    std::string name;
    // What the file is made of, in order: "zip" (of the entries), "tar", "half" (a zip of the
    // entries cut in two), "junk"; nothing for a missing file.
    std::vector<std::string> parts;
    std::vector<TestEntry> entries;
    std::string refused;  // the entry named, or for a file that is not one zip the reason given
    bool destinationHoldsLinkOut = false;
};

void PrintTo(const RefusedCase& refused, std::ostream* out) { *out << refused.name; }

// clang-format off
std::vector<RefusedCase> refusedCases() {
    const std::vector<TestEntry> tool{{"bin/tool", "from the zip"}};
    return {
        {"MissingArchive", {}, {}, ""},
        {"Junk", {"junk"}, {}, "no end record"},
        {"TruncatedZip", {"half"}, {{"whole.txt", "fine"}, {"more.txt", std::string(100000, 'm')}}, "no end record"},
        {"TarWithAZipAppended", {"tar", "zip"}, tool, "data before its first entry"},
        {"ZipWithATarAppended", {"zip", "tar"}, tool, "no end record"},
        {"ParentReference", {"zip"}, {{"../outside/pwned.txt", "x"}}, "../outside/pwned.txt"},
        {"ParentReferenceAfterFolder", {"zip"}, {{"ok.txt", "fine"}, {"sub/../../outside/p", "x"}}, "sub/../../outside/p"},
        {"AbsolutePath", {"zip"}, {{"/tmp/abs.txt", "x"}}, "/tmp/abs.txt"},
        {"SymlinkOutThenWriteThrough", {"zip"}, {{"link", "->../outside"}, {"link/pwned.txt", "x"}}, "link"},
        // "l" and "m" look harmless while "s" does not exist; once "s" is the destination itself,
        // "s/.." is the folder above it. Both are named.
        {"SymlinksEscapingThroughALaterLink", {"zip"}, {{"l", "->s/.."}, {"m", "->s/../x"}, {"s", "->."}}, "l, m"},
        {"WriteThroughExistingLinkOut", {"zip"}, {{"pre/pwned.txt", "x"}}, "pre/pwned.txt", true},
        {"FolderThroughExistingLinkOut", {"zip"}, {{"pre/sub/", ""}}, "pre/sub/", true},
        {"NamedPipe", {"zip"}, {{"ok.txt", "x"}, {"pipe", "", S_IFIFO | 0644}}, "pipe"},
        {"Device", {"zip"}, {{"dev", "", S_IFCHR | 0644}}, "dev"},
    };
}
// clang-format on

class RefusedArchiveTest : public ::testing::TestWithParam<RefusedCase> {
protected:
    // Everything in the sandbox but the destination and the archives.
    std::map<std::string, std::string> outside() const {
        auto all = snapshot(box.root());
        std::erase_if(all, [](const auto& item) {
            return item.first.starts_with("dest") || item.first.starts_with("a.");
        });
        return all;
    }
    void write(const RefusedCase& refused) const {
        if (refused.parts.empty()) return;
        writeArchive(box.root() / "a.zip", refused.entries);
        writeArchive(box.root() / "a.tar", {{"bin/tool", "from the tar"}, {"link", "->../outside"}},
                     ArchiveFormat::Tar);
        std::ofstream out(archive, std::ios::binary);
        for (const std::string& part : refused.parts) {
            if (part == "junk") out << std::string(4096, 'z');
            const std::string bytes = readText(box.root() / (part == "tar" ? "a.tar" : "a.zip"));
            if (part != "junk") out << (part == "half" ? bytes.substr(0, bytes.size() / 2) : bytes);
        }
    }

    Sandbox box;
    fs::path archive = box.root() / "a.enc";
};

TEST_P(RefusedArchiveTest, IsRefusedAndNothingOutsideTheDestinationChanges) {
    const RefusedCase& param = GetParam();
    if (param.destinationHoldsLinkOut) {
        fs::create_directories(box.destination());
        fs::create_directory_symlink("../outside", box.destination() / "pre");
    }
    write(param);
    const auto before = outside();

    try {
        extract(archive.string(), box.destination().string());
        FAIL() << "the archive was extracted";
    } catch (const UnsafeArchiveEntryError& error) {
        EXPECT_EQ(error.entryName(), param.refused.substr(0, param.refused.find(',')));
        EXPECT_THAT(error.what(), HasSubstr(param.refused));
    } catch (const fs::filesystem_error& error) {
        EXPECT_TRUE(param.parts.empty()) << error.what();
    } catch (const std::runtime_error& error) {
        EXPECT_NE(param.parts, std::vector<std::string>{"zip"}) << error.what();
        EXPECT_THAT(error.what(), HasSubstr(archive.string() + ": " + param.refused));
    }

    EXPECT_EQ(outside(), before);
    // A file that is no zip, or holds a pipe or device, is refused before anything is made.
    if (param.parts != std::vector<std::string>{"zip"} || param.entries.back().mode > 07777) {
        EXPECT_FALSE(fs::exists(box.destination()));
    }
    for (const auto& [name, content] : snapshot(box.destination()))
        EXPECT_THAT(name, ::testing::Not(HasSubstr(".enczip-"))) << "work file left behind";
}

INSTANTIATE_TEST_SUITE_P(Archives, RefusedArchiveTest, ::testing::ValuesIn(refusedCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace install::enczip::test
