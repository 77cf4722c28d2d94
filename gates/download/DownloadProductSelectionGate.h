#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/log/DiagnosticLogger.h"
#include "install/engine/DiskSpaceValidator.h"
#include "install/engine/RequiredSizeCalculator.h"
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

// The product page of a download-only run. It lists what the online repository (configured by
// the platform page) offers, in the family's order, and proposes a selection. A selection is
// accepted once nothing it needs is missing, or the user has been told so and goes on anyway,
// and once the download folder's drive can hold it. Both refusals are warnings that keep the page
// open; a size or space question that cannot be answered does not hold the user back.
class WORKFLOW_UTILS_API DownloadProductSelectionGate : public install::workflow_manager::Gate {
public:
    using ProductList = std::vector<std::u16string>;
    using ProductToDisplay = DataModelHandler::ProductToDisplay;
    using ProductToDisplayList = std::vector<ProductToDisplay>;

    DownloadProductSelectionGate(const std::u16string& name,
                                 const std::shared_ptr<DataModelHandler>& handler);
    DownloadProductSelectionGate(DownloadProductSelectionGate&&) noexcept;
    DownloadProductSelectionGate& operator=(DownloadProductSelectionGate&&) noexcept;
    ~DownloadProductSelectionGate() override;

    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;
    void clearInputData() const override;

protected:
    virtual void log_message(const std::u16string& message) const;
    // Base codes the catalogue cannot name are left out.
    virtual ProductToDisplayList getProductsToDisplayList(const ProductList& baseCodes) const;
    virtual void initializeProductSelection() const;
    virtual std::unique_ptr<install::engine::RequiredSizeCalculator> getRequiredSizeCalculatorInstance()
        const;
    virtual std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const;
    virtual void populateDataModelWithAvailableProducts() const;
    // Empty when the model holds no repository.
    virtual ProductList getAvailableProductBasecodes() const;
    virtual void populateDataModelWithDownloadableProducts() const;
    virtual std::unique_ptr<install::product_validator::ProductSelection> getProductSelectionPtr() const;
    // The family's head products first, in a fixed order, then the others by upper-cased name.
    virtual void sortProductToDisplayList(ProductToDisplayList& products) const;
    virtual bool checkForMissingProducts() const;
    virtual bool hasEnoughSpace() const;
    virtual std::uint64_t getDownloadSize() const;
    // Empty when the model holds no repository.
    virtual install::repository_adapter::ProductMap getProducts() const;
    virtual std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const;
    virtual std::vector<std::u16string> getProductNamesFromDisplayList(
        const ProductToDisplayList& products) const;
    virtual std::unique_ptr<install::product_validator::ProductValidator> getProductValidatorPtr() const;
    virtual std::u16string createMissingProductsString(const ProductToDisplayList& products) const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& primaryMessage,
                                         const std::string& secondaryMessage,
                                         const std::string& location) const;
    virtual void collectProductInfoForTlmx(const std::vector<install::tlmx::ProductData>& products) const;
    virtual void showWarningForSpaceCheck(const std::u16string& folder, std::uint64_t size) const;
    // Leaves `canContinue` alone when the user has already seen the warning.
    virtual void showWarningsForMissingProducts(const ProductList& missing, bool& canContinue) const;
    // The message, then the title.
    virtual std::vector<std::u16string> getWarningMetaData(const std::u16string& folder,
                                                           std::uint64_t size) const;
    virtual std::vector<install::tlmx::ProductData> computeProductDatasForTLMX();

private:
    // The installer's locale, then the repository's additional languages (none without one).
    std::vector<std::string> getLanguages() const;
    void trace(const std::string& line) const;

    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    // Room for the page's session figures; the page records none of its own so far.
    install::tlmx::DiagnosticsData diagnosticsData;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
    foundation::log::diagnostic_logger diagnosticLogger;
};

}  // namespace install::product_installer::workflow_utils
