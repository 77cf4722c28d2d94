#pragma once

#include <set>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"
#include "install/product_validator/SelectedProductsNotAvailableException.h"

namespace install::product_validator {

// The rules of which products a user may pick: what the installer offers and the repository
// holds, whether a selection keeps to that, and what is proposed before the user chooses.
// Lists are base codes; an order given in a list is kept in every list computed from it.
class COMPONENT_API ProductSelection {
public:
    using ProductList = std::vector<std::u16string>;

    ProductSelection();
    ProductSelection(const ProductSelection&) = default;
    ProductSelection& operator=(const ProductSelection&) = default;
    virtual ~ProductSelection();

    // The offered products that the repository also holds, in the offered order, each once. An
    // installer that offers nothing can install nothing, whatever the repository holds.
    virtual ProductList getInstallableProducts(const ProductList& offered,
                                               const ProductList& available) const;

    // Returns when every selected product is installable, offered and available; otherwise throws
    // SelectedProductsNotAvailableException naming the others in selection order. An empty
    // selection keeps to the rules (whether it is worth installing is another question).
    virtual void validate(const ProductList& selected, const ProductList& offered,
                          const ProductList& available, const ProductList& installable) const;

    // What the page proposes. A selection the user made before survives, less what can no longer
    // be installed; without one, the account's minimal products when it has any installable ones,
    // otherwise every installable product that the folder does not hold yet.
    virtual std::set<std::u16string> getProductsToBeSelected(const ProductList& selected,
                                                             const ProductList& installable,
                                                             const ProductList& installed,
                                                             const ProductList& minimal) const;

    // The members of `first` that `second` holds, in the order of `first`, each once.
    virtual ProductList getIntersection(const ProductList& first, const ProductList& second) const;
};

}  // namespace install::product_validator
