#include "host/ProductCatalogueChoice.h"

#include <system_error>

#include "install/productidentifier/ProductIdentifier.h"

namespace velora::installer {

namespace productidentifier = install::productidentifier;

ProductCatalogueChoice ProductCatalogueChoice::choose(const std::filesystem::path& given,
                                                      const std::filesystem::path& packagesRoot) {
    ProductCatalogueChoice choice;
    std::error_code ignored;
    if (!given.empty()) {
        choice.file = given;
    } else if (std::filesystem::exists(packagesRoot / kPackagesCatalogueName, ignored)) {
        choice.file = packagesRoot / kPackagesCatalogueName;
    } else {
        choice.file = productidentifier::ProductIdentifier::getDefaultCataloguePath();
    }
    try {
        choice.catalogue = std::make_shared<const productidentifier::ProductCatalogue>(
            productidentifier::ProductCatalogue::fromFile(choice.file));
    } catch (const productidentifier::ProductCatalogueException& error) {
        // The catalogue's own message names the file.
        throw CatalogueUnusableError(error.what(), !given.empty());
    }
    return choice;
}

}  // namespace velora::installer
