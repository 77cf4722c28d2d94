// What a selection lacks: controlling and dependent products that are neither selected nor
// installed in the destination folder, and whether this installer could supply them.
#include <algorithm>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/selection/ProductSelectionGate.h"
#include "install/cpputil/LogMessages.h"
#include "install/engine/EngineExceptions.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::datamodels::product_installer::validationResultType;

bool contains(const std::vector<std::u16string>& list, const std::u16string& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

bool ProductSelectionGate::checkForMissingProducts() const {
    const auto selected = handler->getSelectedProducts();
    install::repository_adapter::ProductMap installedProducts;
    try {
        installedProducts = getEngineInstance()->getInstalledProducts(handler->getInstallFolder());
    } catch (const install::engine::EngineInvalidInstalledProductsException&) {
        log_message(u"Failed to retrieve installed products");
        throw;
    }
    ProductList installed;
    for (const auto& entry : installedProducts) installed.push_back(entry.first);

    const auto validator = getProductValidatorPtr();
    const auto products = getProducts();
    const auto missingControlling = validator->getMissingControllingProducts(selected, installed, products);
    const auto missingDependent = validator->getMissingDependentProducts(selected, installed, products);
    const auto installable = handler->getInstallableProducts();
    const auto notInstallable = getMissingInstallableDependentProducts(missingDependent, installable);

    bool result = false;
    if (!missingControlling.empty() && !contains(installable, missingControlling.front())) {
        showDependentNotInstallable(missingControlling, validationResultType(1), result);
    } else if (!notInstallable.empty()) {
        showDependentNotInstallable(notInstallable, validationResultType(22), result);
    } else if (!missingControlling.empty() && !missingDependent.empty()) {
        ProductList missing = missingControlling;
        missing.insert(missing.end(), missingDependent.begin(), missingDependent.end());
        showProductsWarning(missing, validationResultType(6), result);
    } else if (!missingControlling.empty()) {
        showProductsWarning(missingControlling, validationResultType(6), result);
    } else if (!missingDependent.empty()) {
        showProductsWarning(missingDependent, validationResultType(7), result);
        // A silent run has nobody to add the products; it installs what it was asked for.
        if (handler->isSilentWorkflow()) result = true;
    } else {
        result = true;
    }
    return result;
}

ProductSelectionGate::ProductList ProductSelectionGate::getMissingInstallableDependentProducts(
    const ProductList& missingDependents, const ProductList& installable) const {
    ProductList notInstallable;
    for (const auto& product : missingDependents) {
        if (!contains(installable, product)) notInstallable.push_back(product);
    }
    return notInstallable;
}

void ProductSelectionGate::showProductsWarning(const ProductList& missing, const ValidationResultType& type,
                                               bool& result) const {
    if (handler->isMissingProductWarningShown()) {
        // The user has seen the warning and goes on without the products.
        result = true;
        return;
    }
    const auto productString = createMissingProductsString(storeMissingProducts(missing));
    std::u16string message;
    if (type == validationResultType(6)) {
        message = fl::i18n::message("missingControllingProductsMsg", productString);
        reportRecord("880", "Controlling product is missed on the selected products",
                     "ProductValidator::MissingDependency");
    } else if (type == validationResultType(7)) {
        message = fl::i18n::message("missingDependentProductsMsg", productString);
        reportRecord("840", "Required dependency missed on some selected products",
                     "ProductValidator::MissingDependency");
    } else {
        return;
    }
    handler->setCurrentValidationWarning(type, message, u"");
    log_message(message);
}

void ProductSelectionGate::showDependentNotInstallable(const ProductList& missing,
                                                       const ValidationResultType& type, bool& result) const {
    if (handler->isMissingNotInstalledShown()) {
        result = true;
        return;
    }
    setValidationMessageForDependentProducts(type,
                                             createMissingProductsString(storeMissingProducts(missing)));
}

void ProductSelectionGate::setValidationMessageForDependentProducts(
    const ValidationResultType& type, const std::u16string& productString) const {
    if (type == validationResultType(22)) {
        const auto message = fl::i18n::message("missingDependentProductNotInstallableMsg", productString);
        handler->setCurrentValidationWarning(type, message, u"");
        log_message(message);
        reportRecord("870", "Required dependent products are not installable",
                     "ProductValidator::MissingDependencyNotInstallable");
    } else if (type == validationResultType(1)) {
        const auto title = fl::i18n::message("productDependenciesTitle");
        const auto message = fl::i18n::message("missingControllingProductNotInstallableMsg", productString);
        handler->setCurrentValidationFailure(type, message, title);
        log_message(message);
        reportRecord("860", "Required controlling product is not installable",
                     "ProductValidator::MissingControllingDependencyNotInstallable");
    }
}

std::u16string ProductSelectionGate::createMissingProductsString(const ProductToDisplayList& products) const {
    std::u16string text;
    for (const auto& product : products) text += u'\t' + product.getProductName() + u'\n';
    return text;
}

ProductSelectionGate::ProductToDisplayList ProductSelectionGate::storeMissingProducts(
    const ProductList& missing) const {
    auto displayList = getProductsToDisplayList(missing);
    sortProductToDisplayList(displayList);
    ProductList sortedCodes;
    for (const auto& product : displayList) sortedCodes.push_back(product.getBaseCode());
    handler->initializeMissingProducts(sortedCodes);
    return displayList;
}

}  // namespace install::product_installer::workflow_utils
