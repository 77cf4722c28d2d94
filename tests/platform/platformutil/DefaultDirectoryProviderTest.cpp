#include "install/platformutil/DefaultDirectoryProvider.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>

#include "EnvironmentOverride.h"
#include "ScratchFolder.h"
#include "fl/i18n/TextConversion.h"

namespace install::platformutil {
namespace {

namespace fs = std::filesystem;

// Every folder the provider derives from the user's environment points into a scratch folder.
class DefaultDirectoryProviderTest : public testing::Test {
protected:
    void SetUp() override {
        environment.set("HOME", (scratch.path() / "home").string());
        environment.set("USER", "tester");
        environment.set("XDG_CONFIG_HOME", (scratch.path() / "config").string());
        environment.set("XDG_DATA_HOME", (scratch.path() / "data").string());
        environment.clear("XDG_DOWNLOAD_DIR");
    }

    std::u16string inScratch(const std::string& relative) const {
        return (scratch.path() / relative).u16string();
    }

    test::ScratchFolder scratch;
    test::EnvironmentOverride environment;
    DefaultDirectoryProvider provider;
};

TEST_F(DefaultDirectoryProviderTest, AppDataFollowsXdgDataHomeAndIgnoresARelativeOne) {
    EXPECT_EQ(provider.getUserAppDataDirectory(), inScratch("data"));
    environment.set("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(provider.getUserAppDataDirectory(), inScratch("home/.local/share"));
}

TEST_F(DefaultDirectoryProviderTest, DownloadFolderComesFromXdgThenUserDirsThenHome) {
    EXPECT_EQ(provider.getDefaultDownloadDirectory(u"R2025a", getCurrentPlatform()),
              inScratch("home/Downloads/Velora/R2025a"));

    scratch.writeFile("config/user-dirs.dirs",
                      "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Fetched\"\n");
    EXPECT_EQ(provider.getDefaultDownloadDirectory(u"R2025a", getCurrentPlatform()),
              inScratch("home/Fetched/Velora/R2025a"));

    environment.set("XDG_DOWNLOAD_DIR", (scratch.path() / "dl").string());
    EXPECT_EQ(provider.getDefaultDownloadDirectory(u"R2025a_Prerelease", getCurrentPlatform()),
              inScratch("dl/Velora/R2025a_Prerelease"));
}

TEST_F(DefaultDirectoryProviderTest, OtherPlatformsGetTheirOwnConventions) {
    EXPECT_EQ(provider.getPlatformInstallationDirectory(Platform::Windows), u"C:\\Program Files");
    EXPECT_EQ(provider.getPlatformInstallationDirectory(Platform::MacOS), u"/Applications");
    EXPECT_EQ(provider.getDefaultDownloadDirectory(u"R2025a", Platform::Windows),
              u"C:\\Users\\tester\\Downloads\\Velora\\R2025a");
    EXPECT_EQ(provider.getDefaultInstallationDirectory("Velora/Velora Runtime", u"R2025a", Platform::Windows,
                                                       true, u"Velora", u"", u"", u""),
              u"C:\\Program Files\\Velora\\Velora Runtime\\R2025a");
}

TEST_F(DefaultDirectoryProviderTest, InstallationFolderJoinsPlatformFolderRelativePathAndRelease) {
    const std::u16string base = geteuid() == 0 ? u"/usr/local" : inScratch("home/.local/opt");
    EXPECT_EQ(provider.getPlatformInstallationDirectory(Platform::Linux), base);
    EXPECT_EQ(provider.getDefaultInstallationDirectory("velora", u"R2025a", Platform::Linux, false, u"Velora",
                                                       u"", u"", u""),
              base + u"/velora/R2025a");
    // Without a relative path the product family names the folder; empty parts are left out.
    EXPECT_EQ(
        provider.getDefaultInstallationDirectory("", u"", Platform::Linux, false, u"Velora", u"", u"", u""),
        base + u"/Velora");
}

TEST_F(DefaultDirectoryProviderTest, ARecordedInstallationIsFoundAgain) {
    const std::u16string root = u"HKEY_LOCAL_MACHINE";
    const std::u16string key = u"SOFTWARE\\Kestrelix\\Velora Runtime";
    EXPECT_FALSE(provider.isApplicationPrevInstalled(root, u"R2025a", key));

    provider.recordApplicationInstallation(root, u"R2025a", key, u"/opt/velora runtime");
    EXPECT_TRUE(provider.isApplicationPrevInstalled(root, u"R2025a", key));
    EXPECT_FALSE(provider.isApplicationPrevInstalled(root, u"R2024b", key));
    EXPECT_EQ(
        provider.getDefaultInstallationDirectory("", u"", Platform::Linux, false, u"", u"R2025a", root, key),
        u"/opt/velora runtime");
    EXPECT_NE(
        provider.getDefaultInstallationDirectory("", u"", Platform::Linux, true, u"", u"R2025a", root, key),
        u"/opt/velora runtime");

    provider.recordApplicationInstallation(root, u"R2025a", key, u"");
    EXPECT_FALSE(provider.isApplicationPrevInstalled(root, u"R2025a", key));
}

TEST_F(DefaultDirectoryProviderTest, RegistryKeysCannotLeaveTheRegistryFolder) {
    provider.recordApplicationInstallation(u"..", u"..", u"..\\..\\escape", u"/opt/x");
    EXPECT_FALSE(fs::exists(scratch.path() / "escape"));
    EXPECT_FALSE(fs::exists(scratch.path() / "config" / "escape"));
    EXPECT_TRUE(fs::exists(scratch.path() / "config" / "velora-installer" / "registry" / "escape"));
    EXPECT_THROW(provider.recordApplicationInstallation(u"root", u"", u"", u"/opt/x"), fs::filesystem_error);
}

TEST_F(DefaultDirectoryProviderTest, TimestampCanNameAFolder) {
    EXPECT_TRUE(std::regex_match(fl::i18n::to_string(provider.getCurrentTimestamp()),
                                 std::regex(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2})")));
}

}  // namespace
}  // namespace install::platformutil
