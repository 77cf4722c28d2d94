#pragma once

#include <memory>
#include <string>

#include "gates/download/DownloadProductSelectionGate.h"
#include "gates/download/DownloadProgressGate.h"
#include "host/CatalogueComponents.h"

// The download-only pages that ask about products, given the run's product catalogue through
// their factory getters: what is offered and checked is what the engine fetches and describes in
// the downloaded folder's catalogue. The downloads go through the configured proxy.
namespace velora::installer {

class CatalogueDownloadProductSelectionGate
    : public install::product_installer::workflow_utils::DownloadProductSelectionGate {
public:
    CatalogueDownloadProductSelectionGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        CatalogueComponents components);

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override;
    std::unique_ptr<install::product_validator::ProductValidator> getProductValidatorPtr() const override;

private:
    CatalogueComponents components_;
};

class CatalogueDownloadProgressGate
    : public install::product_installer::workflow_utils::DownloadProgressGate {
public:
    CatalogueDownloadProgressGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        CatalogueComponents components);

protected:
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override;
    std::unique_ptr<install::engine::EngineConfig> getEngineConfigInstance() const override;
    std::unique_ptr<install::product_installer::workflow_utils::InstallerDownloaderInterface>
    getInstallerDownloader(
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        const InstallerUrls& windowsInstallers, const InstallerUrls& otherInstallers,
        const std::u16string& folder) const override;

private:
    CatalogueComponents components_;
};

}  // namespace velora::installer
