#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/ProductCatalogueChoice.h"
#include "install/engine/Engine.h"
#include "install/product_validator/ProductValidator.h"
#include "install/productidentifier/ProductIdentifier.h"
#include "install/repository_adapter/RepositoryAdapter.h"

namespace velora::installer {

// Makes the outside components that read the catalogue, all over the one catalogue of the run.
// Copies share that catalogue, so when the online repository becomes the source of the products
// every page and the engine work from its products alike.
class CatalogueComponents {
public:
    explicit CatalogueComponents(ProductCatalogueChoice choice);

    std::unique_ptr<install::productidentifier::ProductIdentifier> identifier() const;
    std::unique_ptr<install::product_validator::ProductValidator> validator() const;
    std::unique_ptr<install::engine::Engine> engine() const;

    // From now on the run's catalogue is the repository's (see OnlineCatalogue); returns the base
    // codes of its products, in catalogue order.
    std::vector<std::u16string> adoptRepository(install::repository_adapter::RepositoryAdapter& repository,
                                                const std::string& platform) const;

private:
    ProductCatalogueChoice current() const;

    struct Shared {
        std::mutex mutex;
        ProductCatalogueChoice choice;
    };
    std::shared_ptr<Shared> shared_;
};

}  // namespace velora::installer
