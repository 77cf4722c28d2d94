#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "Sandbox.h"
#include "install/enczip/Extract.h"
#include "install/enczip/ExtractErrors.h"

namespace fs = std::filesystem;

namespace install::enczip::test {
namespace {

// A hostile archive and the entry the refusal must name.
struct HostileCase {
    std::string title;
    std::function<ArchiveBuilder(const Sandbox&)> build;
    std::function<std::string(const Sandbox&)> refusedEntry;
    bool needsHardLinks = false;  // zip has no hard links
    // A link the destination already holds before extraction, pointing at the neighbour.
    bool destinationHoldsLinkOut = false;
};

std::string fixed(const std::string& name) { return name; }

std::vector<HostileCase> hostileCases() {
    return {
        {"ParentReference", [](const Sandbox&) { return ArchiveBuilder().file("../outside/pwned.txt", "x"); },
         [](const Sandbox&) { return fixed("../outside/pwned.txt"); }},
        {"ParentReferenceAfterFolder",
         [](const Sandbox&) {
             return ArchiveBuilder().file("ok.txt", "fine").file("sub/../../outside/pwned.txt", "x");
         },
         [](const Sandbox&) { return fixed("sub/../../outside/pwned.txt"); }},
        {"ParentReferenceFolder",
         [](const Sandbox&) { return ArchiveBuilder().folder("../outside/newdir/"); },
         [](const Sandbox&) { return fixed("../outside/newdir/"); }},
        {"AbsolutePath",
         [](const Sandbox& box) { return ArchiveBuilder().file((box.outside() / "abs.txt").string(), "x"); },
         [](const Sandbox& box) { return (box.outside() / "abs.txt").string(); }},
        {"SymlinkOutThenWriteThrough",
         [](const Sandbox&) {
             return ArchiveBuilder().symlink("link", "../outside").file("link/pwned.txt", "x");
         },
         [](const Sandbox&) { return fixed("link"); }},
        {"SymlinkToAbsolutePath",
         [](const Sandbox& box) {
             return ArchiveBuilder().symlink("link", box.outside().string()).file("link/pwned.txt", "x");
         },
         [](const Sandbox&) { return fixed("link"); }},
        {"SymlinkDeepInsideClimbingOut",
         [](const Sandbox&) {
             return ArchiveBuilder().folder("a/b/").symlink("a/b/up", "../../../outside/secret.txt");
         },
         [](const Sandbox&) { return fixed("a/b/up"); }},
        // "l" looks harmless while "s" does not exist; once "s" is the destination itself,
        // "s/.." is the folder above it.
        {"SymlinkEscapingThroughLaterLink",
         [](const Sandbox&) { return ArchiveBuilder().symlink("l", "s/..").symlink("s", "."); },
         [](const Sandbox&) { return fixed("l"); }},
        {"HardLinkOut",
         [](const Sandbox&) { return ArchiveBuilder().hardlink("hl", "../outside/secret.txt"); },
         [](const Sandbox&) { return fixed("hl"); }, true},
        {"HardLinkToAbsolutePath",
         [](const Sandbox& box) {
             return ArchiveBuilder().hardlink("hl", (box.outside() / "secret.txt").string());
         },
         [](const Sandbox&) { return fixed("hl"); }, true},
        {"WriteThroughExistingLinkOut",
         [](const Sandbox&) { return ArchiveBuilder().file("pre/pwned.txt", "x"); },
         [](const Sandbox&) { return fixed("pre/pwned.txt"); }, false, true},
        {"FolderThroughExistingLinkOut", [](const Sandbox&) { return ArchiveBuilder().folder("pre/sub/"); },
         [](const Sandbox&) { return fixed("pre/sub/"); }, false, true},
        {"HardLinkThroughExistingLinkOut",
         [](const Sandbox&) { return ArchiveBuilder().hardlink("hl", "pre/secret.txt"); },
         [](const Sandbox&) { return fixed("hl"); }, true, true},
    };
}

struct HostileParam {
    HostileCase hostile;
    ArchiveFormat format;
};

// Keeps failure messages readable instead of dumping the bytes of the parameter.
void PrintTo(const HostileParam& param, std::ostream* out) { *out << param.hostile.title; }

std::vector<HostileParam> hostileParams() {
    std::vector<HostileParam> params;
    for (const HostileCase& hostile : hostileCases()) {
        for (ArchiveFormat format : {ArchiveFormat::Zip, ArchiveFormat::Tar, ArchiveFormat::TarGz}) {
            if (hostile.needsHardLinks && format == ArchiveFormat::Zip) continue;
            params.push_back({hostile, format});
        }
    }
    return params;
}

std::string paramName(const ::testing::TestParamInfo<HostileParam>& info) {
    static const char* const formats[] = {"Zip", "Tar", "TarGz"};
    return info.param.hostile.title + formats[static_cast<int>(info.param.format)];
}

// Everything in the sandbox except the destination's content.
std::map<std::string, std::string> outsideOfDestination(const Sandbox& box) {
    auto all = Sandbox::snapshot(box.root());
    std::erase_if(all, [](const auto& item) {
        return item.first == "dest" || item.first.starts_with("dest/") || item.first == "hostile.archive";
    });
    return all;
}

class HostileArchiveTest : public ::testing::TestWithParam<HostileParam> {
protected:
    Sandbox box;
};

TEST_P(HostileArchiveTest, RefusesNamingTheEntryAndLeavesTheOutsideUntouched) {
    const HostileParam& param = GetParam();
    if (param.hostile.destinationHoldsLinkOut) {
        fs::create_directories(box.destination());
        fs::create_directory_symlink("../outside", box.destination() / "pre");
    }
    const fs::path archive = box.archive("hostile.archive");
    param.hostile.build(box).write(archive, param.format);
    const auto before = outsideOfDestination(box);
    const std::string expected = param.hostile.refusedEntry(box);

    try {
        extract(archive.string(), box.destination().string());
        FAIL() << "the archive was extracted";
    } catch (const UnsafeArchiveEntryError& error) {
        EXPECT_EQ(error.entryName(), expected);
        EXPECT_THAT(error.what(), ::testing::HasSubstr("\"" + expected + "\""));
    }

    EXPECT_EQ(outsideOfDestination(box), before);
    EXPECT_EQ(Sandbox::readText(box.outside() / "secret.txt"), "untouched");
    for (const auto& [name, content] : Sandbox::snapshot(box.destination())) {
        EXPECT_THAT(name, ::testing::Not(::testing::HasSubstr(".enczip-"))) << "work file left behind";
    }
}

INSTANTIATE_TEST_SUITE_P(Archives, HostileArchiveTest, ::testing::ValuesIn(hostileParams()), paramName);

TEST(ExtractSafetyTest, ReplacesAnExistingLinkInsteadOfWritingThroughIt) {
    Sandbox box;
    fs::create_directories(box.destination());
    fs::create_symlink("../outside/secret.txt", box.destination() / "data.txt");
    const fs::path archive = box.archive("a.zip");
    ArchiveBuilder().file("data.txt", "new content").write(archive, ArchiveFormat::Zip);

    extract(archive.string(), box.destination().string());

    EXPECT_FALSE(fs::is_symlink(box.destination() / "data.txt"));
    EXPECT_EQ(Sandbox::readText(box.destination() / "data.txt"), "new content");
    EXPECT_EQ(Sandbox::readText(box.outside() / "secret.txt"), "untouched");
}

TEST(ExtractSafetyTest, EntriesBeforeTheRefusedOneStayInPlace) {
    Sandbox box;
    const fs::path archive = box.archive("a.tar");
    ArchiveBuilder()
        .file("first.txt", "one")
        .file("../escape.txt", "x")
        .file("never.txt", "no")
        .write(archive, ArchiveFormat::Tar);

    EXPECT_THROW(extract(archive.string(), box.destination().string()), UnsafeArchiveEntryError);

    EXPECT_EQ(Sandbox::readText(box.destination() / "first.txt"), "one");
    EXPECT_FALSE(fs::exists(box.destination() / "never.txt"));
    EXPECT_FALSE(fs::exists(box.root() / "escape.txt"));
}

}  // namespace
}  // namespace install::enczip::test
