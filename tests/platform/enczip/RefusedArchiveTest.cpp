// Archives that must not be unpacked, whole or in part: not a zip from first to last byte,
// entries landing or leading outside the destination, pipes and devices.
#include <gmock/gmock.h>

#include "TestArchive.h"
#include "install/enczip/Extract.h"
#include "install/enczip/ExtractErrors.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace install::enczip::test {
namespace {

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
