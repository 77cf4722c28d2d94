#include "install/product_validator/ProductSelection.h"

#include <algorithm>

namespace install::product_validator {
namespace {

bool contains(const ProductSelection::ProductList& list, const std::u16string& baseCode) {
    return std::find(list.begin(), list.end(), baseCode) != list.end();
}

}  // namespace

ProductSelection::ProductSelection() = default;
ProductSelection::~ProductSelection() = default;

ProductSelection::ProductList ProductSelection::getInstallableProducts(const ProductList& offered,
                                                                       const ProductList& available) const {
    return getIntersection(offered, available);
}

void ProductSelection::validate(const ProductList& selected, const ProductList& offered,
                                const ProductList& available, const ProductList& installable) const {
    ProductList refused;
    for (const std::u16string& baseCode : selected) {
        const bool usable =
            contains(installable, baseCode) && contains(offered, baseCode) && contains(available, baseCode);
        if (!usable && !contains(refused, baseCode)) refused.push_back(baseCode);
    }
    if (!refused.empty()) throw SelectedProductsNotAvailableException(std::move(refused));
}

std::set<std::u16string> ProductSelection::getProductsToBeSelected(const ProductList& selected,
                                                                   const ProductList& installable,
                                                                   const ProductList& installed,
                                                                   const ProductList& minimal) const {
    if (!selected.empty()) {
        const ProductList kept = getIntersection(selected, installable);
        return {kept.begin(), kept.end()};
    }
    const ProductList minimalInstallable = getIntersection(minimal, installable);
    if (!minimalInstallable.empty()) return {minimalInstallable.begin(), minimalInstallable.end()};

    std::set<std::u16string> proposal;
    for (const std::u16string& baseCode : installable) {
        if (!contains(installed, baseCode)) proposal.insert(baseCode);
    }
    return proposal;
}

ProductSelection::ProductList ProductSelection::getIntersection(const ProductList& first,
                                                                const ProductList& second) const {
    ProductList common;
    for (const std::u16string& baseCode : first) {
        if (contains(second, baseCode) && !contains(common, baseCode)) common.push_back(baseCode);
    }
    return common;
}

}  // namespace install::product_validator
