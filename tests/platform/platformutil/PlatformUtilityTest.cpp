#include "install/platformutil/PlatformUtility.h"

#include <gtest/gtest.h>

#include <regex>

#include "ScratchFolder.h"

namespace install::platformutil {
namespace {

namespace fs = std::filesystem;

TEST(PlatformUtilityTest, UtcTimeHasDateAndTimeOfDay) {
    EXPECT_TRUE(std::regex_match(PlatformUtility::getPlatformUTCTime(),
                                 std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})")));
}

TEST(PlatformUtilityTest, InstallationPathIsTheExecutablesFolderUnlessTheHostSetsOne) {
    const fs::path executableFolder = fs::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(PlatformUtility::getInstallationPath(), executableFolder);

    PlatformUtility::setInstallationPath("/opt/unpacked-installer");
    EXPECT_EQ(PlatformUtility::getInstallationPath(), fs::path("/opt/unpacked-installer"));

    PlatformUtility::setInstallationPath({});
    EXPECT_EQ(PlatformUtility::getInstallationPath(), executableFolder);
}

TEST(PlatformUtilityTest, NearestExistingAncestorWalksUpToWhatExists) {
    test::ScratchFolder scratch;
    const fs::path file = scratch.writeFile("file", "x");

    EXPECT_EQ(PlatformUtility::getNearestExistingAncestor(scratch.path()), scratch.path());
    EXPECT_EQ(PlatformUtility::getNearestExistingAncestor(scratch.path() / "a" / "b" / "c"), scratch.path());
    // A file in the way is where the walk stops; callers decide what a file there means.
    EXPECT_EQ(PlatformUtility::getNearestExistingAncestor(file / "below"), file);
    EXPECT_EQ(PlatformUtility::getNearestExistingAncestor(scratch.path() / "x" / ".." / "y"), scratch.path());
}

}  // namespace
}  // namespace install::platformutil
