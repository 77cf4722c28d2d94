#include "install/productidentifier/ProductIdentifier.h"

#include <deque>
#include <set>
#include <utility>

#include "fl/i18n/TextConversion.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::productidentifier {

using productdata::ControllingProduct;
using productdata::ProductRecord;

ProductIdentifier::ProductIdentifier() : ProductIdentifier(getDefaultCataloguePath()) {}

ProductIdentifier::ProductIdentifier(std::filesystem::path catalogueFile)
    : catalogueFile_(std::move(catalogueFile)) {}

ProductIdentifier::ProductIdentifier(std::shared_ptr<const ProductCatalogue> catalogue)
    : catalogue_(std::move(catalogue)) {}

ProductIdentifier::~ProductIdentifier() = default;

std::filesystem::path ProductIdentifier::getDefaultCataloguePath() {
    return platformutil::PlatformUtility::getInstallationPath() / kCatalogueFileName;
}

std::shared_ptr<const ProductCatalogue> ProductIdentifier::getCatalogue() const {
    std::lock_guard lock(mutex_);
    if (!catalogue_)
        catalogue_ = std::make_shared<const ProductCatalogue>(ProductCatalogue::fromFile(catalogueFile_));
    return catalogue_;
}

std::shared_ptr<ControllingProduct> ProductIdentifier::getControllingProduct(
    const std::vector<std::u16string>& products) const {
    const std::shared_ptr<const ProductCatalogue> catalogue = getCatalogue();
    std::set<std::u16string> seen;
    std::deque<std::u16string> pending;
    for (const std::u16string& product : products) {
        if (seen.insert(product).second) pending.push_back(product);
    }
    while (!pending.empty()) {
        const ProductRecord* record = catalogue->find(pending.front());
        pending.pop_front();
        if (record == nullptr) continue;
        if (record->isControlling) return std::make_shared<ControllingProduct>(*record);
        for (const std::u16string& dependency : record->dependencies) {
            if (seen.insert(dependency).second) pending.push_back(dependency);
        }
    }
    return std::make_shared<ControllingProduct>();
}

const ProductRecord& ProductIdentifier::require(const std::u16string& baseCode) const {
    // The catalogue stays alive with this identifier (it is cached), so the reference does too.
    const ProductRecord* record = getCatalogue()->find(baseCode);
    if (record == nullptr) {
        throw UnknownProductException("the product catalogue does not know " + fl::i18n::to_string(baseCode));
    }
    return *record;
}

std::u16string ProductIdentifier::getProductName(const std::u16string& baseCode) const {
    return require(baseCode).name;
}

std::u16string ProductIdentifier::getProductFamily(const std::u16string& baseCode) const {
    return require(baseCode).productFamily;
}

ProductRecord ProductIdentifier::getProduct(const std::u16string& baseCode) const {
    return require(baseCode);
}

std::vector<std::u16string> ProductIdentifier::getDependencies(const std::u16string& baseCode) const {
    return getCatalogue()->getAllDependencies(baseCode);
}

}  // namespace install::productidentifier
