#include "install/validatefolder/FolderValidator.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <typeinfo>

#include "ScratchFolder.h"
#include "ScratchFolderValidator.h"

namespace install::validatefolder {
namespace {

namespace fs = std::filesystem;

class FolderValidatorTest : public testing::Test {
protected:
    FolderValidatorTest() : validator(scratch.path() / "appdata", scratch.path() / "installer") {
        fs::create_directories(scratch.path() / "appdata");
        fs::create_directories(scratch.path() / "installer");
    }

    std::u16string folder(const std::string& relative) const {
        return (scratch.path() / relative).u16string();
    }

    // The kind of exception checkRequired throws, or an empty text when it passes.
    std::string failureOf(const std::u16string& candidate, bool createIfMissing = false) const {
        try {
            validator.checkRequired(candidate, createIfMissing);
            return {};
        } catch (const std::exception& error) {
            EXPECT_STRNE(error.what(), "");
            return typeid(error).name();
        }
    }

    template <typename Exception>
    static std::string kind() {
        return typeid(Exception).name();
    }

    install::test::ScratchFolder scratch;
    test::ScratchFolderValidator validator;
};

TEST_F(FolderValidatorTest, AnExistingWritableFolderPasses) {
    EXPECT_EQ(failureOf(scratch.text()), "");
    // No probe file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator{}), 2);
}

TEST_F(FolderValidatorTest, APathMustBeAbsolute) {
    EXPECT_EQ(failureOf(u"relative/folder"), kind<FolderValidatorAbsolutePath>());
    EXPECT_EQ(failureOf(u""), kind<FolderValidatorAbsolutePath>());
    EXPECT_EQ(failureOf(u"C:\\Program Files\\Velora"), kind<FolderValidatorAbsolutePath>());
}

TEST_F(FolderValidatorTest, OnlyPrintableAsciiIsAccepted) {
    EXPECT_EQ(failureOf(folder("caf\u00e9")), kind<FolderValidatorExceptionNonEnglishCharacter>());
    EXPECT_EQ(failureOf(folder("\u30d9\u30ed\u30fc\u30e9")),
              kind<FolderValidatorExceptionNonEnglishCharacter>());
    EXPECT_EQ(failureOf(folder("tab\there")), kind<FolderValidatorExceptionNonEnglishCharacter>());
    EXPECT_EQ(failureOf(folder("with blanks and (brackets) & more")), "");
}

class ForbiddenCharacterTest : public FolderValidatorTest, public testing::WithParamInterface<char> {};

TEST_P(ForbiddenCharacterTest, IsRefused) {
    EXPECT_EQ(failureOf(folder(std::string("name") + GetParam() + "x")),
              kind<FolderValidatorExceptionInvalidCharacter>());
}

INSTANTIATE_TEST_SUITE_P(Characters, ForbiddenCharacterTest,
                         testing::Values('+', '@', '\'', '!', '*', '?', ';', '<', '>', '|'));

TEST_F(FolderValidatorTest, NoPathComponentMayEndInADot) {
    EXPECT_EQ(failureOf(folder("name.")), kind<FolderValidatorExceptionTrailingDotsOnWindows>());
    EXPECT_EQ(failureOf(folder("name.../below")), kind<FolderValidatorExceptionTrailingDotsOnWindows>());
    EXPECT_EQ(failureOf(folder("a/../b")), kind<FolderValidatorExceptionTrailingDotsOnWindows>());
    EXPECT_EQ(failureOf(folder(".hidden")), "");
    EXPECT_EQ(failureOf(folder("name.d/")), "");
}

TEST_F(FolderValidatorTest, TheFirstBrokenRuleIsReported) {
    EXPECT_EQ(failureOf(u"relative/caf\u00e9+."), kind<FolderValidatorAbsolutePath>());
    EXPECT_EQ(failureOf(folder("caf\u00e9+.")), kind<FolderValidatorExceptionNonEnglishCharacter>());
    EXPECT_EQ(failureOf(folder("plus+dot.")), kind<FolderValidatorExceptionInvalidCharacter>());
    scratch.writeFile("file.", "x");
    EXPECT_EQ(failureOf(folder("file.")), kind<FolderValidatorExceptionTrailingDotsOnWindows>());
}

TEST_F(FolderValidatorTest, AFileWhereTheFolderShouldBeIsRefused) {
    scratch.writeFile("file", "x");
    EXPECT_EQ(failureOf(folder("file")), kind<FolderValidatorNotADirectory>());
    EXPECT_EQ(failureOf(folder("file/below"), true), kind<FolderValidatorNotADirectory>());
    EXPECT_FALSE(fs::exists(scratch.path() / "file" / "below"));
}

TEST_F(FolderValidatorTest, TheApplicationDataFolderAndWhatLiesInsideAreRefused) {
    EXPECT_EQ(failureOf(folder("appdata")), kind<FolderContainsUsersDefaultAppDataError>());
    EXPECT_EQ(failureOf(folder("appdata/velora"), true), kind<FolderContainsUsersDefaultAppDataError>());
    EXPECT_FALSE(fs::exists(scratch.path() / "appdata" / "velora"));
    // Reached through a symbolic link it is still the same folder.
    fs::create_directory_symlink(scratch.path() / "appdata", scratch.path() / "link");
    EXPECT_EQ(failureOf(folder("link/velora")), kind<FolderContainsUsersDefaultAppDataError>());
    EXPECT_EQ(failureOf(folder("appdata-sibling")), "");
}

TEST_F(FolderValidatorTest, TheInstallersOwnFolderIsRefusedButNotItsSubfolders) {
    EXPECT_EQ(failureOf(folder("installer")), kind<FolderIsInstallerRootError>());
    EXPECT_EQ(failureOf(folder("installer/")), kind<FolderIsInstallerRootError>());
    EXPECT_EQ(failureOf(folder("installer/products"), true), "");
}

TEST_F(FolderValidatorTest, AMissingFolderIsCreatedWithItsParentsOnlyWhenAsked) {
    EXPECT_EQ(failureOf(folder("new/deep/folder"), false), "");
    EXPECT_FALSE(fs::exists(scratch.path() / "new"));
    EXPECT_EQ(failureOf(folder("new/deep/folder"), true), "");
    EXPECT_TRUE(fs::is_directory(scratch.path() / "new" / "deep" / "folder"));
}

TEST_F(FolderValidatorTest, AFolderThatCannotBeCreatedIsReported) {
    // /proc accepts no new folders, not even from the superuser.
    EXPECT_EQ(failureOf(u"/proc/velora-validator-test/folder", true),
              kind<FolderValidatorFailedToCreateFolder>());
}

TEST_F(FolderValidatorTest, ALongPathOfShortNamesCanBeCreated) {
    std::string relative;
    while (scratch.path().string().size() + relative.size() < 4000) relative += "/" + std::string(99, 'd');
    const std::u16string longFolder = scratch.text() + std::u16string(relative.begin(), relative.end());
    ASSERT_GE(longFolder.size(), 4000u);
    EXPECT_EQ(failureOf(longFolder, true), "");
    EXPECT_TRUE(fs::is_directory(fs::path(longFolder)));
}

TEST_F(FolderValidatorTest, ANameLongerThanTheSystemAllowsCanNeverBeCreated) {
    const std::u16string longName =
        scratch.text() + u"/" + std::u16string(4000 - scratch.text().size(), u'n');
    EXPECT_EQ(failureOf(longName, true), kind<FolderValidatorFailedToCreateFolder>());
    EXPECT_EQ(failureOf(longName, false), kind<FolderValidatorFailedToCreateFolder>());
    std::u16string tooDeep = scratch.text();
    while (tooDeep.size() < 5000) tooDeep += u"/" + std::u16string(50, u'd');
    EXPECT_EQ(failureOf(tooDeep, false), kind<FolderValidatorFailedToCreateFolder>());
}

TEST_F(FolderValidatorTest, AFolderThatRefusesWritingIsReported) {
    EXPECT_EQ(failureOf(u"/proc"), kind<FolderValidatorExceptionWritePermission>());
    EXPECT_EQ(failureOf(u"/proc/velora-validator-test", false),
              kind<FolderValidatorExceptionWritePermission>());
}

TEST_F(FolderValidatorTest, AReadOnlyFolderIsReported) {
    if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop the superuser from writing";
    fs::create_directories(scratch.path() / "readonly");
    ::chmod((scratch.path() / "readonly").c_str(), 0555);
    EXPECT_EQ(failureOf(folder("readonly")), kind<FolderValidatorExceptionWritePermission>());
    EXPECT_EQ(failureOf(folder("readonly/below"), false), kind<FolderValidatorExceptionWritePermission>());
    EXPECT_EQ(failureOf(folder("readonly/below"), true), kind<FolderValidatorFailedToCreateFolder>());
}

TEST_F(FolderValidatorTest, OnlyFileSystemRootsDrawAWarning) {
    EXPECT_TRUE(validator.checkWarnings(u"/"));
    EXPECT_TRUE(validator.checkWarnings(u"/proc"));
    EXPECT_FALSE(validator.checkWarnings(scratch.text()));
    EXPECT_FALSE(validator.checkWarnings(folder("missing")));
    EXPECT_FALSE(validator.checkWarnings(u"relative"));
}

TEST(DefaultFolderValidatorTest, RefusesTheFolderOfTheRunningProgram) {
    const std::u16string executableFolder = fs::read_symlink("/proc/self/exe").parent_path().u16string();
    EXPECT_THROW(FolderValidator().checkRequired(executableFolder, false), FolderIsInstallerRootError);
}

}  // namespace
}  // namespace install::validatefolder
