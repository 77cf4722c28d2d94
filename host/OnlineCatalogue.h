#pragma once

#include <string>

#include "host/ProductCatalogueChoice.h"
#include "install/repository_adapter/RepositoryAdapter.h"

namespace velora::installer {

// The run's product catalogue when the products come from the online repository: the
// repository's index says which products there are, their names, dependencies and archive
// checksums (for one platform); what the installer's own catalogue knows beyond that (family,
// folder, controlling product, executables to look for) is kept for the products it describes.
class OnlineCatalogue {
public:
    // The products in the order of the installer's catalogue, then the others by base code.
    // Throws what the repository throws when it cannot list its products.
    static ProductCatalogueChoice build(const ProductCatalogueChoice& installers,
                                        install::repository_adapter::RepositoryAdapter& repository,
                                        const std::string& platform);
};

}  // namespace velora::installer
