#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"
#include "install/engine/EngineConfig.h"
#include "install/engine/EngineExceptions.h"
#include "install/engine/OptionalFeatureFlags.h"
#include "install/engine/WorkflowType.h"
#include "install/repository_adapter/RepositoryAdapter.h"

namespace install::engine {

// Products by base code (UTF-16), as repositories and installation folders list them.
using ProductMap = repository_adapter::ProductMap;

// The install engine: fetches, verifies, unpacks and records products. Every run operation
// blocks until the run is over, reports progress through the registrations of
// ProgressRegistration.h meanwhile, and throws one of EngineExceptions.h on failure.
// Products are base codes; platforms ("w64pc", ...) and locales are 8-bit texts.
class COMPONENT_API Engine {
public:
    virtual ~Engine();

    // Brings the installation in the folder to the repository's update level.
    virtual void update(const std::u16string& folder, const std::vector<std::string>& platforms,
                        const std::string& locale, const std::u16string& archivesFolder,
                        const std::shared_ptr<repository_adapter::RepositoryAdapter>& repository,
                        const EngineConfig& config) = 0;
    // Fetches the products' archives into the folder without installing them.
    virtual void download(const std::vector<std::u16string>& products, const std::u16string& folder,
                          const std::vector<std::string>& platforms,
                          const std::shared_ptr<repository_adapter::RepositoryAdapter>& repository,
                          const EngineConfig& config) = 0;
    // Installs the products into the folder and returns when done. Archives already in
    // `archivesFolder` are used instead of fetching them.
    virtual void start(const std::vector<std::u16string>& products, const std::u16string& folder,
                       const std::vector<std::string>& platforms, const std::string& locale,
                       const std::u16string& archivesFolder, WorkflowType workflowType,
                       const std::shared_ptr<repository_adapter::RepositoryAdapter>& repository,
                       const OptionalFeatureFlags& flags, const EngineConfig& config) = 0;
    // Fetches the products' archives for every platform and language into the folder.
    virtual void startForDownloadOnly(
        const std::vector<std::u16string>& products, const std::u16string& folder,
        const std::vector<std::string>& platforms, const std::vector<std::string>& languages,
        WorkflowType workflowType, const std::shared_ptr<repository_adapter::RepositoryAdapter>& repository,
        const EngineConfig& config) = 0;
    // The products installed in the folder, by base code; empty when the folder holds no
    // installation. An unreadable installation record throws
    // EngineInvalidInstalledProductsException unless `ignoreInvalidRecord` is set, in which
    // case it counts as no installation.
    virtual ProductMap getInstalledProducts(const std::u16string& folder, bool ignoreInvalidRecord) = 0;
    // As above, throwing on an unreadable record.
    virtual ProductMap getInstalledProducts(const std::u16string& folder) = 0;
    // The installed products of the folder that the product catalogue knows.
    virtual ProductMap getInstalledKestrelixProducts(const std::u16string& folder) = 0;
    // Removes the products from the folder (all of them when the list is empty).
    virtual void startUninstall(const std::u16string& folder,
                                const std::vector<std::u16string>& products) = 0;
};

// The engine of this platform.
COMPONENT_API std::unique_ptr<Engine> createEngine();

}  // namespace install::engine
