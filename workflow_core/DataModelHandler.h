#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "install/datamodels/DataModel.h"
#include "install/product_api/Product.h"
#include "install/repository_adapter/RepositoryAdapter.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The one path by which gates, progress callbacks and the workflow listener read and write the
// installer's data model. Every operation walks from the root to the one property it serves.
// All operations are virtual so that a gate can be given a substitute.
class WORKFLOW_UTILS_API DataModelHandler {
public:
    using ProductInstaller = install::datamodels::product_installer::ProductInstaller;
    using WorkflowIndependentData = install::datamodels::product_installer::WorkflowIndependentData;
    using WorkflowDependentData = install::datamodels::product_installer::WorkflowDependentData;
    using ApplicationData = install::datamodels::common::ApplicationData;
    using ValidationStatus = install::datamodels::common::ValidationStatus;
    using ValidationResultType = install::datamodels::product_installer::ValidationResultType;
    using OptionSelection = install::datamodels::product_installer::OptionSelection;
    using OptionToDisplay = install::datamodels::product_installer::OptionToDisplay;
    using OptionType = install::datamodels::product_installer::OptionType;
    using ProductSelection = install::datamodels::product_installer::ProductSelection;
    using ProductToDisplay = install::datamodels::product_installer::ProductToDisplay;
    using DownloadProgressData = install::datamodels::product_installer::DownloadProgressData;
    using InstallProgressData = install::datamodels::product_installer::InstallProgressData;
    using UninstallProgressData = install::datamodels::product_installer::UninstallProgressData;
    using OverallProgressData = install::datamodels::product_installer::OverallProgressData;
    using ConfirmationItem = install::datamodels::product_installer::ConfirmationItem;
    using UserApplicationData = install::datamodels::product_installer::UserApplicationData;
    using UpdateScenario = install::datamodels::product_installer::UpdateScenario;
    using QRTErrorType = install::datamodels::product_installer::QRTErrorType;
    using RepositoryAdapter = install::repository_adapter::RepositoryAdapter;
    using ProductList = std::vector<std::u16string>;
    using AvailableProductMap =
        std::map<std::u16string, std::shared_ptr<const install::product_api::Product>>;

    // Takes over `archiveReader`, the thread that reads the product archives in the background.
    DataModelHandler(const tq::zero::Model& model, ProductInstaller& root, std::thread&& archiveReader);
    // Starts a thread of its own that ends at once, so the thread member is joinable either way.
    DataModelHandler(const tq::zero::Model& model, ProductInstaller& root);
    DataModelHandler(const DataModelHandler&) = delete;
    DataModelHandler& operator=(const DataModelHandler&) = delete;
    // Waits for the archive reading to end.
    virtual ~DataModelHandler();

    virtual std::u16string getUserInputFolder() const;
    virtual std::u16string getUserGivenDownloadFolder() const;
    virtual std::u16string getReleaseFamily() const;
    virtual std::u16string getReleaseStatus() const;
    virtual int getUpdateLevel() const;
    virtual int getInstalledProductsReleaseUpdateLevel() const;
    virtual std::u16string getExecutionPlatform() const;
    virtual std::u16string getLocale() const;
    virtual std::u16string getUserAppLogo() const;
    virtual std::u16string getUserAppIcon() const;
    virtual std::u16string getInstallationFilesDir() const;
    virtual std::u16string getInstallerName() const;
    virtual std::u16string getInstallerVersion() const;
    virtual int getExitStatus() const;
    virtual OptionSelection getOptionSelection() const;
    virtual ProductList getInstallableProducts() const;
    virtual ProductList getDownloadableProducts() const;
    virtual DownloadProgressData getDownloadProgressData() const;
    virtual InstallProgressData getInstallProgressData() const;
    virtual UninstallProgressData getUninstallProgressData() const;
    virtual ProductList getMinimalProducts() const;
    virtual ProductList getDownloadPlatforms() const;
    virtual ProductList getSelectedProducts() const;
    virtual ProductList getAppRequiredProducts() const;
    virtual ProductList getOfferedProducts() const;
    virtual std::u16string getClientString() const;
    virtual std::u16string getAccessToken() const;
    virtual std::u16string getDataRequired() const;
    virtual std::u16string getWorkflow() const;
    virtual std::u16string getAdvancedOptionSelected() const;
    virtual std::u16string getUserLoginEmail() const;
    virtual std::u16string getInitialWorkflow() const;
    virtual std::u16string getExtractedBundleDirectory() const;
    virtual bool getHasPrevQRTInstallation() const;
    virtual void setHasPrevQRTInstallation(bool value) const;
    virtual std::u16string getStaticExtractedBundleDirectory() const;
    virtual void setStaticExtractedBundleDirectory(const std::u16string& directory) const;
    virtual void setUserAppLogo(const std::u16string& logo) const;
    virtual std::u16string getUserInputInstallationDirectory() const;
    virtual void setUserInputInstallationDirectory(const std::u16string& directory) const;
    virtual std::u16string getDefaultInstallationDirectory() const;
    virtual void setInstallationDirectory(const std::u16string& directory) const;
    virtual void setInitialWorkflow(std::u16string workflowName) const;
    virtual std::u16string getUserLoginFirstName() const;
    virtual std::u16string getUserLoginLastName() const;
    virtual void initializeLoginError() const;
    virtual bool getLoginErrorStatusFromBackend() const;
    virtual bool getLoginErrorStatusFromUser() const;
    virtual bool getIsMinimalProductMode() const;
    virtual bool getIsQRTInstallation() const;
    virtual bool getIsVantapakInstallation() const;
    virtual bool isBatSet() const;
    virtual void setIsTestMode(bool value) const;
    virtual bool shouldInstallDemo() const;
    virtual bool shouldInstallDoc() const;
    virtual bool isTlmxEnabled() const;
    virtual bool isOverwriteWarningAcknowledged() const;
    virtual bool isMissingProductWarningShown() const;
    virtual void setMissingProductWarning(bool shown) const;
    virtual ProductSelection getProductSelectionObjectFromDataModel() const;
    virtual void setRequiredInstallSize(const unsigned long long& bytes) const;
    virtual void setRequiredDownloadSize(const unsigned long long& bytes) const;
    virtual unsigned long long getRequiredInstallSize() const;
    virtual unsigned long long getRequiredDownloadSize() const;
    virtual bool isLicenseManagerWorkflow() const;
    virtual bool isDownloadOnlyWorkflow() const;
    virtual bool isVantapakWorkflow() const;
    virtual bool isOnlineInstallWorkflow() const;
    virtual UserApplicationData getVantapakUserApplicationDataModel() const;
    virtual void setIsQRTInstallation(bool value) const;
    virtual void setIsBat(bool value);
    virtual void setIsMinimalProductMode(bool value) const;
    virtual void setMinimalProducts(const std::vector<std::string>& products) const;
    virtual void setDefaultPlatform(const std::u16string& platform) const;
    virtual void setOfferedProducts(const ProductList& products) const;
    virtual void setDefaultFolder(const std::u16string& folder) const;
    virtual void setDefaultDownloadFolder(const std::u16string& folder) const;
    virtual std::u16string getDefaultFolder() const;
    virtual std::u16string getDefaultDownloadFolder() const;
    virtual void setUserInputFolder(const std::u16string& folder) const;
    virtual void setUserGivenDownloadFolder(const std::u16string& folder) const;
    virtual void setInstallerExtractionInstruction(const std::u16string& instruction) const;
    virtual void setInstallFolder(const std::u16string& folder) const;
    virtual std::u16string getInstallFolder() const;
    virtual void setDataRequired(const std::u16string& name) const;
    virtual void setDataAvailableToUnset() const;
    virtual void setAsDataProcessed() const;
    virtual void setWorkflow(const std::u16string& workflowName) const;
    virtual void setLocale(const std::u16string& locale) const;
    virtual void setPlatform(const std::u16string& platform) const;
    virtual void initializeInstallFolderModel() const;
    virtual void initializeDownloadFolderModel() const;
    virtual void initializeProductSelectionModel() const;
    virtual void initializeOptionSelectionModel() const;
    virtual void initializeValidationStatus() const;
    virtual void initializeRelease() const;
    virtual void setAsValid() const;
    virtual void setExitStatus(const int& status) const;
    virtual void setAvailableProductMap(const AvailableProductMap& products);
    virtual AvailableProductMap getAvailableProductMap() const;
    virtual void setInstallationNotes(const std::u16string& notes) const;
    virtual void setPathIssueNotes(const std::u16string& notes) const;
    virtual void setCurrentValidationFailure(const ValidationResultType& type, const std::u16string& message,
                                             const std::u16string& title) const;
    virtual void setCurrentValidationWarning(const ValidationResultType& type, const std::u16string& message,
                                             const std::u16string& title) const;
    virtual ProductList getAvailableProducts() const;
    virtual ProductList getInstalledProducts() const;
    virtual bool isSilentWorkflow() const;
    virtual void setAvailableProducts(const ProductList& products) const;
    virtual void setInstalledProducts(const ProductList& products) const;
    virtual void setInstallableProducts(const ProductList& products) const;
    virtual void setDownloadableProducts(const ProductList& products) const;
    virtual void initializeProductsToDisplayList(const std::vector<ProductToDisplay>& products) const;
    virtual void initializeMissingProducts(const ProductList& products) const;
    virtual ProductToDisplay initializeProductToDisplay(const std::u16string& baseCode,
                                                        const std::u16string& productName) const;
    virtual void clearAvailableProducts() const;
    virtual void clearInstallableProducts() const;
    virtual bool getIsAgreeToLicense() const;
    virtual void initializeSelectedProducts(const std::set<std::u16string>& products) const;
    virtual void initializeConfirmationModel() const;
    virtual void setConfirmationItems(const std::vector<ConfirmationItem>& items) const;
    virtual ConfirmationItem createConfirmationItem() const;
    virtual std::u16string getSessionKey() const;
    virtual OptionToDisplay createOptionToDisplay(const OptionType& type, bool isViewOnly) const;
    virtual void insertIntoOptionToDisplayList(const OptionToDisplay& option) const;
    virtual std::u16string getSymbolicLinkPath() const;
    virtual bool isSymbolicLinkSelected() const;
    virtual void setSymbolicLinkPath(const std::u16string& path) const;
    virtual int getOptionToDisplayListSize() const;
    virtual void setAsDataAvailable() const;
    virtual void setIsStartMenuShortcutSelected(bool value) const;
    virtual void setIsDesktopShortcutSelected(bool value) const;
    virtual void setIsSymbolicLinkSelected(bool value) const;
    virtual void setRootDriveWarningAcknowledgementToTrue() const;
    virtual bool isRootDriveWarningAcknowledged() const;
    virtual void resetInstallFolderModel() const;
    virtual void resetDownloadFolderModel() const;
    virtual void setDownloadProgressData(const std::u16string& componentName, unsigned long long bytesSoFar,
                                         unsigned long long expectedBytes, unsigned long long percentage,
                                         std::u16string message, std::u16string title) const;
    virtual void setInstallProgressData(const std::u16string& componentName,
                                        unsigned long long componentsSoFar, unsigned long long bytesSoFar,
                                        unsigned long long expectedComponents,
                                        unsigned long long expectedBytes, unsigned long long percentage,
                                        std::u16string message, std::u16string title) const;
    virtual void setUninstallProgressData(const std::u16string& componentName, unsigned long long bytesSoFar,
                                          unsigned long long expectedBytes, unsigned long long percentage,
                                          std::u16string message, std::u16string title) const;
    virtual void resetProductSelectionModel() const;
    virtual void clearOptionsToDisplayList() const;
    virtual void resetOptionSelectionModel() const;
    virtual void resetConfirmationItems() const;
    virtual void setIsDataModified(bool value) const;
    virtual tq::zero::Model getModelInstance() const;
    virtual void setDataProcessed(const std::u16string& name) const;
    virtual void updateOverallProgress() const;
    virtual void updateOverallUninstallProgress() const;
    virtual OverallProgressData getOverallProgressData() const;
    virtual void initializeLoginModelForRequestParameters() const;
    virtual void initializeLoginModelForResponseParameters() const;
    virtual void setLoginEndPoint(const std::u16string& endPoint) const;
    virtual void setClientString(const std::u16string& clientString) const;
    virtual void setLoginLevel(int level) const;
    virtual void setShowCreateAccount(bool value) const;
    virtual void setShowRememberMe(bool value) const;
    virtual void setIdentifierReadOnly(bool value) const;
    virtual void initializeProxy() const;
    virtual std::u16string getProxyUserName() const;
    virtual std::u16string getProxyPassword() const;
    virtual bool isImproveVeloraSelected() const;
    virtual bool isDesktopShortcutSelected() const;
    virtual bool isUserLoggedIn() const;
    virtual void setHasEnoughSpaceFlag(bool value) const;
    virtual void setProductRepoAdapterInstance(const std::shared_ptr<RepositoryAdapter>& adapter);
    virtual std::shared_ptr<RepositoryAdapter> getProductRepoAdapterInstance() const;
    virtual bool getHasEnoughSpace() const;
    virtual void setIsImproveVeloraSelected(bool value) const;
    virtual bool isInteractiveInstallFromFolderWorkflow() const;
    virtual void setPrivacyPolicyToDisplay(const std::u16string& text) const;
    virtual void setInstalledProductsReleaseUpdateLevel(int updateLevel) const;
    virtual bool getDoesLocalArchivesExist() const;
    virtual void setDoesLocalArchivesExist(bool value);
    virtual bool IsFolderRepoInstance() const;
    virtual void setIsFolderRepoInstance(bool value);
    virtual void initializeProgressData() const;
    virtual void setStaticInstallerRootPath(const std::u16string& path) const;
    virtual std::u16string getPackagesRoot() const;
    virtual void setIsConfigureLMAsServiceSelected(bool value) const;
    virtual bool getIsConfigureLMAsServiceSelected() const;
    virtual void joinArchiveReadingThread();
    virtual std::u16string getWelcomePanelText() const;
    virtual std::u16string getLoginErrorFromBackendDetails() const;
    virtual UpdateScenario getUpdateScenario() const;
    virtual void setUpdateScenario(UpdateScenario scenario);
    virtual int getToBeInstalledUpdateLevel() const;
    virtual void setToBeInstalledUpdateLevel(int updateLevel);
    virtual void setQRTErrorItem(const QRTErrorType& type, const std::u16string& message) const;
    virtual bool isMissingNotInstalledShown() const;
    virtual void setMissingNotInstalledShown(bool shown) const;
    virtual void setMissingJRERuntime(bool missing) const;

private:
    WorkflowIndependentData independentData() const;
    WorkflowDependentData dependentData() const;
    ApplicationData applicationData() const;
    void setValidationStatus(install::datamodels::common::Result result, const ValidationResultType& type,
                             const std::u16string& message, const std::u16string& title) const;

    tq::zero::Model model;
    ProductInstaller productInstaller;
    AvailableProductMap availableProductMap;
    std::shared_ptr<RepositoryAdapter> productRepoAdapter;
    mutable std::mutex progressMutex;
    bool localArchivesExist = false;
    bool folderRepoInstance = false;
    std::thread archiveReadingThread;
};

}  // namespace install::product_installer::workflow_utils
