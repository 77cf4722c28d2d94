// Default folders, sizes, volumes and running processes as this platform knows them, text conversion
// between UTF-16 and UTF-8 with bad input replaced rather than lost, and file-system queries on UTF-16 paths.
#include <gmock/gmock.h>
#include <unistd.h>

#include <limits>

#include "ProcessTableDetector.h"
#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/TextConversion.h"
#include "install/platformutil/DefaultDirectoryProvider.h"
#include "install/platformutil/DetectRunningProcess.h"
#include "install/platformutil/PlatformUtility.h"
#include "install/platformutil/SizeFormatter.h"
#include "install/platformutil/VolumeDetector.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"

namespace install::platformutil {
namespace {

namespace fs = std::filesystem;
using Environment = workflow_test::ScopedEnvironmentVariable;

// Every folder the provider derives from the user's environment points into a scratch folder.
TEST(DefaultDirectoryProvider, FoldersFollowTheXdgConventionsAndRecordsStayInsideTheirStore) {
    workflow_test::ScratchFolder scratch;
    const auto at = [&](const std::string& relative) { return (scratch.path() / relative).u16string(); };
    const Environment home{"HOME", (scratch.path() / "home").string()}, user{"USER", "tester"},
        config{"XDG_CONFIG_HOME", (scratch.path() / "config").string()}, data{"XDG_DATA_HOME", "relative"},
        download{"XDG_DOWNLOAD_DIR", std::nullopt},
        registry{"VELORA_REGISTRY_ROOT", (scratch.path() / "reg").string()};
    const DefaultDirectoryProvider provider;
    EXPECT_EQ(provider.getUserAppDataDirectory(), at("home/.local/share")) << "a relative one is ignored";
    EXPECT_EQ(provider.getDefaultDownloadDirectory(u"2025.1", Platform::Linux),
              at("home/Downloads/Velora/2025.1"));
    scratch.writeFile("config/user-dirs.dirs",
                      "# by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Fetched\"\n");
    EXPECT_EQ(provider.getDefaultDownloadDirectory(u"2025.1", Platform::Linux),
              at("home/Fetched/Velora/2025.1"));
    const Environment downloads("XDG_DOWNLOAD_DIR", (scratch.path() / "dl").string());
    EXPECT_EQ(provider.getDefaultDownloadDirectory(u"2025.1_Prerelease", Platform::Linux),
              at("dl/Velora/2025.1_Prerelease"));
    EXPECT_EQ(provider.getDefaultDownloadDirectory(u"2025.1", Platform::Windows),
              u"C:\\Users\\tester\\Downloads\\Velora\\2025.1");
    EXPECT_EQ(provider.getDefaultInstallationDirectory("Velora/Runtime", u"2025.1", Platform::Windows, true,
                                                       u"", u"", u"", u""),
              u"C:\\Program Files\\Velora\\Runtime\\2025.1");
    EXPECT_THAT(fl::i18n::to_string(provider.getCurrentTimestamp()),
                testing::MatchesRegex("[0-9]{4}(_[0-9]{2}){5}"));

    const std::u16string base = ::geteuid() == 0 ? u"/usr/local" : at("home/.local/opt");
    EXPECT_EQ(
        provider.getDefaultInstallationDirectory("", u"", Platform::Linux, false, u"Velora", u"", u"", u""),
        base + u"/Velora");
    const std::u16string root = u"HKEY_LOCAL_MACHINE", key = u"SOFTWARE\\Kestrelix\\Velora Runtime";
    provider.recordApplicationInstallation(root, u"2025.1", key, u"/opt/velora runtime");
    EXPECT_TRUE(provider.isApplicationPrevInstalled(root, u"2025.1", key));
    provider.recordApplicationInstallation(root, u"2025.1", key, u"");
    EXPECT_FALSE(provider.isApplicationPrevInstalled(root, u"2025.1", key))
        << "an empty folder removes the record";
    provider.recordApplicationInstallation(root, u"2025.1", u"software/kestrelix//VELORA RUNTIME", u"/opt/x");
    EXPECT_EQ(
        DefaultDirectoryProvider(scratch.path() / "reg")
            .getDefaultInstallationDirectory("", u"", Platform::Linux, false, u"", u"2025.1", root, key),
        u"/opt/x")
        << "the machine's store, whose keys compare as registry keys do";
    EXPECT_THROW(provider.recordApplicationInstallation(u"root", u"", u"", u"/opt/x"), fs::filesystem_error);
}

TEST(PlatformUtility, TheInstallerFolderIsTheProgramsAndAncestorsWalkUpToWhatExists) {
    EXPECT_EQ(PlatformUtility::getInstallationPath(), fs::read_symlink("/proc/self/exe").parent_path());
    EXPECT_THAT(PlatformUtility::getPlatformUTCTime(),
                testing::MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}"));
    workflow_test::ScratchFolder scratch;
    const fs::path file = scratch.writeFile("file", "x");
    EXPECT_EQ(PlatformUtility::getNearestExistingAncestor(scratch.path() / "a/../b/c"), scratch.path());
    EXPECT_EQ(PlatformUtility::getNearestExistingAncestor(file / "below"), file)
        << "a file in the way ends the walk";
    const VolumeDetector volumes;
    EXPECT_TRUE(volumes.isSameVolume(scratch.u16(), (scratch.path() / "not/yet").u16string()));
    EXPECT_FALSE(volumes.isSameVolume(scratch.u16(), u"/proc"));
    EXPECT_THROW(volumes.getVolumeId(u""), std::invalid_argument);
}

TEST(SizeFormatter, UsesBinaryUnitsWithOneDecimalAndNeverShows1024OfAUnit) {
    constexpr std::uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024;
    for (const auto& [bytes, text] :
         {std::pair{std::uint64_t{0}, "0 B"}, std::pair{KiB - 1, "1023 B"}, std::pair{KiB + 512, "1.5 KiB"},
          std::pair{KiB + 50, "1.0 KiB"}, std::pair{KiB + 52, "1.1 KiB"}, std::pair{MiB - 1, "1.0 MiB"},
          std::pair{10 * GiB + 3 * GiB / 10, "10.3 GiB"},
          std::pair{std::numeric_limits<std::uint64_t>::max(), "16.0 EiB"}})
        EXPECT_EQ(SizeFormatter::format(bytes), text) << bytes;
}

// Processes of other users show no readable executable link, kernel threads only a command name.
TEST(DetectRunningProcess, FindsThisProcessByItsProgramAndFolderAndOthersInAProcessTableByWhatItShows) {
    const fs::path executable = fs::read_symlink("/proc/self/exe");
    EXPECT_TRUE(createDetectRunningProcessStrategy()->isProcessRunning(executable.filename().u16string(),
                                                                       executable.parent_path().u16string()));
    workflow_test::ScratchFolder table;
    fs::create_directories(table.path() / "100");
    fs::create_symlink("/opt/velora/bin/velora", table.path() / "100" / "exe");
    table.writeFile("200/cmdline", std::string("/usr/local/bin/flowmere\0--batch\0", 32));
    table.writeFile("300/comm", "kthreadd\n");
    table.writeFile("self/comm", "notaprocess\n");
    const ProcessTableDetector detector(table.path());
    for (const auto& [program, folder, running] :
         {std::tuple{u"velora", u"/opt/velora", true}, std::tuple{u"flowmere", u"", true},
          std::tuple{u"kthreadd", u"", true}, std::tuple{u"velora", u"/opt/other", false},
          std::tuple{u"--batch", u"", false}, std::tuple{u"kthreadd", u"/usr", false},
          std::tuple{u"notaprocess", u"", false}, std::tuple{u"", u"", false}})
        EXPECT_EQ(detector.isProcessRunning(program, folder), running) << fl::i18n::to_string(program);
}

TEST(TextConversion, ConvertsBothWaysAndReplacesWhatIsNotValid) {
    // clang-format off
    for (const auto& [utf16, utf8] : {
             std::pair{std::u16string(u"Gr\u00fc\u00dfe \u20ac\u4e2d"), std::string("Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac\xe4\xb8\xad")},
             std::pair{std::u16string(u"a\U0001F600\U0010FFFF\uffff"), std::string("a\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf\xef\xbf\xbf")},
             std::pair{std::u16string(u"a\0b", 3), std::string("a\0b", 3)}}) {
        // clang-format on
        EXPECT_EQ(fl::i18n::to_string(utf16), utf8);
        EXPECT_EQ(fl::i18n::to_u16string(utf8), utf16);
    }
    // Stray continuation, truncated sequences, overlong forms, an encoded surrogate, beyond Unicode, a bad
    // lead.
    EXPECT_EQ(
        fl::i18n::to_u16string("a\x80z|\xe2\x82|\xc0\xaf|\xe0\x80\xaf|\xed\xa0\x80|\xf4\x90\x80\x80|\xff"),
        u"a\ufffdz|\ufffd|\ufffd\ufffd|\ufffd\ufffd\ufffd|\ufffd\ufffd\ufffd|\ufffd\ufffd\ufffd\ufffd|"
        u"\ufffd");
    EXPECT_EQ(fl::i18n::to_string(std::u16string{u'a', char16_t(0xD800), u'b', char16_t(0xDC00),
                                                 char16_t(0xDE00), char16_t(0xD83D)}),
              "a\xef\xbf\xbd"
              "b\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd")
        << "unpaired or reversed surrogates";
}

TEST(Filesystem, FoldersAreCreatedByUtf16PathsAndTheTemporaryFolderIsTheFirstVariableNamingOne) {
    workflow_test::ScratchFolder scratch;
    const std::u16string nested = scratch.u16() + u"/gr\u00fc\u00dfe/\u4e2d";
    EXPECT_FALSE(fl::filesystem::exists(nested));
    EXPECT_TRUE(fl::filesystem::create_directories(nested));
    EXPECT_FALSE(fl::filesystem::create_directories(nested)) << "it existed already";
    scratch.writeFile("file", "x");
    EXPECT_THROW(fl::filesystem::create_directories(scratch.u16() + u"/file/sub"), fs::filesystem_error);
    EXPECT_EQ(fl::filesystem::filename(u"C:/mixed\\sep/tool.exe") + fl::filesystem::filename(u"/opt/dir/"),
              u"tool.exe");
    const Environment tmpdir("TMPDIR", (scratch.path() / "missing").string()), tmp("TMP", std::nullopt),
        temp("TEMP", ""), tempdir("TEMPDIR", (scratch.path() / "file").string());
    EXPECT_EQ(fl::filesystem::tmpname(), u"/tmp");
    const Environment tmpAgain("TMP", scratch.path().string());
    EXPECT_EQ(fl::filesystem::tmpname(), scratch.u16());
}

}  // namespace
}  // namespace install::platformutil
