// The destination-folder page over the real folder validator, content validator, engine and
// process table of this machine, on folders the test makes: whatever a user types ends as an
// answer in the model, never as a crash.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>

#include "FolderSelectionGateFixture.h"
#include "fl/i18n/Message.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "gates/selection/FolderSelectionGate.h"
#include "install/cpputil/InstallerException.h"
#include "install/engine/EngineExceptions.h"
#include "install/platformutil/PlatformUtility.h"
#include "install/validatefolder/FolderValidator.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using install::platformutil::PlatformUtility;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Return;
using workflow_test::ScopedEnvironmentVariable;
using workflow_test::ScratchFolder;
using workflow_test::ShownStatus;

// The installer's own release, as the file beside the installer states it.
constexpr int kInstallerUpdateLevel = 3;

class RealFoldersTest : public workflow_test::FolderSelectionGateFixture {
protected:
    RealFoldersTest() {
        gate.folderValidator = nullptr;
        gate.contentValidator = nullptr;
        gate.engine = nullptr;
        gate.runningProcess = nullptr;
        gate.directoryProvider = nullptr;
        writeRelease(scratch.makeFolder("installer"), u"R2031a", kInstallerUpdateLevel);
        PlatformUtility::setInstallationPath(scratch.path() / "installer");
        scratch.makeFolder("appdata");
    }
    ~RealFoldersTest() override { PlatformUtility::setInstallationPath({}); }

    static void writeRelease(const fs::path& folder, const std::u16string& family, int updateLevel) {
        std::ofstream file(folder / "VersionInfo.xml");
        foundation::release_info::ReleaseInfo(family, u"Release", updateLevel).write(file);
    }
    // An installation as the engine leaves it: its record and its release file.
    fs::path installation(const std::string& name, const std::string& baseCode, const std::string& family,
                          int updateLevel, const std::string& releaseFamily = "R2031a") const {
        const auto folder = scratch.makeFolder(name);
        scratch.writeFile(name + "/installed_products.json",
                          R"({"formatVersion": 1, "releaseFamily": ")" + releaseFamily +
                              R"(", "releaseStatus": "Release", "updateLevel": )" +
                              std::to_string(updateLevel) + R"(, "products": [{"baseCode": ")" + baseCode +
                              R"(", "name": "n", "family": ")" + family + R"("}]})");
        writeRelease(folder, fl::i18n::to_u16string(releaseFamily), updateLevel);
        return folder;
    }

    ScratchFolder scratch;
    ScopedEnvironmentVariable dataHome{"XDG_DATA_HOME", (scratch.path() / "appdata").string()};
    ScopedEnvironmentVariable configHome{"XDG_CONFIG_HOME", (scratch.path() / "config").string()};
};

// --- whatever a user types ---

struct TypedPath {
    std::string name;
    std::function<std::u16string(const ScratchFolder&)> folder;
    std::string code;
    std::function<std::u16string(const std::u16string&)> message;
    friend void PrintTo(const TypedPath& row, std::ostream* out) { *out << row.name; }
};

class TypedPathTest : public RealFoldersTest, public testing::WithParamInterface<TypedPath> {};

TEST_P(TypedPathTest, EndsAsAFolderFailureAndARecord) {
    const auto folder = GetParam().folder(scratch);
    choose(folder);

    ASSERT_NO_THROW(gate.processData());

    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 3, GetParam().message(folder), u""}));
    ASSERT_EQ(errorRecords().size(), 1u);
    EXPECT_EQ(errorRecords()[0].code, GetParam().code);
    EXPECT_FALSE(errorRecords()[0].details.empty());
    EXPECT_FALSE(processed());
    EXPECT_EQ(handler->getInstallFolder(), folder);
}

std::u16string below(const ScratchFolder& scratch, const std::u16string& relative) {
    return scratch.u16() + u"/" + relative;
}

std::function<std::u16string(const std::u16string&)> says(std::string key) {
    return [key = std::move(key)](const std::u16string&) { return fl::i18n::message(key); };
}

std::u16string creationFailed(const std::u16string& folder) {
    return fl::i18n::message("folderCreationFailed", folder);
}

std::u16string invalidCharacters(const std::u16string&) {
    return fl::i18n::message("folderInvalidCharacterWin", "'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'");
}

std::u16string tooDeep(const ScratchFolder& scratch) {
    auto folder = scratch.u16();
    while (folder.size() < 5000) folder += u"/" + std::u16string(50, u'd');
    return folder;
}

INSTANTIATE_TEST_SUITE_P(
    Typed, TypedPathTest,
    testing::Values(
        TypedPath{"Empty", [](const auto&) { return std::u16string(); }, "640",
                  says("folderNotAbsolutePath")},
        TypedPath{"Relative", [](const auto&) { return std::u16string(u"velora/R2031a"); }, "640",
                  says("folderNotAbsolutePath")},
        TypedPath{"WindowsStyle", [](const auto&) { return std::u16string(u"C:\\Program Files\\Velora"); },
                  "640", says("folderNotAbsolutePath")},
        TypedPath{"FourThousandCharacters",
                  [](const auto& s) { return below(s, std::u16string(4000, u'x')); }, "630", creationFailed},
        TypedPath{"DeeperThanTheSystemAllows", tooDeep, "630", creationFailed},
        TypedPath{"NonAscii", [](const auto& s) { return below(s, u"Programme/V\u00e9lora"); }, "600",
                  says("folderNonEnglishCharacter")},
        TypedPath{"UnpairedSurrogate", [](const auto& s) { return below(s, u"velora\xD800"); }, "600",
                  says("folderNonEnglishCharacter")},
        TypedPath{"TrailingDots", [](const auto& s) { return below(s, u"velora../R2031a"); }, "610",
                  says("folderNameWithTrailingDots")},
        TypedPath{"ForbiddenCharacter", [](const auto& s) { return below(s, u"velora|tee"); }, "610",
                  invalidCharacters},
        TypedPath{"ExistingFile", [](const auto& s) { return s.writeFile("a-file", "x").u16string(); }, "650",
                  says("folderNotADirectory")},
        TypedPath{"BelowAnExistingFile",
                  [](const auto& s) { return s.writeFile("plain", "x").u16string() + u"/velora"; }, "650",
                  says("folderNotADirectory")},
        TypedPath{"FolderRefusingWrites", [](const auto&) { return std::u16string(u"/proc"); }, "620",
                  says("folderWritePermission")},
        TypedPath{"MissingBelowAFolderRefusingWrites",
                  [](const auto&) { return std::u16string(u"/proc/velora"); }, "620",
                  says("folderWritePermission")},
        TypedPath{"InsideTheUsersApplicationData", [](const auto& s) { return below(s, u"appdata/velora"); },
                  "730", says("folderContainsUsersDefaultAppData")},
        TypedPath{"TheInstallersOwnFolder", [](const auto& s) { return below(s, u"installer"); }, "740",
                  says("folderIsInstallerRoot")}),
    [](const testing::TestParamInfo<TypedPath>& info) { return info.param.name; });

TEST_F(RealFoldersTest, AFolderWithoutWritePermissionIsRefused) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not hold back the superuser (see FolderRefusingWrites)";
    const auto folder = scratch.makeFolder("read-only");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    choose(folder.u16string());

    ASSERT_NO_THROW(gate.processData());

    EXPECT_EQ(status().message, fl::i18n::message("folderWritePermission"));
    fs::permissions(folder, fs::perms::owner_all);
}

// --- usable folders ---

TEST_F(RealFoldersTest, AMissingFolderIsAcceptedWithoutBeingCreated) {
    const auto folder = scratch.path() / "velora" / "R2031a";
    choose(folder.u16string());

    gate.processData();

    EXPECT_TRUE(acceptedOnce());
    EXPECT_FALSE(fs::exists(folder)) << "the installation creates it";
    EXPECT_EQ(handler->getInstalledProductsReleaseUpdateLevel(), -1);
}

TEST_F(RealFoldersTest, TheProposedFolderFollowsThisMachinesConventions) {
    handler->resetInstallFolderModel();
    gate.setDefaultData();
    const auto expected = install::platformutil::DefaultDirectoryProvider().getPlatformInstallationDirectory(
                              install::platformutil::Platform::Linux) +
                          u"/velora/R2031a";
    EXPECT_EQ(handler->getDefaultFolder(), expected);
    EXPECT_EQ(handler->getUserInputFolder(), expected);
}

TEST_F(RealFoldersTest, AFolderHoldingOtherFilesIsNotOverwritten) {
    scratch.writeFile("used/notes.txt", "mine");
    choose((scratch.path() / "used").u16string());

    gate.processData();

    EXPECT_EQ(status().resultType, 8);
    EXPECT_EQ(errorRecords().at(0).code, "700");
    EXPECT_FALSE(processed());
}

TEST_F(RealFoldersTest, AParallelServerJoinsAnInstalledVelora) {
    choose(installation("velora", "VELORA", "Velora", kInstallerUpdateLevel).u16string());
    handler->setOfferedProducts({u"VELORA_PARALLEL_SERVER"});

    gate.processData();

    EXPECT_TRUE(acceptedOnce());
    EXPECT_THAT(handler->getInstalledProducts(), ElementsAre(u"VELORA"));
    EXPECT_EQ(handler->getInstalledProductsReleaseUpdateLevel(), kInstallerUpdateLevel);
}

TEST_F(RealFoldersTest, AnotherProductFamilyIsNotMixedIn) {
    choose(installation("velora", "VELORA", "Velora", kInstallerUpdateLevel).u16string());
    handler->setOfferedProducts({u"QUARRIX"});

    gate.processData();

    EXPECT_EQ(status(),
              (ShownStatus{Result::Failure, 12,
                           fl::i18n::message("controllingProductConflictMsg", u"Quarrix", u"Velora"), u""}));
    EXPECT_EQ(errorRecords().at(0).code, "660");
}

TEST_F(RealFoldersTest, AnotherReleaseIsNotMixedIn) {
    choose(installation("velora", "VELORA", "Velora", kInstallerUpdateLevel, "R2029b").u16string());
    gate.processData();
    EXPECT_EQ(errorRecords().at(0).code, "670");
    EXPECT_FALSE(processed());
}

TEST_F(RealFoldersTest, LocalArchivesCannotChangeTheUpdateLevel) {
    choose(installation("velora", "VELORA", "Velora", kInstallerUpdateLevel - 1).u16string());
    gate.processData();
    EXPECT_EQ(errorRecords().at(0).code, "710");
    EXPECT_EQ(status().resultType, 8);
}

TEST_F(RealFoldersTest, ARuntimeUpdatesAnInstallationAtAnotherUpdateLevel) {
    // The runtime goes into the release's folder below the one chosen.
    installation("runtime/R2031a", "VELORA_RUNTIME", "Velora Runtime", kInstallerUpdateLevel - 1);
    choose((scratch.path() / "runtime").u16string());
    handler->setIsQRTInstallation(true);
    handler->setOfferedProducts({u"VELORA_RUNTIME"});

    gate.processData();

    EXPECT_TRUE(acceptedOnce());
    EXPECT_EQ(handler->getInstallFolder(), (scratch.path() / "runtime" / "R2031a").u16string());
    EXPECT_EQ(handler->getInstalledProductsReleaseUpdateLevel(), kInstallerUpdateLevel - 1);
    EXPECT_THAT(logLines(),
                ElementsAre(u"Update levels of the installer and existing installation are different",
                            u"Folder validation is successful."));
}

TEST_F(RealFoldersTest, AnUnreadableInstallationRecordLeavesAsTheEnginesOwnFailure) {
    scratch.writeFile("broken/installed_products.json", "{ not json");
    choose((scratch.path() / "broken").u16string());

    EXPECT_THROW(gate.processData(), install::engine::EngineInvalidInstalledProductsException);

    EXPECT_THAT(logLines(), ElementsAre(u"Failed to retrieve installed products"));
    EXPECT_FALSE(processed());
}

TEST_F(RealFoldersTest, AProductRunningOnThisMachineHoldsTheInstallationBack) {
    // The product's executable is named after this test program, which is certainly running.
    const auto ownName = fs::read_symlink("/proc/self/exe").filename().u16string();
    gate.catalogue = workflow_test::folderTestCatalogue(u"bin\\windows\\" + ownName);
    choose((scratch.path() / "velora").u16string());

    gate.processData();

    EXPECT_EQ(status(),
              (ShownStatus{Result::Failure, 1, fl::i18n::message("productExecutableRunningErrorMsg"),
                           fl::i18n::message("standardErrorTitle")}));
    EXPECT_FALSE(processed());
}

TEST_F(RealFoldersTest, AFileSystemRootIsWarnedAboutOnce) {
    const std::u16string root = u"/dev/shm";
    if (!install::validatefolder::FolderValidator().checkWarnings(root) || ::access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no writable mount point to try";
    }
    // Whatever else lives there is not this test's concern.
    gate.contentValidator = std::make_shared<testing::NiceMock<workflow_test::MockContentValidator>>();
    choose(root);

    gate.processData();
    EXPECT_EQ(status().result, Result::Warning);
    EXPECT_EQ(status().resultType, 4);
    EXPECT_FALSE(processed());

    gate.processData();
    EXPECT_TRUE(acceptedOnce());
}

}  // namespace
