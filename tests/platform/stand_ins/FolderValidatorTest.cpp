// The folder validator and the destination-content check on real folders.
#include "install/validatefolder/FolderValidator.h"

#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <set>

#include "InstallationManifest.h"
#include "ScratchFolder.h"
#include "install/platformutil/PlatformUtility.h"
#include "install/validatefolder/DestinationContentValidator.h"

namespace install::validatefolder {
namespace {

namespace fs = std::filesystem;

// The name of the exception kind the call throws (with a text), "accepted" when it returns.
std::string refusalOf(const std::function<void()>& call) {
    try {
        call();
        return "accepted";
    } catch (const std::exception& error) {
        EXPECT_STRNE(error.what(), "");
        return typeid(error).name();
    }
}

template <class Refusal>
const std::string kind = typeid(Refusal).name();

// A validator whose application-data and installer folders lie in the test's scratch folder.
class ScratchFolderValidator : public FolderValidator, public FolderValidatorUtility {
public:
    explicit ScratchFolderValidator(fs::path scratch) : scratch_(std::move(scratch)) {}
    fs::path getUserAppDataFolder() const override { return scratch_ / "appdata"; }
    fs::path getInstallerFolder() const override { return scratch_ / "installer"; }

protected:
    const FolderValidatorUtility& getFolderValidatorUtility() const override { return *this; }

private:
    fs::path scratch_;
};

TEST(FolderValidator, RefusesByTheFirstBrokenRuleAndCreatesAMissingFolderOnlyWhenAsked) {
    install::test::ScratchFolder scratch;
    const ScratchFolderValidator validator(scratch.path());
    for (const char* folder : {"appdata", "installer", "readonly"})
        fs::create_directories(scratch.path() / folder);
    fs::create_directory_symlink(scratch.path() / "appdata", scratch.path() / "link");
    scratch.writeFile("file", "x");
    scratch.writeFile("file.", "x");
    ::chmod((scratch.path() / "readonly").c_str(), 0555);
    const std::string longName = "@/" + std::string(4000 - scratch.path().string().size(), 'n');
    std::string tooDeep = "@", deepShort = "+@";
    while (tooDeep.size() < 5000) tooDeep += "/" + std::string(50, 'd');
    while (deepShort.size() + scratch.path().string().size() < 4000) deepShort += "/" + std::string(99, 'd');
    // "@" stands for the scratch folder; a leading "+" asks to create a missing folder.
    std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"accepted",
         {"@", "@/with blanks and (brackets) & more", "@/.hidden", "@/name.d/", "@/appdata-sibling",
          "+@/installer/products", "@/new/deep/folder", "+@/new/deep/folder", deepShort}},
        {kind<FolderValidatorAbsolutePath>,
         {"relative/folder", "", "C:\\Program Files\\Velora", "relative/caf\u00e9+."}},
        {kind<FolderValidatorExceptionNonEnglishCharacter>,
         {"@/caf\u00e9", "@/\u30d9\u30ed\u30fc\u30e9", "@/tab\there", "@/caf\u00e9+."}},
        {kind<FolderValidatorExceptionInvalidCharacter>,
         {"@/plus+dot.", "@/+", "@/@", "@/'", "@/!", "@/*", "@/?", "@/;", "@/<", "@/>", "@/|"}},
        {kind<FolderValidatorExceptionTrailingDotsOnWindows>,
         {"@/name.", "@/name.../below", "@/a/../b", "@/file."}},
        {kind<FolderValidatorNotADirectory>, {"@/file", "+@/file/below"}},
        {kind<FolderContainsUsersDefaultAppDataError>, {"@/appdata", "+@/appdata/velora", "@/link/velora"}},
        {kind<FolderIsInstallerRootError>, {"@/installer", "@/installer/"}},
        {kind<FolderValidatorFailedToCreateFolder>,
         {"+/proc/velora-validator-test/folder", "+" + longName, longName, tooDeep}},
        {kind<FolderValidatorExceptionWritePermission>, {"/proc", "/proc/velora-validator-test"}}};
    if (::geteuid() != 0) {  // permission bits do not stop the superuser from writing
        cases[9].second.insert(cases[9].second.end(), {"@/readonly", "@/readonly/below"});
        cases[8].second.push_back("+@/readonly/below");
    }
    for (const auto& [refusal, folders] : cases) {
        for (std::string folder : folders) {
            const bool create = folder.starts_with("+");
            folder = folder.substr(create ? 1 : 0);
            if (folder.starts_with("@")) folder.replace(0, 1, scratch.path().string());
            std::error_code ignored;
            const bool existed = fs::exists(folder, ignored);
            EXPECT_EQ(refusalOf([&] { validator.checkRequired(fs::path(folder).u16string(), create); }),
                      refusal)
                << folder;
            EXPECT_EQ(fs::exists(folder, ignored), existed || (create && refusal == "accepted")) << folder;
        }
    }
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(scratch.path())) left.insert(entry.path().filename());
    EXPECT_EQ(left, (std::set<std::string>{"appdata", "installer", "link", "file", "file.", "readonly", "new",
                                           std::string(99, 'd')}))
        << "no probe file is left behind";
    for (const char16_t* root : {u"/", u"/proc"}) EXPECT_TRUE(validator.checkWarnings(root));
    for (const std::u16string& other :
         {scratch.text(), scratch.text() + u"/missing", std::u16string(u"relative")})
        EXPECT_FALSE(validator.checkWarnings(other));
    EXPECT_THROW(
        FolderValidator().checkRequired(fs::read_symlink("/proc/self/exe").parent_path().u16string(), false),
        FolderIsInstallerRootError)
        << "by default the running program's folder is the installer's";
}

// The folder holds an installation of Velora of the given release.
void installed(const fs::path& folder, const char16_t* family, const char16_t* status, std::int32_t level) {
    engine::InstallationManifest manifest;
    manifest.setRelease(family, status, level);
    manifest.addProduct({u"VELORA", u"Velora", u"Velora"});
    fs::create_directories(folder);
    manifest.writeTo(folder);
}

struct Installed {
    const char16_t *release, *status;
    std::int32_t level;
    const char16_t *installedFamily, *offeredFamily;
    std::string refusal;
};

TEST(DestinationContentValidator, AFolderMustBeEmptyOrHoldAnInstallationOfTheSameFamilyAndRelease) {
    install::test::ScratchFolder scratch;
    const fs::path folder = scratch.path() / "folder";
    const DestinationContentValidator validator(
        folder.u16string(), foundation::release_info::ReleaseInfo(u"R2025a", u"Release", 2));
    const auto refusal = [&](const char16_t* installed = u"", const char16_t* offered = u"Velora") {
        return refusalOf([&] { validator.validate(installed, offered); });
    };
    EXPECT_EQ(refusal(), "accepted") << "a missing folder";
    scratch.writeFile("folder", "x");
    EXPECT_EQ(refusal(), kind<OverwriteException>) << "a file where the folder should be";
    fs::remove(folder);
    scratch.writeFile("folder/notes.txt", "mine");
    EXPECT_EQ(refusal(), kind<OverwriteException>) << "files without an installation record";
    scratch.writeFile(fs::path("folder") / engine::InstallationManifest::kFileName, "{ not json");
    EXPECT_EQ(refusal(u"Velora"), kind<OverwriteException>) << "an unreadable record";
    for (const auto& [release, status, level, installedFamily, offeredFamily, expected] :
         {Installed{u"R2025a", u"Release", 2, u"Velora", u"Velora", "accepted"},
          Installed{u"R2025a", u"Release", 2, u"Velora", u"Velora Server",
                    kind<ControllingProductsMismatchException>},
          Installed{u"R2025a", u"Release", 2, u"", u"Velora Server", "accepted"},
          Installed{u"R2024b", u"Release", 2, u"Velora", u"Velora", kind<ReleaseStatusMismatchException>},
          Installed{u"R2025a", u"Release", 1, u"Velora", u"Velora", kind<UpdateLevelMismatchException>}}) {
        installed(folder, release, status, level);
        EXPECT_EQ(refusal(installedFamily, offeredFamily), expected);
    }
}

// Without a release of its own (no VersionInfo.xml beside the installer) only the families count.
TEST(DestinationContentValidator, TheInstallersReleaseComesFromItsOwnFolder) {
    install::test::ScratchFolder installer, scratch;
    installed(scratch.path(), u"R2019a", u"Prerelease", 9);
    platformutil::PlatformUtility::setInstallationPath(installer.path());
    EXPECT_NO_THROW(DestinationContentValidator(scratch.text()).validate(u"Velora", u"Velora"));
    installer.writeFile("VersionInfo.xml",
                        "<VersionInfo><Release>R2019a</Release><ReleaseStatus>Prerelease"
                        "</ReleaseStatus><UpdateLevel>3</UpdateLevel></VersionInfo>");
    EXPECT_THROW(DestinationContentValidator(scratch.text()).validate(u"Velora", u"Velora"),
                 UpdateLevelMismatchException);
    platformutil::PlatformUtility::setInstallationPath({});
}

}  // namespace
}  // namespace install::validatefolder
