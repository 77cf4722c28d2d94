// The destination-folder page over the real validators and engine of this machine, on folders
// the test makes: what the doubles beside this file cannot show, that the components fit together.

#include <filesystem>
#include <fstream>

#include "FolderSelectionGateFixture.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "gates/selection/FolderExceptionUtility.h"
#include "install/platformutil/PlatformUtility.h"

namespace selection_test {
namespace {

namespace fs = std::filesystem;
using install::platformutil::PlatformUtility;

// Only the catalogue is the test's own: the installer's catalogue does not lie beside a test.
class CataloguedFolderSelectionGate : public install::product_installer::workflow_utils::FolderSelectionGate {
public:
    using FolderSelectionGate::FolderSelectionGate;

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override {
        return std::make_unique<install::productidentifier::ProductIdentifier>(selectionCatalogue());
    }
};

class RealFoldersTest : public FolderSelectionGateFixture {
protected:
    RealFoldersTest() { PlatformUtility::setInstallationPath(release("installer", 3)); }
    ~RealFoldersTest() override { PlatformUtility::setInstallationPath({}); }

    // A folder with a release file of the update level, as the installer and installations have.
    fs::path release(const std::string& folder, int updateLevel) const {
        std::ofstream(scratch.makeFolder(folder) / "VersionInfo.xml") << [&] {
            std::ostringstream file;
            foundation::release_info::ReleaseInfo(u"R2031a", u"Release", updateLevel).write(file);
            return file.str();
        }();
        return scratch.path() / folder;
    }

    CataloguedFolderSelectionGate realGate{kFolderGate, handler};
};

TEST_F(RealFoldersTest, AMissingFolderIsAcceptedAndCreatedOnlyByThePagesWithoutFolderRules) {
    handler->setUserInputFolder((scratch.path() / "velora").u16string());
    submit(realGate);
    EXPECT_TRUE(accepted());
    EXPECT_FALSE(fs::exists(scratch.path() / "velora")) << "the installation creates it";
    install::product_installer::workflow_utils::FolderExceptionUtility pagesWithoutRules;
    EXPECT_TRUE(pagesWithoutRules.isAValidFolder(handler->getUserInputFolder(), handler,
                                                 std::make_shared<install::tlmx::TlmxUtil>()));
    EXPECT_TRUE(fs::is_directory(scratch.path() / "velora")) << "those pages create it at once";
}

TEST_F(RealFoldersTest, ARuntimeUpdatesItsReleasesFolderAtAnotherUpdateLevel) {
    const auto folder = release("runtime/R2031a", 2);
    scratch.writeFile(
        "runtime/R2031a/installed_products.json",
        R"({"formatVersion": 1, "releaseFamily": "R2031a", "releaseStatus": "Release", "updateLevel": 2,
                          "products": [{"baseCode": "VELORA_RUNTIME", "name": "n", "family": "Velora Runtime"}]})");
    handler->setUserInputFolder((scratch.path() / "runtime").u16string());
    handler->setIsQRTInstallation(true);
    handler->setOfferedProducts({u"VELORA_RUNTIME"});

    submit(realGate);

    EXPECT_TRUE(accepted());
    EXPECT_EQ(handler->getInstallFolder(), folder.u16string());
    EXPECT_EQ(handler->getInstalledProductsReleaseUpdateLevel(), 2);
    EXPECT_EQ(log.lines().front(), u"Update levels of the installer and existing installation are different");
}

}  // namespace
}  // namespace selection_test
