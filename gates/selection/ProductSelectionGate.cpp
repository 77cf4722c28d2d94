#include "gates/selection/ProductSelectionGate.h"

#include <algorithm>
#include <exception>
#include <locale>
#include <set>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/InstallerException.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr char kLoggerName[] = "install::product_installer::workflow_utils::ProductSelectionGate";
// The installer is built for this platform; messages name it as the release's download does.
constexpr char16_t kInstallerPlatformCode[] = u"w64pc";

}  // namespace

ProductSelectionGate::ProductSelectionGate(const std::u16string& name,
                                           const std::shared_ptr<DataModelHandler>& handler)
    : name(name),
      handler(handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()),
      diagnosticLogger(kLoggerName) {}

ProductSelectionGate::ProductSelectionGate(const ProductSelectionGate& other)
    : install::workflow_manager::Gate(other),
      name(other.name),
      handler(other.handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>(*other.tlmxUtil)),
      diagnosticsData(other.diagnosticsData),
      diagnosticLogger(other.diagnosticLogger) {}

ProductSelectionGate::ProductSelectionGate(ProductSelectionGate&&) noexcept = default;

ProductSelectionGate& ProductSelectionGate::operator=(const ProductSelectionGate& other) {
    if (this != &other) {
        ProductSelectionGate copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ProductSelectionGate& ProductSelectionGate::operator=(ProductSelectionGate&&) noexcept = default;

ProductSelectionGate::~ProductSelectionGate() = default;

void ProductSelectionGate::setDefaultData() const {
    populateDataModelWithAvailableProducts();
    populateDataModelWithMinimalProductsSet();
    populateDataModelWithInstallableProducts();
    initializeProductSelection();
}

void ProductSelectionGate::setRequiredData() const { handler->setDataRequired(name); }

void ProductSelectionGate::clearInputData() const { handler->resetProductSelectionModel(); }

bool ProductSelectionGate::checkIfDataIsReady() const {
    if (handler->isSilentWorkflow() || !handler->getInstallableProducts().empty()) return true;
    const auto message = fl::i18n::message("missingInstallationFilesInteractiveMsg",
                                           handler->getReleaseFamily(), kInstallerPlatformCode);
    const auto title = fl::i18n::message("missingInstallationFilesTitle");
    handler->setCurrentValidationFailure(install::datamodels::product_installer::validationResultType(1),
                                         message, title);
    log_message(message);
    reportRecord("850", "Unable to load product files", "ProductSelection::MissingInstallationFiles");
    return false;
}

void ProductSelectionGate::processData() {
    collectProductInfoForTlmx(computeProductDatasForTLMX());
    if (!validateSelectedProducts()) return;
    // The product checks passed: a warning shown for an earlier selection must be shown again
    // should a later selection lack something.
    handler->setMissingNotInstalledShown(false);
    handler->setMissingProductWarning(false);
    if (!hasEnoughSpace()) return;
    handler->setAsValid();
    handler->setAsDataProcessed();
    log_message(u"Product selection validation is successful.");
}

void ProductSelectionGate::populateDataModelWithAvailableProducts() const {
    handler->setAvailableProducts(getAvailableProductBasecodes());
}

void ProductSelectionGate::populateDataModelWithMinimalProductsSet() const {
    handler->initializeProductSelectionModel();
    std::vector<std::string> minimal;
    try {
        minimal = getAccountServiceClientInstance()->getMinimalProductSet(
            fl::i18n::to_string(handler->getReleaseFamily()));
    } catch (const std::exception& error) {
        // The minimal set only shapes the proposal; without it the page proposes as usual.
        log_message(u"Unable to obtain the minimal product set: " + fl::i18n::to_u16string(error.what()));
        return;
    }
    if (!minimal.empty() && checkIfMinimalModeApplicable(handler->getAvailableProducts(), minimal)) {
        handler->setMinimalProducts(minimal);
    }
}

void ProductSelectionGate::populateDataModelWithInstallableProducts() const {
    handler->setInstallableProducts(getProductSelectionPtr()->getInstallableProducts(
        handler->getOfferedProducts(), handler->getAvailableProducts()));
}

void ProductSelectionGate::initializeProductSelection() const {
    const auto selected = handler->getSelectedProducts();
    const auto installable = handler->getInstallableProducts();
    const auto installed = handler->getInstalledProducts();
    const auto minimal = handler->getMinimalProducts();

    handler->initializeSelectedProducts(
        getProductSelectionPtr()->getProductsToBeSelected(selected, installable, installed, minimal));

    auto displayList = getProductsToDisplayList(installable);
    sortProductToDisplayList(displayList);
    handler->initializeProductsToDisplayList(displayList);
}

bool ProductSelectionGate::checkIfMinimalModeApplicable(const ProductList& available,
                                                        const std::vector<std::string>& minimal) const {
    // Minimal mode applies when the release holds every product of the minimal set; account
    // and repository do not agree on letter case, so both sides are compared upper-cased.
    const auto upper = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return std::toupper(c, std::locale::classic()); });
        return text;
    };
    std::set<std::string> availableNames;
    for (const auto& baseCode : available) availableNames.insert(upper(fl::i18n::to_string(baseCode)));
    return !minimal.empty() && std::all_of(minimal.begin(), minimal.end(), [&](const std::string& product) {
        return availableNames.count(upper(product)) > 0;
    });
}

std::vector<std::u16string> ProductSelectionGate::getProductNamesFromDisplayList(
    const ProductToDisplayList& products) const {
    std::vector<std::u16string> names;
    names.reserve(products.size());
    for (const auto& product : products) names.push_back(product.getProductName());
    return names;
}

ProductSelectionGate::ProductToDisplayList ProductSelectionGate::getProductsToDisplayList(
    const ProductList& baseCodes) const {
    const auto identifier = getProductIdentifier();
    ProductToDisplayList products;
    for (const auto& baseCode : baseCodes) {
        try {
            products.push_back(
                handler->initializeProductToDisplay(baseCode, identifier->getProductName(baseCode)));
        } catch (const std::exception&) {
            // A product the catalogue cannot name cannot be shown; the others still can.
        }
    }
    return products;
}

void ProductSelectionGate::sortProductToDisplayList(ProductToDisplayList& products) const {
    const auto upper = [](const std::u16string& name) {
        std::string text = fl::i18n::to_string(name);
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return std::toupper(c, std::locale::classic()); });
        return text;
    };
    const auto rank = [](const std::string& upperName) -> int {
        if (upperName == "VELORA PARALLEL SERVER") return 0;
        if (upperName == "VELORA") return 1;
        if (upperName == "FLOWMERE") return 2;
        return -1;
    };
    std::stable_sort(products.begin(), products.end(),
                     [&](const ProductToDisplay& a, const ProductToDisplay& b) {
                         const std::string nameA = upper(a.getProductName());
                         const std::string nameB = upper(b.getProductName());
                         const int rankA = rank(nameA);
                         const int rankB = rank(nameB);
                         if (rankA >= 0 && rankB >= 0) return rankA < rankB;
                         if (rankA >= 0 || rankB >= 0) return rankA >= 0;
                         return nameA < nameB;
                     });
}

bool ProductSelectionGate::validateSelectedProducts() const {
    const auto selected = handler->getSelectedProducts();
    try {
        getProductSelectionPtr()->validate(selected, handler->getOfferedProducts(),
                                           handler->getAvailableProducts(),
                                           handler->getInstallableProducts());
    } catch (const install::product_validator::SelectedProductsNotAvailableException& error) {
        auto displayList = getProductsToDisplayList(error.getBasecodeList());
        sortProductToDisplayList(displayList);
        std::u16string names;
        for (const auto& productName : getProductNamesFromDisplayList(displayList)) {
            names += (names.empty() ? u"" : u", ") + productName;
        }
        const auto message = fl::i18n::message("selectedProductNotAvailable", names);
        handler->setCurrentValidationFailure(install::datamodels::product_installer::validationResultType(10),
                                             message, u"");
        log_message(message);
        reportRecord("810", "Installation files for the selected products are not available",
                     "ProductValidator::SelectedProductsNotAvailableException", error.what());
        return false;
    }
    return checkForReinstall() && checkForMissingProducts();
}

bool ProductSelectionGate::checkForReinstall() const {
    const auto installed = handler->getInstalledProducts();
    for (const auto& product : handler->getSelectedProducts()) {
        if (std::find(installed.begin(), installed.end(), product) == installed.end()) return true;
    }
    const auto title = fl::i18n::message("reinstallWarningTitle");
    const auto message =
        fl::i18n::message("reinstallWarningMsg", handler->getReleaseFamily(), kInstallerPlatformCode);
    const auto type = install::datamodels::product_installer::validationResultType(14);
    if (handler->isSilentWorkflow()) {
        handler->setCurrentValidationFailure(type, message, title);
    } else {
        handler->setCurrentValidationWarning(type, message, title);
    }
    log_message(message);
    reportRecord("820", "All selected products are already installed",
                 "ProductSelection::SelectedProductsAlreadyInstalled");
    return false;
}

ProductSelectionGate::ProductList ProductSelectionGate::getAvailableProductBasecodes() const {
    const auto repository = handler->getProductRepoAdapterInstance();
    return repository ? repository->getAvailableProductBasecodes() : ProductList{};
}

install::repository_adapter::ProductMap ProductSelectionGate::getProducts() const {
    const auto repository = handler->getProductRepoAdapterInstance();
    return repository ? repository->getAvailableProducts() : install::repository_adapter::ProductMap{};
}

std::vector<install::tlmx::ProductData> ProductSelectionGate::computeProductDatasForTLMX() const {
    const auto identifier = getProductIdentifier();
    const auto products = getProducts();
    const bool downloaded = handler->isOnlineInstallWorkflow();
    std::vector<install::tlmx::ProductData> data;
    for (const auto& baseCode : handler->getSelectedProducts()) {
        install::tlmx::ProductData product;
        product.baseCode = fl::i18n::to_string(baseCode);
        product.downloadable = downloaded;
        const auto found = products.find(baseCode);
        if (found != products.end() && found->second) {
            product.name = fl::i18n::to_string(found->second->getName());
            product.downloadSize = found->second->getDownloadSize();
            product.installSize = found->second->getInstallSize();
        }
        try {
            product.name = fl::i18n::to_string(identifier->getProductName(baseCode));
        } catch (const std::exception&) {
            // The repository's name, if any, is the best there is.
        }
        data.push_back(std::move(product));
    }
    return data;
}

void ProductSelectionGate::collectProductInfoForTlmx(
    const std::vector<install::tlmx::ProductData>& products) const {
    tlmxUtil->collectProductInfo(products);
}

void ProductSelectionGate::collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                                   const std::string& details,
                                                   const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, message, details, location);
}

void ProductSelectionGate::reportRecord(const std::string& code, const std::string& message,
                                        const std::string& cause, const std::string& details) const {
    collectErrorInfoForTlmx(code, message, details, install::cpputil::createLocation(getLocation(), cause));
}

std::string ProductSelectionGate::getLocation() const { return "ProductSelection"; }

void ProductSelectionGate::log_message(const std::u16string& message) const {
    install::cpputil::logger::append_message(message);
}

void ProductSelectionGate::traceSpace(const std::u16string& line) const {
    diagnosticLogger.info(fl::i18n::to_string(line));
    log_message(line);
}

}  // namespace install::product_installer::workflow_utils
