// Archives that must not be unpacked, whole or in part: not a zip from first to last byte,
// entries landing or leading outside the destination, pipes and devices.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TestArchive.h"
#include "install/enczip/Extract.h"
#include "install/enczip/ExtractErrors.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace install::enczip::test {
namespace {

// How the archive file is made of the entries: one zip, or parts joined.
enum class Layout { Zip, Missing, Junk, HalfAZip, Tar, TarThenZip, ZipThenTar };

struct RefusedCase {
    std::string name;
    Layout layout;
    std::vector<TestEntry> entries;
    std::string refused;  // the entry named, or for a file that is not one zip the reason given
    bool destinationHoldsLinkOut = false;
};

void PrintTo(const RefusedCase& refused, std::ostream* out) { *out << refused.name; }

const std::vector<TestEntry> kTarEntries{{"bin/tool", "from the tar"}, {"link", "->../outside"}};

std::vector<RefusedCase> refusedCases() {
    return {
        {"MissingArchive", Layout::Missing, {}, ""},
        {"Junk", Layout::Junk, {}, "no end record"},
        {"TruncatedZip",
         Layout::HalfAZip,
         {{"whole.txt", "fine"}, {"more.txt", std::string(100000, 'm')}},
         "no end record"},
        {"Tar", Layout::Tar, kTarEntries, "no end record"},
        {"TarWithAZipAppended",
         Layout::TarThenZip,
         {{"bin/tool", "from the zip"}},
         "data before its first entry"},
        {"ZipWithATarAppended", Layout::ZipThenTar, {{"bin/tool", "from the zip"}}, "no end record"},
        {"ParentReference", Layout::Zip, {{"../outside/pwned.txt", "x"}}, "../outside/pwned.txt"},
        {"ParentReferenceAfterFolder",
         Layout::Zip,
         {{"ok.txt", "fine"}, {"sub/../../outside/p", "x"}},
         "sub/../../outside/p"},
        {"ParentReferenceFolder", Layout::Zip, {{"../outside/newdir/", ""}}, "../outside/newdir/"},
        {"AbsolutePath", Layout::Zip, {{"/tmp/abs.txt", "x"}}, "/tmp/abs.txt"},
        {"SymlinkOutThenWriteThrough",
         Layout::Zip,
         {{"link", "->../outside"}, {"link/pwned.txt", "x"}},
         "link"},
        {"SymlinkToAbsolutePath", Layout::Zip, {{"link", "->/tmp"}}, "link"},
        {"SymlinkDeepInsideClimbingOut",
         Layout::Zip,
         {{"a/b/", ""}, {"a/b/up", "->../../../outside/x"}},
         "a/b/up"},
        // "l" and "m" look harmless while "s" does not exist; once "s" is the destination itself,
        // "s/.." is the folder above it. Both are named.
        {"SymlinksEscapingThroughALaterLink",
         Layout::Zip,
         {{"l", "->s/.."}, {"m", "->s/../x"}, {"s", "->."}},
         "l, m"},
        {"WriteThroughExistingLinkOut", Layout::Zip, {{"pre/pwned.txt", "x"}}, "pre/pwned.txt", true},
        {"FolderThroughExistingLinkOut", Layout::Zip, {{"pre/sub/", ""}}, "pre/sub/", true},
        {"NamedPipe", Layout::Zip, {{"ok.txt", "x"}, {"pipe", "", S_IFIFO | 0644}}, "pipe"},
        {"Device", Layout::Zip, {{"dev", "", S_IFCHR | 0644}}, "dev"},
    };
}

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
    void write(Layout layout, const std::vector<TestEntry>& entries) const {
        const fs::path zip = box.root() / "a.zip";
        const fs::path tar = box.root() / "a.tar";
        writeArchive(zip, entries);
        writeArchive(tar, kTarEntries, ArchiveFormat::Tar);
        const std::map<Layout, std::vector<fs::path>> parts{{Layout::Zip, {zip}},
                                                            {Layout::HalfAZip, {zip}},
                                                            {Layout::Tar, {tar}},
                                                            {Layout::TarThenZip, {tar, zip}},
                                                            {Layout::ZipThenTar, {zip, tar}},
                                                            {Layout::Junk, {}}};
        if (layout == Layout::Missing) return;
        std::ofstream out(archive, std::ios::binary);
        for (const fs::path& part : parts.at(layout)) out << std::ifstream(part, std::ios::binary).rdbuf();
        if (layout == Layout::Junk) out << std::string(4096, 'z');
        out.close();
        if (layout == Layout::HalfAZip) fs::resize_file(archive, fs::file_size(archive) / 2);
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
    write(param.layout, param.entries);
    const auto before = outside();

    try {
        extract(archive.string(), box.destination().string());
        FAIL() << "the archive was extracted";
    } catch (const UnsafeArchiveEntryError& error) {
        EXPECT_EQ(error.entryName(), param.refused.substr(0, param.refused.find(',')));
        EXPECT_THAT(error.what(), HasSubstr(param.refused));
    } catch (const fs::filesystem_error& error) {
        EXPECT_EQ(param.layout, Layout::Missing) << error.what();
    } catch (const std::runtime_error& error) {
        EXPECT_NE(param.layout, Layout::Zip) << error.what();
        EXPECT_THAT(error.what(), HasSubstr(archive.string() + ": " + param.refused));
    }

    EXPECT_EQ(outside(), before);
    // A file that is no zip, or holds a pipe or device, is refused before anything is made.
    if (param.layout != Layout::Zip || param.entries.back().mode > 07777) {
        EXPECT_FALSE(fs::exists(box.destination()));
    }
    for (const auto& [name, content] : snapshot(box.destination()))
        EXPECT_THAT(name, ::testing::Not(HasSubstr(".enczip-"))) << "work file left behind";
}

INSTANTIATE_TEST_SUITE_P(Archives, RefusedArchiveTest, ::testing::ValuesIn(refusedCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace install::enczip::test
