#include "host/CatalogueComponents.h"

#include "host/CatalogueEngine.h"

namespace velora::installer {

std::unique_ptr<install::productidentifier::ProductIdentifier> CatalogueComponents::identifier() const {
    return std::make_unique<install::productidentifier::ProductIdentifier>(choice_.catalogue);
}

std::unique_ptr<install::product_validator::ProductValidator> CatalogueComponents::validator() const {
    return std::make_unique<install::product_validator::ProductValidator>(
        std::make_shared<const install::productidentifier::ProductIdentifier>(choice_.catalogue));
}

std::unique_ptr<install::engine::Engine> CatalogueComponents::engine() const {
    return std::make_unique<CatalogueEngine>(choice_);
}

}  // namespace velora::installer
