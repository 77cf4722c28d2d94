#include "host/CatalogueComponents.h"

#include "host/CatalogueEngine.h"
#include "host/OnlineCatalogue.h"

namespace velora::installer {

CatalogueComponents::CatalogueComponents(ProductCatalogueChoice choice)
    : shared_(std::make_shared<Shared>()) {
    shared_->choice = std::move(choice);
}

ProductCatalogueChoice CatalogueComponents::current() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->choice;
}

std::unique_ptr<install::productidentifier::ProductIdentifier> CatalogueComponents::identifier() const {
    return std::make_unique<install::productidentifier::ProductIdentifier>(current().catalogue);
}

std::unique_ptr<install::product_validator::ProductValidator> CatalogueComponents::validator() const {
    return std::make_unique<install::product_validator::ProductValidator>(
        std::make_shared<const install::productidentifier::ProductIdentifier>(current().catalogue));
}

std::unique_ptr<install::engine::Engine> CatalogueComponents::engine() const {
    return std::make_unique<CatalogueEngine>(current());
}

std::vector<std::u16string> CatalogueComponents::adoptRepository(
    install::repository_adapter::RepositoryAdapter& repository, const std::string& platform) const {
    ProductCatalogueChoice online = OnlineCatalogue::build(current(), repository, platform);
    std::vector<std::u16string> baseCodes;
    for (const auto& product : online.catalogue->getProducts()) baseCodes.push_back(product.baseCode);
    const std::lock_guard lock(shared_->mutex);
    shared_->choice = std::move(online);
    return baseCodes;
}

}  // namespace velora::installer
