#include <gtest/gtest.h>

#include <fstream>

#include <nlohmann/json.hpp>

#include "fl/i18n/Message.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/cpputil/Logger.h"

namespace fl::i18n {
namespace {

TEST(ProductInstallerCatalogue, LiesBesideTheLibrary) {
    EXPECT_TRUE(std::filesystem::exists(resource_directory() / "product_installer_resources.en.json"));
}

TEST(ProductInstallerCatalogue, EveryEnglishTextFormatsWithItsOwnArgumentCount) {
    std::ifstream in(resource_directory() / "product_installer_resources.en.json");
    const auto texts = nlohmann::json::parse(in);
    install::cpputil::logger::ScopedCapture log;
    for (const auto& [key, value] : texts.items()) {
        ASSERT_TRUE(value.is_string()) << key;
        const auto count = argument_count(key);
        ASSERT_TRUE(count.has_value()) << key;
        const fl::i18n::BaseMsgID id = [&] {
            switch (*count) {
                case 0:
                    return fl::i18n::BaseMsgID(key);
                case 1:
                    return fl::i18n::BaseMsgID(key, "A");
                case 2:
                    return fl::i18n::BaseMsgID(key, "A", "B");
                default:
                    return fl::i18n::BaseMsgID(key, "A", "B", "C");
            }
        }();
        EXPECT_LE(*count, 3u) << key;
        EXPECT_EQ(id.resolve().find(u"!!"), std::u16string::npos) << key;
    }
    EXPECT_TRUE(log.lines().empty());
}

struct KeyCase {
    const char* key;
    std::size_t arguments;
};

class ProductInstallerKeys : public ::testing::TestWithParam<KeyCase> {};

// The keys the installer's pages ask for, with the arguments each is given.
TEST_P(ProductInstallerKeys, ExistWithTheirArgumentCount) {
    EXPECT_EQ(argument_count(GetParam().key), GetParam().arguments) << GetParam().key;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ProductInstallerKeys,
    ::testing::Values(
        KeyCase{"connectionErrorMsg", 2}, KeyCase{"connectionErrorTitle", 0}, KeyCase{"ProxyError", 0},
        KeyCase{"folderNonEnglishCharacter", 0}, KeyCase{"folderInvalidCharacterWin", 1},
        KeyCase{"folderNameWithTrailingDots", 0}, KeyCase{"folderWritePermission", 0},
        KeyCase{"folderCreationFailed", 1}, KeyCase{"folderNotAbsolutePath", 0},
        KeyCase{"folderNotADirectory", 0}, KeyCase{"folderContainsUsersDefaultAppData", 0},
        KeyCase{"folderIsInstallerRoot", 0}, KeyCase{"rootDriveWarningMsg", 2},
        KeyCase{"rootDriveWarningTitle", 0}, KeyCase{"overwriteErrorMsg", 0},
        KeyCase{"overwriteErrorTitle", 0}, KeyCase{"controllingProductConflictMsg", 2},
        KeyCase{"productExecutableRunningErrorMsg", 0}, KeyCase{"standardErrorTitle", 0},
        KeyCase{"noProductsAlertMsg", 2}, KeyCase{"noProductsAlertTitle", 0},
        KeyCase{"missingInstallationFilesInteractiveMsg", 2}, KeyCase{"missingInstallationFilesTitle", 0},
        KeyCase{"selectedProductNotAvailable", 1}, KeyCase{"reinstallWarningMsg", 2},
        KeyCase{"reinstallWarningTitle", 0}, KeyCase{"missingControllingProductsMsg", 1},
        KeyCase{"missingDependentProductsMsg", 1}, KeyCase{"missingDependentProductNotInstallableMsg", 1},
        KeyCase{"missingControllingProductNotInstallableMsg", 1}, KeyCase{"productDependenciesTitle", 0},
        KeyCase{"productSelectionSpaceWarningMsg", 1}, KeyCase{"productSelectionSpaceWarningTitle", 0},
        KeyCase{"privacyPolicyURL", 2}, KeyCase{"ServiceErrorTitle", 0}, KeyCase{"LMServiceExistsMessage", 1},
        KeyCase{"agreeToLicenseErrorMsg", 0}, KeyCase{"confirmationTitle", 0},
        KeyCase{"destinationFolderTitle", 1}, KeyCase{"userAppDestinationFolderTitle", 1},
        KeyCase{"additionalProductsMsgPartOne", 1}, KeyCase{"additionalProductsMsgPartTwo", 0},
        KeyCase{"VantapakAdditionalProductsMsgPartTwo", 0}, KeyCase{"runtimeAlreadyUpToDateMsg", 1},
        KeyCase{"productsTitle", 0}, KeyCase{"numberOfProductsSelectedMsg", 2},
        KeyCase{"VeloraRuntimeProductMsg", 2}, KeyCase{"platformsTitle", 0}, KeyCase{"Windows", 0},
        KeyCase{"Linux", 0}, KeyCase{"macOS_Intel_processor", 0}, KeyCase{"macOS_Apple_silicon", 0},
        KeyCase{"requiredSizeMsg", 1}, KeyCase{"missingFileTitle", 0}, KeyCase{"missingFileMessage", 3},
        KeyCase{"DownloadErrorTitle", 0}, KeyCase{"DownloadErrorMsg", 2}, KeyCase{"ExtractErrorTitle", 0},
        KeyCase{"ExtractErrorMsg", 2}, KeyCase{"InvalidSignatureErrorMsg", 2}, KeyCase{"progressErrorMsg", 2},
        KeyCase{"downloadCompletedMessage", 0}, KeyCase{"installCompletedMessage", 0},
        KeyCase{"uninstallCompletedMessage", 0}, KeyCase{"progressMessage", 2}, KeyCase{"downloadTitle", 0},
        KeyCase{"installTitle", 0}, KeyCase{"uninstallTitle", 0}, KeyCase{"downloadInstallerTitle", 0},
        KeyCase{"downloadInstallerMessage", 0}, KeyCase{"installerDownloadFailedTitle", 0},
        KeyCase{"installerDownloadFailedMessage", 2}, KeyCase{"installerExtractionInstruction", 2},
        KeyCase{"alreadyHasRuntimeMsg", 2}, KeyCase{"runtimeIncompatibleMsg", 3},
        KeyCase{"vantapakIncompatibleMsg", 3}, KeyCase{"existingSystemPathTooLong", 1},
        KeyCase{"insufficientDiskSpace", 2}),
    [](const auto& info) { return std::string(info.param.key); });

TEST(ProductInstallerCatalogue, FolderMessageShowsThePathItIsGiven) {
    install::cpputil::installer_locale::setLocale(u"en_US");
    const std::u16string folder = u"/opt/Velora/R2026a";
    EXPECT_NE(fl::i18n::message("folderCreationFailed", folder).find(folder), std::u16string::npos);
}

}  // namespace
}  // namespace fl::i18n
