#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/log/DiagnosticLogger.h"
#include "install/account_service/AccountServiceClient.h"
#include "install/engine/DiskSpaceValidator.h"
#include "install/engine/Engine.h"
#include "install/engine/RequiredSizeCalculator.h"
#include "install/platformutil/VolumeDetector.h"
#include "install/product_validator/ProductSelection.h"
#include "install/product_validator/ProductValidator.h"
#include "install/productidentifier/ProductIdentifier.h"
#include "install/repository_adapter/RepositoryAdapter.h"
#include "install/tlmx/DiagnosticsData.h"
#include "install/tlmx/ProductData.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The page on which the user picks the products to install. Its defaults are the products of the
// release, those this installer may install, a proposed selection and the list shown to the
// user. A selection is accepted only when, in this order, it can be installed, it adds something
// to the folder, it lacks neither controlling nor dependent products (or the user has already
// been told and goes on), and the disks can hold it. Each refusal leaves its message in the
// model, a line in the installer log and a diagnostics record, and keeps the page open.
//
// The products come from the repository the handler holds (setProductRepoAdapterInstance); the
// installer application fills the offered products before this page.
class WORKFLOW_UTILS_API ProductSelectionGate : public install::workflow_manager::Gate {
public:
    using ProductList = std::vector<std::u16string>;
    using ProductToDisplay = DataModelHandler::ProductToDisplay;
    using ProductToDisplayList = std::vector<ProductToDisplay>;
    using ValidationResultType = DataModelHandler::ValidationResultType;

    // Bytes a selection fetches and occupies once installed.
    struct RequiredSizes {
        std::uint64_t downloadSize = 0;
        std::uint64_t installSize = 0;
    };
    // The text of a disk-space warning.
    struct WarningText {
        std::u16string message;
        std::u16string title;
    };

    ProductSelectionGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    // A copy shares the handler and starts from the same diagnostics figures.
    ProductSelectionGate(const ProductSelectionGate& other);
    ProductSelectionGate(ProductSelectionGate&&) noexcept;
    ProductSelectionGate& operator=(const ProductSelectionGate& other);
    ProductSelectionGate& operator=(ProductSelectionGate&&) noexcept;
    ~ProductSelectionGate() override;

    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;
    void clearInputData() const override;
    // False, with the missing-files failure, when an interactive run has nothing to install.
    bool checkIfDataIsReady() const override;

protected:
    virtual void log_message(const std::u16string& message) const;
    virtual std::vector<std::u16string> getProductNamesFromDisplayList(
        const ProductToDisplayList& products) const;
    virtual bool validateSelectedProducts() const;
    virtual bool checkForReinstall() const;
    // Empty when the handler holds no repository.
    virtual ProductList getAvailableProductBasecodes() const;
    // Base codes whose name cannot be found are left out.
    virtual ProductToDisplayList getProductsToDisplayList(const ProductList& baseCodes) const;
    virtual std::unique_ptr<install::product_validator::ProductSelection> getProductSelectionPtr() const;
    virtual std::unique_ptr<install::product_validator::ProductValidator> getProductValidatorPtr() const;
    virtual std::unique_ptr<install::account_service::AccountServiceClient> getAccountServiceClientInstance()
        const;
    virtual void populateDataModelWithAvailableProducts() const;
    virtual void populateDataModelWithInstallableProducts() const;
    virtual void populateDataModelWithMinimalProductsSet() const;
    virtual void initializeProductSelection() const;
    virtual std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const;
    // The family's head products first, in a fixed order, then the others by upper-cased name.
    virtual void sortProductToDisplayList(ProductToDisplayList& products) const;
    virtual std::unique_ptr<install::engine::Engine> getEngineInstance() const;
    virtual bool checkForMissingProducts() const;
    virtual std::u16string createMissingProductsString(const ProductToDisplayList& products) const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                         const std::string& details, const std::string& location) const;
    virtual void collectProductInfoForTlmx(const std::vector<install::tlmx::ProductData>& products) const;
    virtual std::vector<install::tlmx::ProductData> computeProductDatasForTLMX() const;
    virtual std::unique_ptr<install::engine::RequiredSizeCalculator> getRequiredSizeCalculatorInstance()
        const;
    virtual RequiredSizes getRequiredSizes() const;
    virtual bool hasEnoughSpace() const;
    virtual std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const;
    // The message states the space the selection needs, as the size formatter writes it.
    virtual WarningText getWarningMetaData(std::uint64_t requiredSize) const;
    virtual void showWarning(std::uint64_t requiredSize, const ValidationResultType& type) const;
    virtual bool isSameVolume(const std::u16string& first, const std::u16string& second) const;
    // Empty when the handler holds no repository.
    virtual install::repository_adapter::ProductMap getProducts() const;
    virtual bool checkIfMinimalModeApplicable(const ProductList& available,
                                              const std::vector<std::string>& minimal) const;
    virtual void showProductsWarning(const ProductList& missing, const ValidationResultType& type,
                                     bool& result) const;
    virtual void showDependentNotInstallable(const ProductList& missing, const ValidationResultType& type,
                                             bool& result) const;
    virtual void setValidationMessageForDependentProducts(const ValidationResultType& type,
                                                          const std::u16string& productString) const;
    virtual ProductList getMissingInstallableDependentProducts(const ProductList& missingDependents,
                                                               const ProductList& installable) const;
    // Empty when the system names none.
    virtual std::u16string getTemporaryFolder() const;
    virtual std::unique_ptr<install::platformutil::VolumeDetector> getVolumeDetetorInstance() const;
    virtual std::string getLocation() const;

    // The name and the handler, for derived pages that decide more than this one.
    const std::u16string& gateName() const { return name; }
    const std::shared_ptr<DataModelHandler>& dataModelHandler() const { return handler; }

private:
    // The display list of the missing products, sorted, stored as the model's missing products.
    ProductToDisplayList storeMissingProducts(const ProductList& missing) const;
    void traceSpace(const std::u16string& line) const;
    void reportRecord(const std::string& code, const std::string& message, const std::string& cause,
                      const std::string& details = {}) const;

    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
    install::tlmx::DiagnosticsData diagnosticsData;
    foundation::log::diagnostic_logger diagnosticLogger;
};

}  // namespace install::product_installer::workflow_utils
