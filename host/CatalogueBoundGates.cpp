#include "host/CatalogueBoundGates.h"

#include "fl/i18n/TextConversion.h"
#include "host/ConfiguredProxy.h"

namespace velora::installer {

CatalogueFolderSelectionGate::CatalogueFolderSelectionGate(
    const std::u16string& name,
    const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
    CatalogueComponents components)
    : FolderSelectionGate(name, handler), handler_(handler), components_(std::move(components)) {}

std::unique_ptr<install::productidentifier::ProductIdentifier>
CatalogueFolderSelectionGate::getProductIdentifier() const {
    return components_.identifier();
}

std::unique_ptr<install::engine::Engine> CatalogueFolderSelectionGate::getEngineInstance() const {
    return components_.engine();
}

bool CatalogueFolderSelectionGate::getAvailableProducts(
    const std::shared_ptr<RepositoryAdapter>& repository) const {
    if (!FolderSelectionGate::getAvailableProducts(repository)) return false;
    handler_->setOfferedProducts(
        components_.adoptRepository(*repository, fl::i18n::to_string(handler_->getExecutionPlatform())));
    return true;
}

CatalogueProductSelectionGate::CatalogueProductSelectionGate(
    const std::u16string& name,
    const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
    CatalogueComponents components)
    : ProductSelectionGate(name, handler), components_(std::move(components)) {}

std::unique_ptr<install::productidentifier::ProductIdentifier>
CatalogueProductSelectionGate::getProductIdentifier() const {
    return components_.identifier();
}

std::unique_ptr<install::product_validator::ProductValidator>
CatalogueProductSelectionGate::getProductValidatorPtr() const {
    return components_.validator();
}

std::unique_ptr<install::engine::Engine> CatalogueProductSelectionGate::getEngineInstance() const {
    return components_.engine();
}

CatalogueConfirmationGate::CatalogueConfirmationGate(
    const std::u16string& name,
    const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
    CatalogueComponents components)
    : ConfirmationGate(name, handler), components_(std::move(components)) {}

std::unique_ptr<install::productidentifier::ProductIdentifier>
CatalogueConfirmationGate::getProductIdentifier() const {
    return components_.identifier();
}

CatalogueInstallProgressGate::CatalogueInstallProgressGate(
    const std::u16string& name,
    const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
    CatalogueComponents components, ReportingRegistrationRunner::Warning registrationWarning)
    : InstallProgressGate(name, handler),
      components_(std::move(components)),
      registrationWarning_(std::move(registrationWarning)) {}

std::unique_ptr<install::engine::Engine> CatalogueInstallProgressGate::getEngineInstance() const {
    return components_.engine();
}

std::unique_ptr<install::engine::EngineConfig> CatalogueInstallProgressGate::getEngineConfigInstance() const {
    auto config = InstallProgressGate::getEngineConfigInstance();
    config->setProxyUrl(configuredProxyAddress());
    return config;
}

std::unique_ptr<registration::productconfig::ProductRegistrationRunner>
CatalogueInstallProgressGate::getProductRegistrationRunnerInstance(const std::u16string& folder) const {
    const auto runner = InstallProgressGate::getProductRegistrationRunnerInstance(folder);
    return std::make_unique<ReportingRegistrationRunner>(*runner, registrationWarning_);
}

}  // namespace velora::installer
