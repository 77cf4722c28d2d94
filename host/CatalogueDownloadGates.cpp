#include "host/CatalogueDownloadGates.h"

#include "host/ConfiguredProxy.h"
#include "host/ProxiedInstallerDownloader.h"

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

std::unique_ptr<install::engine::EngineConfig> CatalogueDownloadProgressGate::getEngineConfigInstance()
    const {
    auto config = DownloadProgressGate::getEngineConfigInstance();
    config->setProxyUrl(configuredProxyAddress());
    return config;
}

std::unique_ptr<install::product_installer::workflow_utils::InstallerDownloaderInterface>
CatalogueDownloadProgressGate::getInstallerDownloader(
    const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
    const InstallerUrls& windowsInstallers, const InstallerUrls& otherInstallers,
    const std::u16string& folder) const {
    return std::make_unique<ProxiedInstallerDownloader>(handler, windowsInstallers, otherInstallers, folder,
                                                        configuredProxyAddress());
}

}  // namespace velora::installer
