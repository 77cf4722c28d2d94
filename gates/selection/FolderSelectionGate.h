#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "install/engine/Engine.h"
#include "install/platformutil/DefaultDirectoryProvider.h"
#include "install/platformutil/DetectRunningProcess.h"
#include "install/platformutil/Platform.h"
#include "install/productidentifier/ProductIdentifier.h"
#include "install/repository_adapter/RepositoryAdapter.h"
#include "install/tlmx/DiagnosticsData.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/validatefolder/DestinationContentValidator.h"
#include "install/validatefolder/FolderValidator.h"
#include "install/workflow_manager/Gate.h"
#include "microservices/ServiceRegistry.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The page on which the destination folder of an installation is chosen. It proposes a default
// folder and accepts the user's choice only when, in this order, the folder is usable, what it
// already holds does not conflict with the installation, the product is not running from it, and
// products can be obtained. The first check that fails leaves its reason in the model and keeps
// the workflow on the page.
//
// The online product repository is a service of the host. The host hands its registry to the
// gate with setServiceRegistry; without one, a check that needs the online repository fails
// with "Failed to load repository adapter microservice".
class WORKFLOW_UTILS_API FolderSelectionGate : public install::workflow_manager::Gate {
public:
    using ControllingProduct = install::productdata::ControllingProduct;
    using RepositoryAdapter = install::repository_adapter::RepositoryAdapter;
    using Platform = install::platformutil::Platform;
    using RelativePathMap = std::map<Platform, std::filesystem::path>;

    FolderSelectionGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    // A copy shares the handler and the registry and starts from the same diagnostics figures.
    FolderSelectionGate(const FolderSelectionGate& other);
    FolderSelectionGate(FolderSelectionGate&&) noexcept;
    FolderSelectionGate& operator=(const FolderSelectionGate& other);
    FolderSelectionGate& operator=(FolderSelectionGate&&) noexcept;
    ~FolderSelectionGate() override;

    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;
    void clearInputData() const override;
    // A runtime update keeps the folder of the earlier runtime as long as that folder is still there.
    bool checkIfShouldBeSkipped() const override;
    void skip() const override;

    // The registry in which the host offers the online product repository ("(type=onlineproduct)").
    void setServiceRegistry(const std::shared_ptr<microservices::ServiceRegistry>& registry);

protected:
    // Folders are created by the installation itself on this platform, with the user's rights.
    virtual void mkdirAsCurrentUser(const std::u16string& folder) const;
    // The validator's required checks, then its root-drive warning, shown once per folder page.
    // An unrecognised refusal leaves as install::cpputil::InstallerException.
    virtual bool isFolderValid(const std::u16string& folder) const;
    virtual bool isFolderContentValid(const std::u16string& folder) const;
    virtual bool isDownloadOnlyOrLicenseManager() const;
    virtual bool isProductExecutableRunning() const;
    virtual void showProductExecutableRunningError() const;
    virtual void logMessage(const std::u16string& message) const;
    virtual std::unique_ptr<install::validatefolder::FolderValidator> getFolderValidator() const;
    virtual std::unique_ptr<install::validatefolder::DestinationContentValidator>
    getDestinationContentValidator(const std::u16string& folder) const;
    virtual std::u16string getFolderInvalidErrorMessage() const;
    virtual std::unique_ptr<install::platformutil::DefaultDirectoryProvider> getDefaultDirectoryProvider()
        const;
    virtual std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const;
    virtual std::unique_ptr<install::platformutil::DetectRunningProcess> getDetectRunningProcessStrategy()
        const;
    virtual std::u16string getDefaultDir() const;
    virtual Platform getCurrentPlatform() const;
    virtual std::filesystem::path getRelativeProductPath(const RelativePathMap& paths,
                                                         Platform platform) const;
    virtual std::u16string appendToInstallFolderForMacOs(const std::u16string& folder) const;
    // Rethrows install::engine::EngineInvalidInstalledProductsException after logging it.
    virtual std::vector<std::u16string> getInstalledProductBasecodes(const std::u16string& folder) const;
    virtual std::unique_ptr<install::engine::Engine> getEngineInstance() const;
    virtual std::u16string getControllingProductName(const std::vector<std::u16string>& products) const;
    virtual std::u16string getControllingProductFamily(const std::vector<std::u16string>& products) const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                         const std::string& details, const std::string& location) const;
    virtual install::tlmx::DiagnosticsData getDiagnosticsData() const;
    // Throws std::runtime_error when no online repository is registered.
    virtual std::shared_ptr<RepositoryAdapter> createRepoAdapterInstanceForOnline() const;
    virtual bool checkAvailableProducts() const;
    virtual bool getAvailableProducts(const std::shared_ptr<RepositoryAdapter>& repository) const;
    virtual std::string getFolderSelectionLocation() const;
    // -1 when the folder's "VersionInfo.xml" is missing or cannot be read.
    virtual int getInstalledAreaUpdateNo(const std::u16string& folder) const;
    virtual bool shouldCreateOnlineRepo() const;
    virtual bool doProductsExists() const;
    virtual bool isProductsAvailable() const;
    // The registry given by the host; null when none was given.
    virtual std::shared_ptr<microservices::ServiceRegistry> getServiceRegistry() const;

    bool IsPlatformCompatibleForDestination() const;

private:
    void updateErrorInformation(bool& valid, const std::u16string& message) const;
    // The message and the title of every content conflict that is not about controlling products.
    std::vector<std::u16string> getOverWriteErrorMessageMetaData() const;
    void reportContentConflict(bool& valid, const std::string& code, const std::string& message,
                               const std::string& details, const std::string& location) const;
    std::shared_ptr<ControllingProduct> controllingProductOf(
        const std::vector<std::u16string>& products) const;
    void recordDiagnostics(int key, const foundation::json::Value& value);

    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
    install::tlmx::DiagnosticsData diagnosticsData;
    std::shared_ptr<microservices::ServiceRegistry> serviceRegistry;
};

}  // namespace install::product_installer::workflow_utils
