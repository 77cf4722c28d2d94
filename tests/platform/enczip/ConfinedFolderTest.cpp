// Paths resolved below a folder held open: links followed only while they stay inside, with the
// kernel's help and by the walk that stands in for it alike.
#include "ConfinedFolder.h"

#include <gmock/gmock.h>

#include "TestArchive.h"
#include "install/enczip/ExtractErrors.h"

namespace fs = std::filesystem;

namespace install::enczip {

// Names the way of resolving in test output instead of a dump of its bytes.
void PrintTo(ConfinedFolder::Resolution resolution, std::ostream* out) {
    *out << (resolution == ConfinedFolder::Resolution::KernelFirst ? "Kernel" : "Walk");
}

namespace test {
namespace {

using Resolution = ConfinedFolder::Resolution;

class ConfinedFolderTest : public ::testing::TestWithParam<Resolution> {
protected:
    ConfinedFolderTest() {
        fs::create_directories(box.destination() / "real/inner");
        for (const auto& [link, target] : {std::pair{"in", "real"},
                                           {"out", "../outside"},
                                           {"deep", "real/../in/inner"},
                                           {"loop", "loop"},
                                           {"real/link", "inner"}})
            fs::create_symlink(target, box.destination() / link);
        writeText(box.destination() / "file", "");
    }
    // The path through no link, "escapes" or the error's text.
    std::string resolve(const std::string& relative, std::vector<std::string>* created = nullptr) {
        try {
            return folder.folder(relative, relative, created).path;
        } catch (const UnsafeArchiveEntryError&) {
            return "escapes";
        } catch (const fs::filesystem_error& error) {
            return error.code().message();
        }
    }

    Sandbox box;
    ConfinedFolder folder{box.destination(), GetParam()};
};

TEST_P(ConfinedFolderTest, FollowsLinksOnlyWhileTheyStayInsideAndMakesWhatIsMissingWhereTheyLead) {
    const std::pair<std::string, std::string> rows[] = {{"", ""},
                                                        {"in/inner", "real/inner"},
                                                        {"deep", "real/inner"},
                                                        {"in/../in/./inner/..", "real"},
                                                        {"out", "escapes"},
                                                        {"out/x", "escapes"},
                                                        {"real/../..", "escapes"},
                                                        {"loop", "escapes"},
                                                        {"file/x", "Not a directory"},
                                                        {"missing", "No such file or directory"}};
    for (const auto& [relative, expected] : rows) {
        SCOPED_TRACE(relative);
        EXPECT_EQ(resolve(relative), expected);
    }
    std::vector<std::string> created;
    EXPECT_EQ(resolve("in/new/deeper", &created), "real/new/deeper");
    EXPECT_EQ(resolve("out/new", &created), "escapes");
    EXPECT_THAT(created, ::testing::ElementsAre("real/new", "real/new/deeper"));
    EXPECT_FALSE(fs::exists(box.outside() / "new"));
}

TEST_P(ConfinedFolderTest, ALinkStaysInsideOnlyIfNoLaterFolderCanTakeItOut) {
    const std::pair<std::string, bool> rows[] = {
        {"inner", true},  {"../in/../real", true},  {"missing/x", true},         {"..", true},
        {"../..", false}, {"deep/../../..", false}, {"missing/../../..", false}, {"/etc", false}};
    for (const auto& [target, inside] : rows) {
        SCOPED_TRACE(target);
        fs::remove(box.destination() / "real/link");
        fs::create_symlink(target, box.destination() / "real/link");
        EXPECT_EQ(folder.linkStaysInside("real/link"), inside);
    }
    EXPECT_FALSE(folder.linkStaysInside("loop"));
}

INSTANTIATE_TEST_SUITE_P(Resolutions, ConfinedFolderTest,
                         ::testing::Values(Resolution::KernelFirst, Resolution::WalkOnly),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

}  // namespace
}  // namespace test
}  // namespace install::enczip
