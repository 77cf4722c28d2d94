// The product page's disk-space check for the three kinds of installation: from a folder, silent
// and online (with the temporary folder that holds the downloads).
#include "InstallationManifest.h"
#include "ProductSelectionGateFixture.h"
#include "install/platformutil/SizeFormatter.h"

namespace product_selection_test {
namespace {

using Questions = RecordingDiskSpace::Questions;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Pair;

constexpr std::uint64_t kInstall = 3000;  // three products of 1000 bytes
constexpr std::uint64_t kDownload = 300;  // and 100 bytes to fetch each

class ProductSelectionSpaceTest : public ProductSelectionGateFixture {
protected:
    ProductSelectionSpaceTest() {
        offer({u"VELORA", u"COMPILER", u"FLOWMERE"});
        select({u"VELORA", u"COMPILER", u"FLOWMERE"});
    }

    void online() {
        workflow(kOnline);
        environment.temporaryFolder = temporaryFolder;
    }
    const Questions& questions() const { return *environment.spaceQuestions; }
    std::u16string shortageMessage(const std::u16string& folder, std::uint64_t bytes) const {
        return fl::i18n::message("productSelectionSpaceWarningMsg", folder,
                                 install::platformutil::SizeFormatter::format(bytes));
    }
    void expectShortageWarning(const std::u16string& folder, std::uint64_t bytes) const {
        EXPECT_FALSE(processed());
        EXPECT_EQ(status().getResult(), Result::Warning);
        EXPECT_EQ(independent().getValidationResultType(), validationResultType(15));
        EXPECT_EQ(status().getTitle(), fl::i18n::message("productSelectionSpaceWarningTitle"));
        EXPECT_EQ(status().getMessage(), shortageMessage(folder, bytes));
        ASSERT_THAT(codes(), ElementsAre("830"));
        const auto record = diagnostics.records().back();
        EXPECT_EQ(record["error.2"], "Insufficient disk space");
        EXPECT_EQ(record["error.3"], "");
        EXPECT_EQ(record["error.4"], "ProductSelection::ProductValidator::NotEnoughSpace");
    }

    const std::u16string temporaryFolder = scratch.u16() + u"/tmp";
};

TEST_F(ProductSelectionSpaceTest, TheInstallSizeIsStoredForLaterPages) {
    submit();
    EXPECT_EQ(handler->getRequiredInstallSize(), kInstall);
}

TEST_F(ProductSelectionSpaceTest, FromAFolderOnlyTheInstallFolderIsAskedForTheInstallSize) {
    environment.freeBytes = {{installFolder, kInstall}};
    submit();
    EXPECT_TRUE(processed());
    EXPECT_THAT(questions(), ElementsAre(Pair(installFolder, kInstall)));
}

TEST_F(ProductSelectionSpaceTest, FromAFolderAShortageIsAWarningThatKeepsThePage) {
    environment.freeBytes = {{installFolder, kInstall - 1}};
    submit();
    expectShortageWarning(installFolder, kInstall);
    EXPECT_THAT(log.lines(), testing::Contains(status().getMessage()));
}

TEST_F(ProductSelectionSpaceTest, ASilentShortageIsReportedButTheInstallationGoesOn) {
    workflow(kOnline);
    silent();
    environment.freeBytes = {{installFolder, 10}};

    submit();

    EXPECT_TRUE(processed());
    EXPECT_EQ(status().getResult(), Result::Valid);
    EXPECT_THAT(codes(), ElementsAre("830"));
    EXPECT_EQ(diagnostics.records().back()["error.4"], "ProductSelection::ProductValidator::NotEnoughSpace");
    EXPECT_THAT(log.lines(), testing::Contains(shortageMessage(installFolder, kInstall)));
    EXPECT_THAT(questions(), ElementsAre(Pair(installFolder, kInstall)));
}

TEST_F(ProductSelectionSpaceTest, OnTheSameVolumeTheInstallFolderMustHoldDownloadsAndInstallation) {
    online();
    environment.sameVolume = true;
    environment.freeBytes = {{installFolder, kInstall + kDownload}};

    submit();

    EXPECT_TRUE(processed());
    EXPECT_THAT(questions(), ElementsAre(Pair(installFolder, kInstall + kDownload)));
}

TEST_F(ProductSelectionSpaceTest, OnTheSameVolumeRoomForTheInstallationAloneIsAShortage) {
    online();
    environment.sameVolume = true;
    environment.freeBytes = {{installFolder, kInstall + kDownload - 1}, {temporaryFolder, kPlenty}};

    submit();

    expectShortageWarning(installFolder, kInstall + kDownload);
}

TEST_F(ProductSelectionSpaceTest, OnDifferentVolumesEachFolderIsAskedForItsOwnShare) {
    online();
    environment.sameVolume = false;
    environment.freeBytes = {{installFolder, kInstall}, {temporaryFolder, kDownload}};

    submit();

    EXPECT_TRUE(processed());
    EXPECT_THAT(questions(), ElementsAre(Pair(installFolder, kInstall), Pair(temporaryFolder, kDownload)));
}

TEST_F(ProductSelectionSpaceTest, OnDifferentVolumesATemporaryFolderShortageNamesThatFolder) {
    online();
    environment.sameVolume = false;
    environment.freeBytes = {{installFolder, kPlenty}, {temporaryFolder, kDownload - 1}};

    submit();

    expectShortageWarning(temporaryFolder, kDownload);
}

TEST_F(ProductSelectionSpaceTest, OnDifferentVolumesAnInstallFolderShortageStopsBeforeTheTemporaryFolder) {
    online();
    environment.sameVolume = false;
    environment.freeBytes = {{installFolder, kInstall - 1}, {temporaryFolder, kPlenty}};

    submit();

    expectShortageWarning(installFolder, kInstall);
    EXPECT_THAT(questions(), ElementsAre(Pair(installFolder, kInstall)));
}

TEST_F(ProductSelectionSpaceTest, WithoutATemporaryFolderNoSpaceIsChecked) {
    workflow(kOnline);
    environment.temporaryFolder.clear();
    environment.freeBytes.clear();

    submit();

    EXPECT_TRUE(processed());
    EXPECT_THAT(questions(), IsEmpty());
    EXPECT_THAT(log.lines(),
                testing::Contains(u"there is no temporary directory defined as per fl::filesystem::tmpname "
                                  u" requirement. So no space check will be performed."));
}

TEST_F(ProductSelectionSpaceTest, AnotherWorkflowChecksNoSpace) {
    workflow(u"Vantapak Install");
    environment.freeBytes.clear();

    submit();

    EXPECT_TRUE(processed());
    EXPECT_THAT(questions(), IsEmpty());
}

TEST_F(ProductSelectionSpaceTest, ProductsAlreadyInTheFolderCostNoSpace) {
    install::engine::InstallationManifest record;
    record.addProduct({u"VELORA", u"Velora", u"Velora"});
    record.writeTo(scratch.makeFolder("install"));
    environment.freeBytes = {{installFolder, kInstall - 1000}};

    submit();

    EXPECT_TRUE(processed());
    EXPECT_EQ(handler->getRequiredInstallSize(), kInstall - 1000);
    EXPECT_THAT(questions(), ElementsAre(Pair(installFolder, kInstall - 1000)));
}

}  // namespace
}  // namespace product_selection_test
