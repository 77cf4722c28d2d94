#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"
#include "install/product_api/Product.h"
#include "install/productidentifier/ProductIdentifier.h"
#include "install/repository_adapter/RepositoryAdapter.h"

namespace install::product_validator {

// What a selection lacks to work once installed, judged from the product catalogue's
// dependencies. A controlling product heads a family (the main product); every other product a
// selected one needs, directly or through others, is a dependent product. Something counts as
// missing when it is neither selected nor installed.
//
// Only selected products that the repository holds are judged: anything else cannot be
// installed and is refused before these questions are asked. Dependencies the catalogue does not
// describe are passed over, since nobody could offer them, and dependency cycles end where they
// meet a product already seen.
class COMPONENT_API ProductValidator {
public:
    using ProductList = std::vector<std::u16string>;

    // The catalogue beside the running installer.
    ProductValidator();
    explicit ProductValidator(std::shared_ptr<const productidentifier::ProductIdentifier> identifier);
    ProductValidator(const ProductValidator&) = default;
    ProductValidator& operator=(const ProductValidator&) = default;
    virtual ~ProductValidator();

    // Missing controlling products, in the order the selection first needs them, each once.
    virtual ProductList getMissingControllingProducts(const ProductList& selected,
                                                      const ProductList& installed,
                                                      const repository_adapter::ProductMap& products) const;
    // Missing dependent products, in the order the selection first needs them (nearest first),
    // each once.
    virtual ProductList getMissingDependentProducts(const ProductList& selected, const ProductList& installed,
                                                    const repository_adapter::ProductMap& products) const;

protected:
    // The repository's products for the base codes, in their order; codes it lacks are left out.
    virtual std::vector<std::shared_ptr<const product_api::Product>> convertBasecodesToProducts(
        const ProductList& baseCodes, const repository_adapter::ProductMap& products) const;

private:
    ProductList getMissingProducts(const ProductList& selected, const ProductList& installed,
                                   const repository_adapter::ProductMap& products, bool controlling) const;

    std::shared_ptr<const productidentifier::ProductIdentifier> identifier_;
};

}  // namespace install::product_validator
