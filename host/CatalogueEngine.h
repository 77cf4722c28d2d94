#pragma once

#include "LocalEngine.h"
#include "host/ProductCatalogueChoice.h"

namespace velora::installer {

// The engine of this machine, working from the run's product catalogue: it verifies each archive
// against the checksum the catalogue gives and refuses one that differs. An archive the catalogue
// has no checksum for is installed as it is, and the installer log says so before the run.
class CatalogueEngine : public install::engine::LocalEngine {
public:
    explicit CatalogueEngine(ProductCatalogueChoice choice);

    void start(const std::vector<std::u16string>& products, const std::u16string& folder,
               const std::vector<std::string>& platforms, const std::string& locale,
               const std::u16string& archivesFolder, install::engine::WorkflowType workflowType,
               const std::shared_ptr<install::repository_adapter::RepositoryAdapter>& repository,
               const install::engine::OptionalFeatureFlags& flags,
               const install::engine::EngineConfig& config) override;

private:
    std::filesystem::path catalogueFile_;
};

}  // namespace velora::installer
