// The download product page's step protocol, the lists it fills before the user chooses, and the
// order in which it shows products.
#include "gates/download/DownloadProductSelectionGate.h"

#include <algorithm>
#include <exception>
#include <locale>

#include "fl/i18n/TextConversion.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr char kLoggerName[] = "install::product_installer::workflow_utils::DownloadProductSelectionGate";

// The family's head products, in the order the page shows them before all others; -1 for others.
int headRank(const std::string& upperCasedName) {
    if (upperCasedName == "VELORA PARALLEL SERVER") return 0;
    if (upperCasedName == "VELORA") return 1;
    if (upperCasedName == "FLOWMERE") return 2;
    return -1;
}

}  // namespace

DownloadProductSelectionGate::DownloadProductSelectionGate(const std::u16string& name,
                                                           const std::shared_ptr<DataModelHandler>& handler)
    : name(name),
      handler(handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()),
      diagnosticLogger(kLoggerName) {}

DownloadProductSelectionGate::DownloadProductSelectionGate(DownloadProductSelectionGate&&) noexcept = default;
DownloadProductSelectionGate& DownloadProductSelectionGate::operator=(
    DownloadProductSelectionGate&&) noexcept = default;
DownloadProductSelectionGate::~DownloadProductSelectionGate() = default;

void DownloadProductSelectionGate::setDefaultData() const {
    populateDataModelWithAvailableProducts();
    populateDataModelWithDownloadableProducts();
    initializeProductSelection();
}

void DownloadProductSelectionGate::setRequiredData() const { handler->setDataRequired(name); }

void DownloadProductSelectionGate::clearInputData() const { handler->resetProductSelectionModel(); }

void DownloadProductSelectionGate::processData() {
    collectProductInfoForTlmx(computeProductDatasForTLMX());
    if (!checkForMissingProducts()) return;
    // The products are complete: should a later selection lack something, it is told again.
    handler->setMissingProductWarning(false);
    if (!hasEnoughSpace()) return;
    handler->setAsValid();
    handler->setAsDataProcessed();
    log_message(u"Product selection validation in download only workflow is successful.");
}

void DownloadProductSelectionGate::populateDataModelWithAvailableProducts() const {
    handler->setAvailableProducts(getAvailableProductBasecodes());
}

// Everything the repository holds for the release may be downloaded: no installer offers a subset.
void DownloadProductSelectionGate::populateDataModelWithDownloadableProducts() const {
    handler->setDownloadableProducts(handler->getAvailableProducts());
}

void DownloadProductSelectionGate::initializeProductSelection() const {
    handler->initializeProductSelectionModel();
    const auto selected = handler->getSelectedProducts();
    const auto downloadable = handler->getDownloadableProducts();
    // Nothing is installed by a download, and no account narrows the proposal.
    handler->initializeSelectedProducts(
        getProductSelectionPtr()->getProductsToBeSelected(selected, downloadable, {}, {}));
    auto displayList = getProductsToDisplayList(downloadable);
    sortProductToDisplayList(displayList);
    handler->initializeProductsToDisplayList(displayList);
}

DownloadProductSelectionGate::ProductToDisplayList DownloadProductSelectionGate::getProductsToDisplayList(
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

void DownloadProductSelectionGate::sortProductToDisplayList(ProductToDisplayList& products) const {
    const auto upperCased = [](const std::u16string& name) {
        std::string text = fl::i18n::to_string(name);
        const std::locale locale;
        std::transform(text.begin(), text.end(), text.begin(),
                       [&](char c) { return std::toupper(c, locale); });
        return text;
    };
    std::sort(products.begin(), products.end(), [&](const ProductToDisplay& a, const ProductToDisplay& b) {
        const auto nameA = upperCased(a.getProductName());
        const auto nameB = upperCased(b.getProductName());
        const int rankA = headRank(nameA);
        const int rankB = headRank(nameB);
        if (rankA >= 0 && rankB >= 0) return rankA < rankB;
        if (rankA >= 0 || rankB >= 0) return rankA >= 0;
        return nameA < nameB;
    });
}

std::vector<std::u16string> DownloadProductSelectionGate::getProductNamesFromDisplayList(
    const ProductToDisplayList& products) const {
    std::vector<std::u16string> names;
    names.reserve(products.size());
    for (const auto& product : products) names.push_back(product.getProductName());
    return names;
}

DownloadProductSelectionGate::ProductList DownloadProductSelectionGate::getAvailableProductBasecodes() const {
    const auto adapter = handler->getProductRepoAdapterInstance();
    return adapter ? adapter->getAvailableProductBasecodes() : ProductList{};
}

install::repository_adapter::ProductMap DownloadProductSelectionGate::getProducts() const {
    const auto adapter = handler->getProductRepoAdapterInstance();
    return adapter ? adapter->getAvailableProducts() : install::repository_adapter::ProductMap{};
}

std::vector<install::tlmx::ProductData> DownloadProductSelectionGate::computeProductDatasForTLMX() {
    const auto products = getProducts();
    const auto downloadable = handler->getDownloadableProducts();
    std::vector<install::tlmx::ProductData> records;
    for (const auto& baseCode : handler->getSelectedProducts()) {
        install::tlmx::ProductData record;
        record.baseCode = fl::i18n::to_string(baseCode);
        record.downloadable =
            std::find(downloadable.begin(), downloadable.end(), baseCode) != downloadable.end();
        const auto found = products.find(baseCode);
        if (found != products.end() && found->second) {
            record.name = fl::i18n::to_string(found->second->getName());
            record.downloadSize = found->second->getDownloadSize();
            record.installSize = found->second->getInstallSize();
        }
        records.push_back(std::move(record));
    }
    return records;
}

void DownloadProductSelectionGate::collectProductInfoForTlmx(
    const std::vector<install::tlmx::ProductData>& products) const {
    tlmxUtil->collectProductInfo(products);
}

void DownloadProductSelectionGate::collectErrorInfoForTlmx(const std::string& code,
                                                           const std::string& primaryMessage,
                                                           const std::string& secondaryMessage,
                                                           const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, primaryMessage, secondaryMessage, location);
}

void DownloadProductSelectionGate::log_message(const std::u16string& message) const {
    install::cpputil::logger::append_message(message);
}

void DownloadProductSelectionGate::trace(const std::string& line) const { diagnosticLogger.info(line); }

}  // namespace install::product_installer::workflow_utils
