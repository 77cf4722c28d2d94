#include "install/validatefolder/DestinationContentValidator.h"

#include <gtest/gtest.h>

#include <fstream>

#include "InstallationManifest.h"
#include "ScratchFolder.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::validatefolder {
namespace {

namespace fs = std::filesystem;
using foundation::release_info::ReleaseInfo;

const ReleaseInfo kInstallerRelease(u"R2025a", u"Release", 2);

class DestinationContentValidatorTest : public testing::Test {
protected:
    void installHere(const std::u16string& releaseFamily, const std::u16string& releaseStatus,
                     std::int32_t level) {
        engine::InstallationManifest manifest;
        manifest.setRelease(releaseFamily, releaseStatus, level);
        manifest.addProduct({u"VELORA", u"Velora", u"Velora"});
        manifest.writeTo(folder.path());
    }

    void validate(const std::u16string& installed = u"Velora",
                  const std::u16string& offered = u"Velora") const {
        DestinationContentValidator(folder.text(), kInstallerRelease).validate(installed, offered);
    }

    install::test::ScratchFolder folder;
};

TEST_F(DestinationContentValidatorTest, AMissingOrEmptyFolderHasNothingToConflictWith) {
    EXPECT_NO_THROW(DestinationContentValidator((folder.path() / "missing").u16string(), kInstallerRelease)
                        .validate(u"", u"Velora"));
    EXPECT_NO_THROW(validate(u"", u"Velora"));
}

TEST_F(DestinationContentValidatorTest, ForeignFilesWouldBeOverwritten) {
    folder.writeFile("notes.txt", "mine");
    EXPECT_THROW(validate(u"", u"Velora"), OverwriteException);
}

TEST_F(DestinationContentValidatorTest, AnUnreadableRecordCountsAsForeignFiles) {
    folder.writeFile(engine::InstallationManifest::kFileName, "{ not json");
    EXPECT_THROW(validate(), OverwriteException);
}

TEST_F(DestinationContentValidatorTest, AFileInsteadOfAFolderWouldBeOverwritten) {
    const fs::path file = folder.writeFile("file", "x");
    EXPECT_THROW(DestinationContentValidator(file.u16string(), kInstallerRelease).validate(u"", u"Velora"),
                 OverwriteException);
}

TEST_F(DestinationContentValidatorTest, AnInstallationOfTheSameReleaseFits) {
    installHere(u"R2025a", u"Release", 2);
    folder.writeFile("bin/velora", "program");
    EXPECT_NO_THROW(validate());
}

TEST_F(DestinationContentValidatorTest, AnotherControllingFamilyConflicts) {
    installHere(u"R2025a", u"Release", 2);
    EXPECT_THROW(validate(u"Velora", u"Velora Parallel Server"), ControllingProductsMismatchException);
    EXPECT_NO_THROW(validate(u"", u"Velora Parallel Server"));
}

TEST_F(DestinationContentValidatorTest, AnotherReleaseFamilyOrStatusConflicts) {
    installHere(u"R2024b", u"Release", 2);
    EXPECT_THROW(validate(), ReleaseStatusMismatchException);
    installHere(u"R2025a", u"Prerelease", 2);
    EXPECT_THROW(validate(), ReleaseStatusMismatchException);
}

TEST_F(DestinationContentValidatorTest, AnotherUpdateLevelConflictsLast) {
    installHere(u"R2025a", u"Release", 1);
    EXPECT_THROW(validate(), UpdateLevelMismatchException);
    EXPECT_THROW(validate(u"Velora", u"License Manager"), ControllingProductsMismatchException);
}

TEST_F(DestinationContentValidatorTest, WithoutAnInstallerReleaseOnlyFamiliesAreCompared) {
    installHere(u"R2019a", u"Prerelease", 9);
    EXPECT_NO_THROW(DestinationContentValidator(folder.text(), std::nullopt).validate(u"Velora", u"Velora"));
}

TEST_F(DestinationContentValidatorTest, TheInstallersReleaseIsReadFromItsOwnFolder) {
    install::test::ScratchFolder installer;
    platformutil::PlatformUtility::setInstallationPath(installer.path());
    installHere(u"R2025a", u"Release", 2);
    // No "VersionInfo.xml" beside the installer: nothing to compare the release with.
    EXPECT_NO_THROW(DestinationContentValidator(folder.text()).validate(u"Velora", u"Velora"));

    installer.writeFile("VersionInfo.xml",
                        "<VersionInfo><Release>R2025a</Release><ReleaseStatus>Release"
                        "</ReleaseStatus><UpdateLevel>3</UpdateLevel></VersionInfo>");
    EXPECT_THROW(DestinationContentValidator(folder.text()).validate(u"Velora", u"Velora"),
                 UpdateLevelMismatchException);

    installer.writeFile("VersionInfo.xml", "<VersionInfo><Release>");
    EXPECT_THROW(DestinationContentValidator(folder.text()).validate(u"Velora", u"Velora"),
                 foundation::release_info::ReleaseInfoException);
    platformutil::PlatformUtility::setInstallationPath({});
}

}  // namespace
}  // namespace install::validatefolder
