#include "install/product_validator/ProductValidator.h"

#include <algorithm>
#include <utility>

namespace install::product_validator {
namespace {

bool contains(const ProductValidator::ProductList& list, const std::u16string& baseCode) {
    return std::find(list.begin(), list.end(), baseCode) != list.end();
}

}  // namespace

ProductValidator::ProductValidator()
    : ProductValidator(std::make_shared<const productidentifier::ProductIdentifier>()) {}

ProductValidator::ProductValidator(std::shared_ptr<const productidentifier::ProductIdentifier> identifier)
    : identifier_(std::move(identifier)) {}

ProductValidator::~ProductValidator() = default;

ProductValidator::ProductList ProductValidator::getMissingControllingProducts(
    const ProductList& selected, const ProductList& installed,
    const repository_adapter::ProductMap& products) const {
    return getMissingProducts(selected, installed, products, true);
}

ProductValidator::ProductList ProductValidator::getMissingDependentProducts(
    const ProductList& selected, const ProductList& installed,
    const repository_adapter::ProductMap& products) const {
    return getMissingProducts(selected, installed, products, false);
}

std::vector<std::shared_ptr<const product_api::Product>> ProductValidator::convertBasecodesToProducts(
    const ProductList& baseCodes, const repository_adapter::ProductMap& products) const {
    std::vector<std::shared_ptr<const product_api::Product>> found;
    for (const std::u16string& baseCode : baseCodes) {
        const auto product = products.find(baseCode);
        if (product != products.end() && product->second) found.push_back(product->second);
    }
    return found;
}

ProductValidator::ProductList ProductValidator::getMissingProducts(
    const ProductList& selected, const ProductList& installed, const repository_adapter::ProductMap& products,
    bool controlling) const {
    const std::shared_ptr<const productidentifier::ProductCatalogue> catalogue = identifier_->getCatalogue();
    ProductList missing;
    for (const auto& product : convertBasecodesToProducts(selected, products)) {
        // The catalogue's walk stops at products it has seen, so a cycle cannot keep it going.
        for (const std::u16string& dependency : catalogue->getAllDependencies(product->getBaseCode())) {
            const productdata::ProductRecord* record = catalogue->find(dependency);
            if (record == nullptr || record->isControlling != controlling) continue;
            if (contains(selected, dependency) || contains(installed, dependency) ||
                contains(missing, dependency)) {
                continue;
            }
            missing.push_back(dependency);
        }
    }
    return missing;
}

}  // namespace install::product_validator
