#include "LocalEngine.h"

#include <utility>

#include "InstallationRecordReader.h"
#include "InstalledProduct.h"
#include "install/productidentifier/ProductIdentifier.h"

namespace install::engine {
namespace {

constexpr const char* kCatalogueErrorCode = "2120";

}  // namespace

LocalEngine::LocalEngine(std::shared_ptr<const productidentifier::ProductCatalogue> catalogue)
    : catalogue_(std::move(catalogue)) {}

LocalEngine::~LocalEngine() = default;

std::shared_ptr<const productidentifier::ProductCatalogue> LocalEngine::getCatalogue() {
    if (catalogue_) return catalogue_;
    try {
        catalogue_ = productidentifier::ProductIdentifier().getCatalogue();
    } catch (const productidentifier::ProductCatalogueException& error) {
        throw EngineMissingComponentException(kCatalogueErrorCode, "Unable to read the product catalogue",
                                              error.what(), "Engine::getCatalogue");
    }
    return catalogue_;
}

ProductMap LocalEngine::getInstalledProducts(const std::u16string& folder, bool ignoreInvalidRecord) {
    std::optional<InstallationManifest> record;
    try {
        record = InstallationRecordReader::read(folder, "Engine::getInstalledProducts");
    } catch (const EngineInvalidInstalledProductsException&) {
        if (!ignoreInvalidRecord) throw;
    }
    ProductMap products;
    if (!record) return products;
    for (const InstalledProductEntry& entry : record->getProducts()) {
        products.emplace(entry.baseCode, std::make_shared<const InstalledProduct>(entry.baseCode, entry.name,
                                                                                  entry.productFamily));
    }
    return products;
}

ProductMap LocalEngine::getInstalledProducts(const std::u16string& folder) {
    return getInstalledProducts(folder, false);
}

ProductMap LocalEngine::getInstalledKestrelixProducts(const std::u16string& folder) {
    ProductMap products = getInstalledProducts(folder, false);
    if (products.empty()) return products;
    const std::shared_ptr<const productidentifier::ProductCatalogue> catalogue = getCatalogue();
    std::erase_if(products, [&](const auto& entry) { return catalogue->find(entry.first) == nullptr; });
    return products;
}

}  // namespace install::engine
