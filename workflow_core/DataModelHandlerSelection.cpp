// Product lists, the product and option selections, and the folder models.

#include "fl/i18n/TextConversion.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/detail/ModelEditing.h"

namespace install::product_installer::workflow_utils {

namespace dm = install::datamodels::product_installer;
using detail::replaceSequence;

// --- product lists ---

DataModelHandler::ProductList DataModelHandler::getAvailableProducts() const {
    return dependentData().getAvailableProducts().values();
}

void DataModelHandler::setAvailableProducts(const ProductList& products) const {
    replaceSequence(dependentData().getAvailableProducts(), products);
}

DataModelHandler::ProductList DataModelHandler::getInstalledProducts() const {
    return dependentData().getInstalledProducts().values();
}

void DataModelHandler::setInstalledProducts(const ProductList& products) const {
    replaceSequence(dependentData().getInstalledProducts(), products);
}

DataModelHandler::ProductList DataModelHandler::getInstallableProducts() const {
    return dependentData().getInstallableProducts().values();
}

void DataModelHandler::setInstallableProducts(const ProductList& products) const {
    replaceSequence(dependentData().getInstallableProducts(), products);
}

DataModelHandler::ProductList DataModelHandler::getDownloadableProducts() const {
    return dependentData().getDownloadableProducts().values();
}

void DataModelHandler::setDownloadableProducts(const ProductList& products) const {
    replaceSequence(dependentData().getDownloadableProducts(), products);
}

DataModelHandler::ProductList DataModelHandler::getOfferedProducts() const {
    return dependentData().getOfferedProducts().values();
}

void DataModelHandler::setOfferedProducts(const ProductList& products) const {
    replaceSequence(dependentData().getOfferedProducts(), products);
}

DataModelHandler::ProductList DataModelHandler::getMinimalProducts() const {
    return dependentData().getMinimalProducts().values();
}

void DataModelHandler::setMinimalProducts(const std::vector<std::string>& products) const {
    ProductList converted;
    converted.reserve(products.size());
    for (const auto& product : products) converted.push_back(fl::i18n::to_u16string(product));
    replaceSequence(dependentData().getMinimalProducts(), converted);
}

void DataModelHandler::initializeMissingProducts(const ProductList& products) const {
    replaceSequence(dependentData().getMissingProducts(), products);
}

DataModelHandler::ProductList DataModelHandler::getDownloadPlatforms() const {
    return dependentData().getDownloadPlatforms().values();
}

void DataModelHandler::setDefaultPlatform(const std::u16string& platform) const {
    replaceSequence(dependentData().getDownloadPlatforms(), {platform});
}

void DataModelHandler::clearAvailableProducts() const {
    replaceSequence(dependentData().getAvailableProducts(), {});
}

void DataModelHandler::clearInstallableProducts() const {
    replaceSequence(dependentData().getInstallableProducts(), {});
}

DataModelHandler::ProductList DataModelHandler::getSelectedProducts() const {
    return dependentData().getProductSelection().getSelectedProducts().values();
}

void DataModelHandler::initializeSelectedProducts(const std::set<std::u16string>& products) const {
    auto modification = dependentData().getProductSelection().getSelectedProducts().modify();
    modification.clear();
    for (const auto& product : products) modification.insert(product);
    modification.commit();
}

DataModelHandler::ProductList DataModelHandler::getAppRequiredProducts() const {
    return getVantapakUserApplicationDataModel().getAppRequiredProducts().values();
}

// --- product selection ---

void DataModelHandler::initializeProductSelectionModel() const {
    const auto dependent = dependentData();
    auto selection = dependent.getProductSelection();
    if (!selection) selection = ProductSelection::create(model, tq::zero::nilUuid());
    selection.setOverwriteAcknowledgement(false);
    dependent.setProductSelection(selection);
}

void DataModelHandler::resetProductSelectionModel() const {
    const auto selection = ProductSelection::create(model, tq::zero::nilUuid());
    selection.setOverwriteAcknowledgement(false);
    dependentData().setProductSelection(selection);
    setIsDataModified(true);
}

DataModelHandler::ProductSelection DataModelHandler::getProductSelectionObjectFromDataModel() const {
    return dependentData().getProductSelection();
}

DataModelHandler::ProductToDisplay DataModelHandler::initializeProductToDisplay(
    const std::u16string& baseCode, const std::u16string& productName) const {
    const auto product = ProductToDisplay::create(model, tq::zero::nilUuid());
    product.setBaseCode(baseCode);
    product.setProductName(productName);
    return product;
}

void DataModelHandler::initializeProductsToDisplayList(const std::vector<ProductToDisplay>& products) const {
    detail::replaceElements(dependentData().getProductSelection().getProductToDisplayList(), products);
}

bool DataModelHandler::getIsMinimalProductMode() const {
    return dependentData().getProductSelection().getIsMinimalProductMode();
}

void DataModelHandler::setIsMinimalProductMode(bool value) const {
    dependentData().getProductSelection().setIsMinimalProductMode(value);
}

bool DataModelHandler::isOverwriteWarningAcknowledged() const {
    return dependentData().getProductSelection().getOverwriteAcknowledgement();
}

bool DataModelHandler::isMissingProductWarningShown() const {
    return getProductSelectionObjectFromDataModel().getIsMissingProducts();
}

void DataModelHandler::setMissingProductWarning(bool shown) const {
    getProductSelectionObjectFromDataModel().setIsMissingProducts(shown);
}

bool DataModelHandler::isMissingNotInstalledShown() const {
    return getProductSelectionObjectFromDataModel().getIsMissingNotInstalled();
}

void DataModelHandler::setMissingNotInstalledShown(bool shown) const {
    getProductSelectionObjectFromDataModel().setIsMissingNotInstalled(shown);
}

unsigned long long DataModelHandler::getRequiredInstallSize() const {
    return dependentData().getProductSelection().getBytesInstallSize();
}

void DataModelHandler::setRequiredInstallSize(const unsigned long long& bytes) const {
    dependentData().getProductSelection().setBytesInstallSize(bytes);
}

unsigned long long DataModelHandler::getRequiredDownloadSize() const {
    return dependentData().getProductSelection().getBytesDownloadSize();
}

void DataModelHandler::setRequiredDownloadSize(const unsigned long long& bytes) const {
    dependentData().getProductSelection().setBytesDownloadSize(bytes);
}

bool DataModelHandler::getHasEnoughSpace() const { return dependentData().getHasEnoughSpace(); }

void DataModelHandler::setHasEnoughSpaceFlag(bool value) const { dependentData().setHasEnoughSpace(value); }

bool DataModelHandler::getIsAgreeToLicense() const { return independentData().getIsAgreeToLicense(); }

// --- options ---

DataModelHandler::OptionSelection DataModelHandler::getOptionSelection() const {
    return dependentData().getOptionSelection();
}

void DataModelHandler::initializeOptionSelectionModel() const {
    const auto dependent = dependentData();
    auto selection = dependent.getOptionSelection();
    if (!selection) selection = OptionSelection::create(model, tq::zero::nilUuid());
    dependent.setOptionSelection(selection);
}

void DataModelHandler::resetOptionSelectionModel() const {
    dependentData().setOptionSelection(OptionSelection::create(model, tq::zero::nilUuid()));
    setIsDataModified(true);
}

DataModelHandler::OptionToDisplay DataModelHandler::createOptionToDisplay(const OptionType& type,
                                                                          bool isViewOnly) const {
    const auto option = OptionToDisplay::create(model, tq::zero::nilUuid());
    option.setOptionType(type);
    option.setIsViewOnly(isViewOnly);
    return option;
}

void DataModelHandler::insertIntoOptionToDisplayList(const OptionToDisplay& option) const {
    auto modification = getOptionSelection().getOptionToDisplayList().modify();
    modification.append(option);
    modification.commit();
}

int DataModelHandler::getOptionToDisplayListSize() const {
    return static_cast<int>(getOptionSelection().getOptionToDisplayList().size());
}

void DataModelHandler::clearOptionsToDisplayList() const {
    auto modification = getOptionSelection().getOptionToDisplayList().modify();
    modification.clear();
    modification.commit();
}

std::u16string DataModelHandler::getSymbolicLinkPath() const {
    return getOptionSelection().getSymbolicLinkPath();
}

void DataModelHandler::setSymbolicLinkPath(const std::u16string& path) const {
    getOptionSelection().setSymbolicLinkPath(path);
}

bool DataModelHandler::isSymbolicLinkSelected() const {
    return getOptionSelection().getIsSymbolicLinkSelected();
}

void DataModelHandler::setIsSymbolicLinkSelected(bool value) const {
    getOptionSelection().setIsSymbolicLinkSelected(value);
}

void DataModelHandler::setIsStartMenuShortcutSelected(bool value) const {
    getOptionSelection().setIsStartMenuShortcutSelected(value);
}

bool DataModelHandler::isDesktopShortcutSelected() const {
    return getOptionSelection().getIsDesktopShortcutSelected();
}

void DataModelHandler::setIsDesktopShortcutSelected(bool value) const {
    getOptionSelection().setIsDesktopShortcutSelected(value);
}

bool DataModelHandler::isImproveVeloraSelected() const {
    return getOptionSelection().getIsImproveVeloraSelected();
}

void DataModelHandler::setIsImproveVeloraSelected(bool value) const {
    getOptionSelection().setIsImproveVeloraSelected(value);
}

void DataModelHandler::setPrivacyPolicyToDisplay(const std::u16string& text) const {
    getOptionSelection().setPrivacyPolicyToDisplay(text);
}

bool DataModelHandler::getIsConfigureLMAsServiceSelected() const {
    return getOptionSelection().getIsConfigureLMAsServiceSelected();
}

void DataModelHandler::setIsConfigureLMAsServiceSelected(bool value) const {
    getOptionSelection().setIsConfigureLMAsServiceSelected(value);
}

// --- folders ---

void DataModelHandler::initializeInstallFolderModel() const {
    const auto dependent = dependentData();
    auto folder = dependent.getInstallFolder();
    if (!folder) folder = dm::InstallFolder::create(model, tq::zero::nilUuid());
    dependent.setInstallFolder(folder);
}

void DataModelHandler::resetInstallFolderModel() const {
    dependentData().setInstallFolder(dm::InstallFolder::create(model, tq::zero::nilUuid()));
    setIsDataModified(true);
}

std::u16string DataModelHandler::getDefaultFolder() const {
    return dependentData().getInstallFolder().getDefaultValue();
}

void DataModelHandler::setDefaultFolder(const std::u16string& folder) const {
    dependentData().getInstallFolder().setDefaultValue(folder);
}

std::u16string DataModelHandler::getUserInputFolder() const {
    return dependentData().getInstallFolder().getUserInput();
}

void DataModelHandler::setUserInputFolder(const std::u16string& folder) const {
    dependentData().getInstallFolder().setUserInput(folder);
}

std::u16string DataModelHandler::getInstallFolder() const {
    const auto dependent = dependentData();
    if (!dependent) return {};
    const auto folder = dependent.getInstallFolder();
    return folder ? folder.getInstallFolder() : std::u16string();
}

void DataModelHandler::setInstallFolder(const std::u16string& folder) const {
    dependentData().getInstallFolder().setInstallFolder(folder);
}

bool DataModelHandler::isRootDriveWarningAcknowledged() const {
    return dependentData().getInstallFolder().getRootDriveWarningAcknowledgement();
}

void DataModelHandler::setRootDriveWarningAcknowledgementToTrue() const {
    dependentData().getInstallFolder().setRootDriveWarningAcknowledgement(true);
}

void DataModelHandler::initializeDownloadFolderModel() const {
    const auto dependent = dependentData();
    auto folder = dependent.getDownloadFolder();
    if (!folder) folder = dm::DownloadFolder::create(model, tq::zero::nilUuid());
    dependent.setDownloadFolder(folder);
}

void DataModelHandler::resetDownloadFolderModel() const {
    dependentData().setDownloadFolder(dm::DownloadFolder::create(model, tq::zero::nilUuid()));
    setIsDataModified(true);
}

std::u16string DataModelHandler::getDefaultDownloadFolder() const {
    return dependentData().getDownloadFolder().getDefaultValue();
}

void DataModelHandler::setDefaultDownloadFolder(const std::u16string& folder) const {
    dependentData().getDownloadFolder().setDefaultValue(folder);
}

std::u16string DataModelHandler::getUserGivenDownloadFolder() const {
    return dependentData().getDownloadFolder().getUserInput();
}

void DataModelHandler::setUserGivenDownloadFolder(const std::u16string& folder) const {
    dependentData().getDownloadFolder().setUserInput(folder);
}

void DataModelHandler::setInstallerExtractionInstruction(const std::u16string& instruction) const {
    dependentData().getDownloadFolder().setExtractionInstruction(instruction);
}

}  // namespace install::product_installer::workflow_utils
