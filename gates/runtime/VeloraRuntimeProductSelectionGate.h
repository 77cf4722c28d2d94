#pragma once

#include <memory>
#include <string>

#include "gates/selection/ProductSelectionGate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The product step of the runtime installer. The runtime's products are fixed, so the page is
// normally skipped; what the step really does is compare the products in the target folder with
// those to install, decide the update scenario the later runtime steps follow
// (decideUpdateScenario), and stop with an explanation (an error item of the runtime) when the
// installation cannot go on: the runtime is already there, or a product folder cannot update it.
class WORKFLOW_UTILS_API VeloraRuntimeProductSelectionGate : public ProductSelectionGate {
public:
    using ProductSelectionGate::ProductSelectionGate;
    VeloraRuntimeProductSelectionGate(const VeloraRuntimeProductSelectionGate&) = default;
    VeloraRuntimeProductSelectionGate(VeloraRuntimeProductSelectionGate&&) noexcept = default;
    VeloraRuntimeProductSelectionGate& operator=(const VeloraRuntimeProductSelectionGate&) = default;
    VeloraRuntimeProductSelectionGate& operator=(VeloraRuntimeProductSelectionGate&&) noexcept = default;
    ~VeloraRuntimeProductSelectionGate() override;

    void processData() override;
    void setDefaultData() const override;
    // Outside the packaged-application workflow every available product is selected again.
    void clearInputData() const override;
    // Skipped unless the installation cannot go on; then the page explains why.
    bool checkIfShouldBeSkipped() const override;
    bool checkIfDataIsReady() const override;
    void skip() const override;

protected:
    virtual void determineUpdateScenario() const;
    virtual bool IfFolderRepoHasProducts() const;
    virtual bool fileExistsWrapper(const std::u16string& path) const;
};

}  // namespace install::product_installer::workflow_utils
