// What a download selection lacks: controlling and dependent products that are not selected. The
// user is told once; pressing on with the same selection then downloads it as it is.
#include <algorithm>
#include <cctype>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/download/DownloadProductSelectionGate.h"
#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr auto kMissingProductsWarning = install::datamodels::product_installer::validationResultType(7);

// The missing base codes as one line for diagnostics: each once, in order, single blanks between.
std::string missingCodesText(const std::vector<std::u16string>& missing) {
    std::vector<std::u16string> seen;
    std::string text;
    for (const auto& code : missing) {
        if (std::find(seen.begin(), seen.end(), code) != seen.end()) continue;
        seen.push_back(code);
        text += (text.empty() ? "" : " ") + fl::i18n::to_string(code);
    }
    const auto isBlank = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

}  // namespace

bool DownloadProductSelectionGate::checkForMissingProducts() const {
    bool canContinue = true;
    const auto selected = handler->getSelectedProducts();
    const auto validator = getProductValidatorPtr();
    // Nothing counts as installed for a download; the repository's products are what is judged.
    const ProductList installed;
    const auto products = getProducts();
    const auto missingControlling = validator->getMissingControllingProducts(selected, installed, products);
    const auto missingDependent = validator->getMissingDependentProducts(selected, installed, products);

    if (missingControlling.empty() && missingDependent.empty()) return true;
    if (missingControlling.empty()) {
        showWarningsForMissingProducts(missingDependent, canContinue);
    } else if (missingDependent.empty()) {
        showWarningsForMissingProducts(missingControlling, canContinue);
    } else {
        auto missing = missingControlling;
        missing.insert(missing.end(), missingDependent.begin(), missingDependent.end());
        showWarningsForMissingProducts(missing, canContinue);
    }
    return canContinue;
}

void DownloadProductSelectionGate::showWarningsForMissingProducts(const ProductList& missing,
                                                                  bool& canContinue) const {
    if (handler->isMissingProductWarningShown()) return;
    canContinue = false;
    auto displayList = getProductsToDisplayList(missing);
    sortProductToDisplayList(displayList);
    handler->initializeMissingProducts(missing);
    const auto message =
        fl::i18n::message("missingDependentProductsMsg", createMissingProductsString(displayList));
    handler->setCurrentValidationWarning(kMissingProductsWarning, message, u"");
    log_message(message);
    collectErrorInfoForTlmx("840", "Required dependency missed on some selected products",
                            missingCodesText(missing),
                            "DownloadProductSelection::ProductValidator::MissingDependency");
}

std::u16string DownloadProductSelectionGate::createMissingProductsString(
    const ProductToDisplayList& products) const {
    std::u16string text;
    for (const auto& product : products) text += u'\t' + product.getProductName() + u'\n';
    return text;
}

}  // namespace install::product_installer::workflow_utils
