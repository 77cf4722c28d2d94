#include "host/CatalogueDownloadGates.h"

namespace velora::installer {

CatalogueDownloadProductSelectionGate::CatalogueDownloadProductSelectionGate(
    const std::u16string& name,
    const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
    CatalogueComponents components)
    : DownloadProductSelectionGate(name, handler), components_(std::move(components)) {}

std::unique_ptr<install::productidentifier::ProductIdentifier>
CatalogueDownloadProductSelectionGate::getProductIdentifier() const {
    return components_.identifier();
}

std::unique_ptr<install::product_validator::ProductValidator>
CatalogueDownloadProductSelectionGate::getProductValidatorPtr() const {
    return components_.validator();
}

CatalogueDownloadProgressGate::CatalogueDownloadProgressGate(
    const std::u16string& name,
    const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
    CatalogueComponents components)
    : DownloadProgressGate(name, handler), components_(std::move(components)) {}

std::unique_ptr<install::engine::Engine> CatalogueDownloadProgressGate::getEngineInstance() const {
    return components_.engine();
}

}  // namespace velora::installer
