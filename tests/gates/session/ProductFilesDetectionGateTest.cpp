// The product-archive check: which directory entries count as archives, where the gate looks,
// and what it reports when it finds none.
#include <gmock/gmock.h>

#include <ostream>
#include <string>
#include <vector>

#include "gates/session/ProductFilesDetectionGate.h"
#include "support/ModelFixture.h"
#include "support/ScratchFolder.h"
#include "workflow_core/PathJoin.h"

namespace {

using install::product_installer::workflow_utils::joinPath;
using install::product_installer::workflow_utils::ProductFilesDetectionGate;
using testing::ElementsAre;
using workflow_test::PrintTo;

class InspectableGate : public ProductFilesDetectionGate {
public:
    using ProductFilesDetectionGate::hasAtleastOneComponent;
    using ProductFilesDetectionGate::ProductFilesDetectionGate;
};

class ProductFilesDetectionGateTest : public workflow_test::ModelFixture {
protected:
    ProductFilesDetectionGateTest() { independent().setPackagesRoot(packages.u16()); }

    workflow_test::ScratchFolder packages;
    InspectableGate gate{u"ProductFilesDetectionGate", handler};
};

const std::string kNoFiles =
    "240|Unable to load product files||"
    "ProductFilesDetection::ProductFilesDetectionGate::CheckAvailableProducts::MissingInstallationFiles";

struct Entry {
    const char* name;
    std::string path;  // below the packages root; a trailing slash makes it a folder
    bool isArchive;
};

class ArchiveEntryTest : public ProductFilesDetectionGateTest, public testing::WithParamInterface<Entry> {};

TEST_P(ArchiveEntryTest, SkipsTheGateExactlyWhenAnArchiveIsFound) {
    GetParam().path.ends_with('/') ? (void)packages.makeFolder(GetParam().path)
                                   : (void)packages.writeFile(GetParam().path);
    EXPECT_EQ(gate.checkIfShouldBeSkipped(), GetParam().isArchive);
    if (GetParam().isArchive) {
        EXPECT_THAT(log.lines(), ElementsAre(u"Found at least one product to install."));
        EXPECT_TRUE(recordTexts().empty());
    } else {
        EXPECT_TRUE(log.lines().empty());
        EXPECT_THAT(recordTexts(), ElementsAre(kNoFiles));
    }
}

INSTANTIATE_TEST_SUITE_P(Entries, ArchiveEntryTest,
                         testing::Values(Entry{"ArchiveInTheRoot", "product.enc", true},
                                         Entry{"ArchiveOnlyInCommon", "common/shared.enc", true},
                                         Entry{"FolderNamedLikeAnArchive", "x.enc/", true},
                                         Entry{"UpperCaseExtension", "product.ENC", false},
                                         Entry{"ArchiveTwoLevelsDown", "sub/product.enc", false}),
                         workflow_test::rowName);

TEST_F(ProductFilesDetectionGateTest, WithoutArchivesAFolderRunAlsoReportsTheMissingInstallationFiles) {
    independent().setInitialWorkflow(u"Interactive Install From Folder");
    handler->setWorkflow(u"DownloadOnly");  // the initial workflow decides, not the current one
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    EXPECT_THAT(
        recordTexts(),
        ElementsAre(
            kNoFiles,
            "3000|Installer is unable to connect to Kestrelix or missing installation files||"
            "ProductFilesDetection::ProductFilesDetectionGate::ConnectionFailedOrMissingInstallationFiles"));
}

TEST_F(ProductFilesDetectionGateTest, AFolderThatIsMissingOrCannotBeListedHoldsNoArchive) {
    independent().setPackagesRoot(joinPath(packages.u16(), u"missing"));
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    // A file where a folder is expected exists but cannot be listed: the search ends there.
    workflow_test::ScratchFolder other;
    other.writeFile("tool.enc");
    EXPECT_FALSE(gate.hasAtleastOneComponent({packages.writeFile("packages.txt").u16string(), other.u16()}));
    EXPECT_TRUE(gate.hasAtleastOneComponent({u"", other.u16()}));
    EXPECT_THAT(recordTexts(), ElementsAre(kNoFiles));
}

}  // namespace
