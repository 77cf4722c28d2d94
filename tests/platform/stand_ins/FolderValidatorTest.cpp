// The folder validator and the destination-content check on real folders.
#include "install/validatefolder/FolderValidator.h"

#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "InstallationManifest.h"
#include "install/platformutil/PlatformUtility.h"
#include "install/validatefolder/DestinationContentValidator.h"
#include "support/ScratchFolder.h"

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
    workflow_test::ScratchFolder scratch;
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
    // clang-format off
    std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"accepted", {"@", "@/with blanks and (brackets) & more", "@/.hidden", "@/name.d/", "@/appdata-sibling", "+@/installer/products", "@/new/deep/folder", "+@/new/deep/folder", deepShort}},
        {kind<FolderValidatorAbsolutePath>, {"relative/folder", "", "C:\\Program Files\\Velora", "relative/caf\u00e9+."}},
        {kind<FolderValidatorExceptionNonEnglishCharacter>, {"@/caf\u00e9", "@/\u30d9\u30ed\u30fc\u30e9", "@/tab\there", "@/caf\u00e9+."}},
        {kind<FolderValidatorExceptionInvalidCharacter>, {"@/plus+dot.", "@/!", "@/*", "@/?", "@/<", "@/>", "@/d;x", "@/d|x", "@/mail@home", "@/it's"}},
        {kind<FolderValidatorExceptionTrailingDotsOnWindows>, {"@/name.", "@/name.../below", "@/a/../b", "@/file."}},
        {kind<FolderValidatorNotADirectory>, {"@/file", "+@/file/below"}},
        {kind<FolderContainsUsersDefaultAppDataError>, {"@/appdata", "+@/appdata/velora", "@/link/velora"}},
        {kind<FolderIsInstallerRootError>, {"@/installer", "@/installer/"}},
        {kind<FolderValidatorFailedToCreateFolder>, {"+/proc/velora-validator-test/folder", "+" + longName, longName, tooDeep}},
        {kind<FolderValidatorExceptionWritePermission>, {"/proc", "/proc/velora-validator-test"}}};
    // clang-format on
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
    EXPECT_TRUE(validator.checkWarnings(u"/") && validator.checkWarnings(u"/proc"));
    EXPECT_FALSE(validator.checkWarnings(scratch.u16() + u"/missing") ||
                 validator.checkWarnings(u"relative"));
}

// The installer's release comes from the VersionInfo.xml beside it; without one only the families count.
TEST(DestinationContentValidator, AFolderMustBeEmptyOrHoldAnInstallationOfTheSameFamilyAndRelease) {
    workflow_test::ScratchFolder scratch, installer;
    const fs::path folder = scratch.path() / "folder";
    const auto refusal = [&](const char16_t* installed = u"", const char16_t* offered = u"Velora") {
        return refusalOf(
            [&] { DestinationContentValidator(folder.u16string()).validate(installed, offered); });
    };
    platformutil::PlatformUtility::setInstallationPath(installer.path());
    installer.writeFile("VersionInfo.xml",
                        "<VersionInfo><Release>2025.1</Release><ReleaseStatus>Release"
                        "</ReleaseStatus><UpdateLevel>2</UpdateLevel></VersionInfo>");
    const std::string accepted = "accepted";
    EXPECT_EQ(refusal(), accepted) << "a missing folder";
    scratch.writeFile("folder", "x");
    EXPECT_EQ(refusal(), kind<OverwriteException>) << "a file where the folder should be";
    fs::remove(folder);
    scratch.writeFile("folder/notes.txt", "mine");
    EXPECT_EQ(refusal(), kind<OverwriteException>) << "files without an installation record";
    scratch.writeFile(fs::path("folder") / engine::InstallationManifest::kFileName, "{ not json");
    EXPECT_EQ(refusal(u"Velora"), kind<OverwriteException>) << "an unreadable record";
    // clang-format off
    for (const auto& [release, status, level, installedFamily, offeredFamily, expected] : {
             std::tuple{u"2025.1", u"Release", 2, u"Velora", u"Velora", accepted},
             std::tuple{u"2025.1", u"Release", 2, u"Velora", u"Velora Server", kind<ControllingProductsMismatchException>},
             std::tuple{u"2025.1", u"Release", 2, u"", u"Velora Server", accepted},
             std::tuple{u"2024.2", u"Release", 2, u"Velora", u"Velora", kind<ReleaseStatusMismatchException>},
             std::tuple{u"2025.1", u"Release", 1, u"Velora", u"Velora", kind<UpdateLevelMismatchException>}}) {
        // clang-format on
        engine::InstallationManifest manifest;
        manifest.setRelease(release, status, level);
        manifest.addProduct({u"VELORA", u"Velora", u"Velora"});
        manifest.writeTo(folder);
        EXPECT_EQ(refusal(installedFamily, offeredFamily), expected);
    }
    fs::remove(installer.path() / "VersionInfo.xml");
    EXPECT_EQ(refusal(u"Velora"), "accepted") << "no release of its own";
    platformutil::PlatformUtility::setInstallationPath({});
}

}  // namespace
}  // namespace install::validatefolder
