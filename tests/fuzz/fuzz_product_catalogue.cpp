// The product catalogue: a text that is not one is refused with ProductCatalogueException, and
// the dependency walk over what was read ends, cycles and unknown products included.
#include <set>

#include "FuzzSupport.h"
#include "install/productidentifier/ProductCatalogue.h"

using install::productidentifier::ProductCatalogue;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const ProductCatalogue catalogue = ProductCatalogue::fromJson(velora::fuzz::text(data, size));
        for (const auto& product : catalogue.getProducts()) {
            const auto dependencies = catalogue.getAllDependencies(product.baseCode);
            const std::set<std::u16string> distinct(dependencies.begin(), dependencies.end());
            velora::fuzz::check(distinct.size() == dependencies.size() &&
                                !distinct.contains(product.baseCode));
        }
    } catch (const install::productidentifier::ProductCatalogueException&) {
    }
    return 0;
}
