#pragma once

#include <memory>

#include "host/ProductCatalogueChoice.h"
#include "install/engine/Engine.h"
#include "install/product_validator/ProductValidator.h"
#include "install/productidentifier/ProductIdentifier.h"

namespace velora::installer {

// Makes the outside components that read the catalogue, all over the one catalogue of the run.
class CatalogueComponents {
public:
    explicit CatalogueComponents(ProductCatalogueChoice choice) : choice_(std::move(choice)) {}

    std::unique_ptr<install::productidentifier::ProductIdentifier> identifier() const;
    std::unique_ptr<install::product_validator::ProductValidator> validator() const;
    std::unique_ptr<install::engine::Engine> engine() const;

private:
    ProductCatalogueChoice choice_;
};

}  // namespace velora::installer
