// The runtime installer's steps over the run's product catalogue and engine.
#include "host/CatalogueRuntimeGates.h"

#include <algorithm>

#include "fl/i18n/TextConversion.h"
#include "host/ConfiguredProxy.h"
#include "install/repository_adapter/RepoAdapterConfiguration.h"

namespace velora::installer {

namespace wu = install::product_installer::workflow_utils;

CatalogueRuntimeDetectionGate::CatalogueRuntimeDetectionGate(
    const std::u16string& name, const std::shared_ptr<wu::DataModelHandler>& handler,
    CatalogueComponents components)
    : PreviousQRTInstallationDetectionGate(name, handler), components_(std::move(components)) {}

std::unique_ptr<install::productidentifier::ProductIdentifier>
CatalogueRuntimeDetectionGate::getProductIdentifier() const {
    return components_.identifier();
}

std::unique_ptr<install::engine::Engine> CatalogueRuntimeDetectionGate::getEngineInstance() const {
    return components_.engine();
}

CatalogueRuntimeProductSelectionGate::CatalogueRuntimeProductSelectionGate(
    const std::u16string& name, const std::shared_ptr<wu::DataModelHandler>& handler,
    CatalogueComponents components, std::shared_ptr<microservices::ServiceRegistry> services)
    : VeloraRuntimeProductSelectionGate(name, handler),
      handler_(handler),
      components_(std::move(components)),
      services_(std::move(services)) {}

void CatalogueRuntimeProductSelectionGate::setDefaultData() const {
    if (!handler_->IsFolderRepoInstance() || !IfFolderRepoHasProducts()) useOnlineRepository();
    VeloraRuntimeProductSelectionGate::setDefaultData();
}

void CatalogueRuntimeProductSelectionGate::useOnlineRepository() const {
    using install::repository_adapter::RepositoryAdapter;
    const auto repository =
        services_ ? services_->findService<RepositoryAdapter>("(type=onlineproduct)") : nullptr;
    // Without one the page reports that the runtime's products cannot be had.
    if (!repository || repository == handler_->getProductRepoAdapterInstance()) return;
    install::repository_adapter::config::RepoAdapterConfiguration configuration;
    configuration.setReleaseFamily(handler_->getReleaseFamily());
    configuration.setReleaseStatus(handler_->getReleaseStatus());
    configuration.setInstallerName(handler_->getInstallerName());
    configuration.setInstallerVersion(handler_->getInstallerVersion());
    configuration.setKxAccountToken(handler_->getAccessToken());
    configuration.setUpdateNo(handler_->getUpdateLevel());
    repository->configure(configuration);
    if (!handler_->getProxyUserName().empty()) {
        repository->setProxyCredentials(fl::i18n::to_string(handler_->getProxyUserName()),
                                        fl::i18n::to_string(handler_->getProxyPassword()));
    }
    handler_->setProductRepoAdapterInstance(repository);
    handler_->setIsFolderRepoInstance(false);
    const auto offered =
        components_.adoptRepository(*repository, fl::i18n::to_string(handler_->getExecutionPlatform()));
    handler_->setOfferedProducts(offered);
    // As the archive reader does for the packages: the runtime is installed whole.
    if (handler_->getSelectedProducts().empty())
        handler_->initializeSelectedProducts({offered.begin(), offered.end()});
}

std::unique_ptr<install::productidentifier::ProductIdentifier>
CatalogueRuntimeProductSelectionGate::getProductIdentifier() const {
    return components_.identifier();
}

std::unique_ptr<install::product_validator::ProductValidator>
CatalogueRuntimeProductSelectionGate::getProductValidatorPtr() const {
    return components_.validator();
}

std::unique_ptr<install::engine::Engine> CatalogueRuntimeProductSelectionGate::getEngineInstance() const {
    return components_.engine();
}

CatalogueRuntimeProgressGate::CatalogueRuntimeProgressGate(
    const std::u16string& name, const std::shared_ptr<wu::DataModelHandler>& handler,
    CatalogueComponents components, ReportingRegistrationRunner::Warning registrationWarning)
    : VeloraRuntimeProgressGate(name, handler),
      handler_(handler),
      components_(std::move(components)),
      registrationWarning_(std::move(registrationWarning)) {}

std::unique_ptr<install::engine::Engine> CatalogueRuntimeProgressGate::getEngineInstance() const {
    return components_.engine();
}

std::unique_ptr<install::engine::EngineConfig> CatalogueRuntimeProgressGate::getEngineConfigInstance() const {
    auto config = VeloraRuntimeProgressGate::getEngineConfigInstance();
    config->setProxyUrl(configuredProxyAddress());
    // The level the update decision installs: the offered one, or the installed one when only
    // products are added to it.
    const int level =
        std::max(handler_->getUpdateLevel(), handler_->getInstalledProductsReleaseUpdateLevel());
    config->setRelease({fl::i18n::to_string(handler_->getReleaseFamily()),
                        fl::i18n::to_string(handler_->getReleaseStatus()), level});
    return config;
}

std::unique_ptr<registration::productconfig::ProductRegistrationRunner>
CatalogueRuntimeProgressGate::getProductRegistrationRunnerInstance(const std::u16string& folder) const {
    const auto runner = VeloraRuntimeProgressGate::getProductRegistrationRunnerInstance(folder);
    return std::make_unique<ReportingRegistrationRunner>(*runner, registrationWarning_);
}

void CatalogueRuntimeProgressGate::setProductSpecificOptions(RegistrationOptions& options) const {
    VeloraRuntimeProgressGate::setProductSpecificOptions(options);
    const auto product = components_.identifier()->getControllingProduct(handler_->getOfferedProducts());
    if (!product) return;
    options["registrykeyroot"] = fl::i18n::to_string(product->getRegistryKeyRoot());
    options["registrykey"] = fl::i18n::to_string(product->getRegistryKey());
    options["registrykeysubroot"] = fl::i18n::to_string(product->getRegistryKeySubRoot());
}

}  // namespace velora::installer
