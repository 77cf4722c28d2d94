#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "install/engine/DiskSpaceValidator.h"
#include "install/engine/RequiredSizeCalculator.h"
#include "install/platformutil/VolumeDetector.h"
#include "install/repository_adapter/RepositoryAdapter.h"
#include "install/workflow_manager/Gate.h"
#include "microservices/ServiceRegistry.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The runtime installer's check before it installs, without a page of its own: the runtime's
// products can be had from the repository, and the installation folder (and the temporary
// folder, for what is downloaded) has room. When the data is not ready the reason is left in the
// model. It also makes sure that a repository for the update level to install exists: the
// products beside the installer when they are there, else the online repository, configured
// anew whenever the level changes.
//
// The online repository is a service of the host, handed over with setServiceRegistry; without
// it, creating one throws std::runtime_error.
class WORKFLOW_UTILS_API VeloraRuntimeValidationGate : public install::workflow_manager::Gate {
public:
    using RepositoryAdapter = install::repository_adapter::RepositoryAdapter;
    // Bytes to download, bytes to install.
    using RequiredSizes = std::pair<std::uint64_t, std::uint64_t>;

    VeloraRuntimeValidationGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    VeloraRuntimeValidationGate(const VeloraRuntimeValidationGate&) = default;
    VeloraRuntimeValidationGate(VeloraRuntimeValidationGate&&) noexcept = default;
    VeloraRuntimeValidationGate& operator=(const VeloraRuntimeValidationGate&) = default;
    VeloraRuntimeValidationGate& operator=(VeloraRuntimeValidationGate&&) noexcept = default;
    ~VeloraRuntimeValidationGate() override;

    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;
    // Skipped when the runtime is already there or cannot be updated from a product folder.
    bool checkIfShouldBeSkipped() const override;
    bool checkIfDataIsReady() const override;
    void skip() const override;

    void setServiceRegistry(const std::shared_ptr<microservices::ServiceRegistry>& registry);

protected:
    virtual bool getProductsAndCheckAvailability() const;
    // A failure while looking counts as enough space: the installation itself will tell.
    virtual bool hasEnoughSpace() const;
    virtual bool IfFolderRepoHasProducts() const;
    virtual bool fileExistsWrapper(const std::u16string& path) const;
    virtual RequiredSizes getRequiredSizes() const;
    // Empty when the system names none.
    virtual std::u16string getTemporaryFolder() const;
    virtual std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const;
    virtual std::unique_ptr<install::engine::RequiredSizeCalculator> getRequiredSizeCalculatorInstance()
        const;
    virtual std::unique_ptr<install::platformutil::VolumeDetector> getVolumeDetetorInstance() const;
    virtual void createOnlineRepoAdapter() const;
    // Where the folder lies as a message names it: the drive of a Windows installation.
    virtual std::u16string getLocation(const std::u16string& folder) const;
    virtual void log_message(const std::u16string& text) const;
    // Empty when the handler holds no repository.
    virtual install::repository_adapter::ProductMap getProducts() const;
    // The disk-space message and its title.
    virtual std::vector<std::u16string> getWarningMetaData(const std::u16string& location,
                                                           std::uint64_t bytes) const;
    virtual bool isSameVolume(const std::u16string& first, const std::u16string& second) const;
    virtual bool setDownloadUpdateLevelAndCheckIfChanged() const;
    virtual void createOnlineRepoAdapterIfNeeded() const;
    // The registry given by the host; null when none was given.
    virtual std::shared_ptr<microservices::ServiceRegistry> getServiceRegistry() const;

private:
    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::shared_ptr<microservices::ServiceRegistry> serviceRegistry;
};

}  // namespace install::product_installer::workflow_utils
