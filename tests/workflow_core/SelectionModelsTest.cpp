// The product selection, option selection and folder elements: initializers keep what the user
// entered, resets discard it and mark the data modified.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "support/ModelFixture.h"
#include "support/SubstituteHandler.h"

namespace {

using install::datamodels::product_installer::OptionType;
using install::datamodels::product_installer::ProductSelection;
using install::product_installer::workflow_utils::DataModelHandler;
using testing::ElementsAre;
using testing::IsEmpty;
using workflow_test::ModelFixture;
using workflow_test::SubstituteHandler;

class ProductSelectionTest : public ModelFixture {
protected:
    void SetUp() override { handler->initializeProductSelectionModel(); }
    ProductSelection selection() const { return dependent().getProductSelection(); }
};

TEST_F(ProductSelectionTest, InitializeCreatesASelectionWithoutAcknowledgement) {
    ASSERT_TRUE(dependent().hasProductSelection());
    EXPECT_FALSE(handler->isOverwriteWarningAcknowledged());
    EXPECT_TRUE(selection().id().is_nil());
}

TEST_F(ProductSelectionTest, InitializeAgainKeepsTheSelectionButClearsTheAcknowledgement) {
    const auto existing = selection();
    handler->initializeSelectedProducts({u"VELORA", u"SIMULINK"});
    handler->setIsMinimalProductMode(true);
    existing.setOverwriteAcknowledgement(true);

    handler->initializeProductSelectionModel();

    EXPECT_TRUE(selection() == existing);
    EXPECT_THAT(handler->getSelectedProducts(), testing::UnorderedElementsAre(u"VELORA", u"SIMULINK"));
    EXPECT_TRUE(handler->getIsMinimalProductMode());
    EXPECT_FALSE(handler->isOverwriteWarningAcknowledged());
}

TEST_F(ProductSelectionTest, ResetDiscardsTheSelection) {
    const auto existing = selection();
    handler->initializeSelectedProducts({u"VELORA"});
    existing.setOverwriteAcknowledgement(true);

    handler->resetProductSelectionModel();

    EXPECT_FALSE(selection() == existing);
    EXPECT_THAT(handler->getSelectedProducts(), IsEmpty());
    EXPECT_FALSE(handler->isOverwriteWarningAcknowledged());
}

TEST_F(ProductSelectionTest, ProductsToDisplayAreCreatedUnattachedThenReplaceTheList) {
    const auto first = handler->initializeProductToDisplay(u"VELORA", u"Velora");
    const auto second = handler->initializeProductToDisplay(u"SIMULINK", u"Simulink Blocks");
    EXPECT_EQ(first.getBaseCode(), u"VELORA");
    EXPECT_EQ(second.getProductName(), u"Simulink Blocks");
    EXPECT_EQ(selection().getProductToDisplayList().size(), 0u);

    handler->initializeProductsToDisplayList({handler->initializeProductToDisplay(u"OLD", u"Old")});
    handler->initializeProductsToDisplayList({second, first});

    const auto list = selection().getProductToDisplayList().values();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_TRUE(list[0] == second);
    EXPECT_TRUE(list[1] == first);
}

TEST_F(ProductSelectionTest, SizesHoldTheFullUnsignedRange) {
    const unsigned long long huge = std::numeric_limits<std::uint64_t>::max();
    handler->setRequiredInstallSize(huge);
    handler->setRequiredDownloadSize(huge - 1);
    EXPECT_EQ(handler->getRequiredInstallSize(), huge);
    EXPECT_EQ(handler->getRequiredDownloadSize(), huge - 1);
}

TEST_F(ProductSelectionTest, FlagsReadBack) {
    handler->setMissingProductWarning(true);
    handler->setMissingNotInstalledShown(true);
    handler->setHasEnoughSpaceFlag(true);
    EXPECT_TRUE(selection().getIsMissingProducts());
    EXPECT_TRUE(handler->isMissingProductWarningShown());
    EXPECT_TRUE(handler->isMissingNotInstalledShown());
    EXPECT_TRUE(handler->getHasEnoughSpace());
    EXPECT_FALSE(handler->getIsAgreeToLicense());
    independent().setIsAgreeToLicense(true);
    EXPECT_TRUE(handler->getIsAgreeToLicense());
}

// The four missing-product operations find the selection through the virtual getter.
class RedirectedSelectionHandler : public SubstituteHandler {
public:
    ProductSelection getProductSelectionObjectFromDataModel() const override { return redirected; }
    ProductSelection redirected = ProductSelection::create(getModelInstance(), tq::zero::nilUuid());
};

TEST(SubstituteSelectionTest, MissingProductFlagsGoThroughTheSelectionGetter) {
    RedirectedSelectionHandler handler;
    handler.initializeProductSelectionModel();
    const auto stored = handler.installerModel().root.getWorkflowDependentData().getProductSelection();

    handler.setMissingProductWarning(true);
    handler.setMissingNotInstalledShown(true);

    EXPECT_TRUE(handler.redirected.getIsMissingProducts());
    EXPECT_TRUE(handler.redirected.getIsMissingNotInstalled());
    EXPECT_FALSE(stored.getIsMissingProducts());
    EXPECT_FALSE(stored.getIsMissingNotInstalled());
    EXPECT_TRUE(handler.isMissingProductWarningShown());
    EXPECT_TRUE(handler.isMissingNotInstalledShown());
}

// --- options ---

class OptionSelectionTest : public ModelFixture {
protected:
    void SetUp() override { handler->initializeOptionSelectionModel(); }
};

TEST_F(OptionSelectionTest, OptionListGrowsByInsertAndEmptiesOnClear) {
    handler->insertIntoOptionToDisplayList(
        handler->createOptionToDisplay(OptionType::DesktopShortcut, false));
    handler->insertIntoOptionToDisplayList(handler->createOptionToDisplay(OptionType::SymbolicLink, true));
    EXPECT_EQ(handler->getOptionToDisplayListSize(), 2);

    const auto list = dependent().getOptionSelection().getOptionToDisplayList().values();
    EXPECT_EQ(list[0].getOptionType(), OptionType::DesktopShortcut);
    EXPECT_FALSE(list[0].getIsViewOnly());
    EXPECT_EQ(list[1].getOptionType(), OptionType::SymbolicLink);
    EXPECT_TRUE(list[1].getIsViewOnly());

    handler->clearOptionsToDisplayList();
    EXPECT_EQ(handler->getOptionToDisplayListSize(), 0);
    handler->insertIntoOptionToDisplayList(handler->createOptionToDisplay(OptionType::ImproveVelora, false));
    EXPECT_EQ(handler->getOptionToDisplayListSize(), 1);
}

TEST_F(OptionSelectionTest, CreatedOptionIsNotInsertedByItself) {
    (void)handler->createOptionToDisplay(OptionType::StartMenuShortcut, false);
    EXPECT_EQ(handler->getOptionToDisplayListSize(), 0);
}

TEST_F(OptionSelectionTest, InitializeAgainKeepsChoicesResetDiscardsThem) {
    handler->setSymbolicLinkPath(u"/usr/local/bin");
    handler->setIsSymbolicLinkSelected(true);
    handler->setIsDesktopShortcutSelected(true);
    handler->setIsImproveVeloraSelected(true);
    handler->setIsConfigureLMAsServiceSelected(true);

    handler->initializeOptionSelectionModel();
    EXPECT_EQ(handler->getSymbolicLinkPath(), u"/usr/local/bin");
    EXPECT_TRUE(handler->isSymbolicLinkSelected());
    EXPECT_TRUE(handler->isDesktopShortcutSelected());
    EXPECT_TRUE(handler->isImproveVeloraSelected());
    EXPECT_TRUE(handler->getIsConfigureLMAsServiceSelected());

    handler->resetOptionSelectionModel();
    EXPECT_EQ(handler->getSymbolicLinkPath(), u"");
    EXPECT_FALSE(handler->isSymbolicLinkSelected());
    EXPECT_FALSE(handler->isDesktopShortcutSelected());
    EXPECT_FALSE(handler->isImproveVeloraSelected());
    EXPECT_FALSE(handler->getIsConfigureLMAsServiceSelected());
}

TEST_F(OptionSelectionTest, WriteOnlyOptionsLandInTheModel) {
    handler->setIsStartMenuShortcutSelected(true);
    handler->setPrivacyPolicyToDisplay(u"We collect usage data only with consent.");
    const auto options = handler->getOptionSelection();
    EXPECT_TRUE(options.getIsStartMenuShortcutSelected());
    EXPECT_EQ(options.getPrivacyPolicyToDisplay(), u"We collect usage data only with consent.");
}

// --- folders ---

class FolderModelTest : public ModelFixture {};

TEST_F(FolderModelTest, InstallFolderInitializeKeepsResetDiscards) {
    handler->initializeInstallFolderModel();
    handler->setDefaultFolder(u"/opt/velora");
    handler->setUserInputFolder(u"/home/ada/velora");
    handler->setInstallFolder(u"/home/ada/velora/R2031");
    handler->setRootDriveWarningAcknowledgementToTrue();

    handler->initializeInstallFolderModel();
    EXPECT_EQ(handler->getDefaultFolder(), u"/opt/velora");
    EXPECT_EQ(handler->getUserInputFolder(), u"/home/ada/velora");
    EXPECT_EQ(handler->getInstallFolder(), u"/home/ada/velora/R2031");
    EXPECT_TRUE(handler->isRootDriveWarningAcknowledged());

    handler->resetInstallFolderModel();
    EXPECT_EQ(handler->getDefaultFolder(), u"");
    EXPECT_EQ(handler->getInstallFolder(), u"");
    EXPECT_FALSE(handler->isRootDriveWarningAcknowledged());
}

TEST_F(FolderModelTest, DownloadFolderInitializeKeepsResetDiscards) {
    handler->initializeDownloadFolderModel();
    handler->setDefaultDownloadFolder(u"/home/ada/Downloads");
    handler->setUserGivenDownloadFolder(u"/data/velora");
    handler->setInstallerExtractionInstruction(u"Unpack the archive, then start the installer.");

    handler->initializeDownloadFolderModel();
    EXPECT_EQ(handler->getDefaultDownloadFolder(), u"/home/ada/Downloads");
    EXPECT_EQ(handler->getUserGivenDownloadFolder(), u"/data/velora");
    EXPECT_EQ(dependent().getDownloadFolder().getExtractionInstruction(),
              u"Unpack the archive, then start the installer.");

    handler->resetDownloadFolderModel();
    EXPECT_EQ(handler->getDefaultDownloadFolder(), u"");
    EXPECT_EQ(handler->getUserGivenDownloadFolder(), u"");
}

// --- every reset marks the data modified ---

struct ResetCase {
    const char* label;
    std::function<void(const DataModelHandler&)> reset;
};

class ResetMarksModifiedTest : public ModelFixture, public testing::WithParamInterface<ResetCase> {};

TEST_P(ResetMarksModifiedTest, SetsTheDataModifiedFlag) {
    applicationData().setIsDataModified(false);
    GetParam().reset(*handler);
    EXPECT_TRUE(applicationData().getIsDataModified());
}

TEST_P(ResetMarksModifiedTest, WorksWithoutAnEarlierInitialize) {
    EXPECT_NO_THROW(GetParam().reset(*handler));
}

INSTANTIATE_TEST_SUITE_P(
    Resets, ResetMarksModifiedTest,
    testing::Values(ResetCase{"ProductSelection", [](const auto& h) { h.resetProductSelectionModel(); }},
                    ResetCase{"OptionSelection", [](const auto& h) { h.resetOptionSelectionModel(); }},
                    ResetCase{"InstallFolder", [](const auto& h) { h.resetInstallFolderModel(); }},
                    ResetCase{"DownloadFolder", [](const auto& h) { h.resetDownloadFolderModel(); }},
                    ResetCase{"ConfirmationItems", [](const auto& h) { h.resetConfirmationItems(); }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(InitializersTest, ModelSelectionAndFolderInitializersDoNotMarkDataModified) {
    SubstituteHandler handler;
    const auto application = handler.installerModel().root.getWorkflowIndependentData().getApplicationData();
    application.setIsDataModified(false);
    handler.initializeProductSelectionModel();
    handler.initializeOptionSelectionModel();
    handler.initializeInstallFolderModel();
    handler.initializeDownloadFolderModel();
    EXPECT_FALSE(application.getIsDataModified());
}

}  // namespace
