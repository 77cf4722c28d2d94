#pragma once

#include <memory>

#include "foundation/ComponentExport.h"
#include "install/engine/Engine.h"
#include "install/productidentifier/ProductCatalogue.h"

namespace install::engine {

// The engine of this machine. It answers what an installation folder holds from the folder's
// installation record (InstallationManifest). The run operations live in LocalEngineRun.cpp.
class COMPONENT_API LocalEngine : public Engine {
public:
    // Without a catalogue, the one beside the running installer is read when first needed.
    explicit LocalEngine(std::shared_ptr<const productidentifier::ProductCatalogue> catalogue = nullptr);
    ~LocalEngine() override;

    void update(const std::u16string& folder, const std::vector<std::string>& platforms,
                const std::string& locale, const std::u16string& archivesFolder,
                const std::shared_ptr<repository_adapter::RepositoryAdapter>& repository,
                const EngineConfig& config) override;
    void download(const std::vector<std::u16string>& products, const std::u16string& folder,
                  const std::vector<std::string>& platforms,
                  const std::shared_ptr<repository_adapter::RepositoryAdapter>& repository,
                  const EngineConfig& config) override;
    void start(const std::vector<std::u16string>& products, const std::u16string& folder,
               const std::vector<std::string>& platforms, const std::string& locale,
               const std::u16string& archivesFolder, WorkflowType workflowType,
               const std::shared_ptr<repository_adapter::RepositoryAdapter>& repository,
               const OptionalFeatureFlags& flags, const EngineConfig& config) override;
    void startForDownloadOnly(const std::vector<std::u16string>& products, const std::u16string& folder,
                              const std::vector<std::string>& platforms,
                              const std::vector<std::string>& languages, WorkflowType workflowType,
                              const std::shared_ptr<repository_adapter::RepositoryAdapter>& repository,
                              const EngineConfig& config) override;
    ProductMap getInstalledProducts(const std::u16string& folder, bool ignoreInvalidRecord) override;
    ProductMap getInstalledProducts(const std::u16string& folder) override;
    ProductMap getInstalledKestrelixProducts(const std::u16string& folder) override;
    void startUninstall(const std::u16string& folder, const std::vector<std::u16string>& products) override;

protected:
    std::shared_ptr<const productidentifier::ProductCatalogue> getCatalogue();

private:
    std::shared_ptr<const productidentifier::ProductCatalogue> catalogue_;
};

}  // namespace install::engine
