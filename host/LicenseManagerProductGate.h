// The product step of the licence-server installation, which has no product page.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/CatalogueComponents.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"

namespace velora::installer {

// The "License Manager" workflow installs one product, the network licence server: there is
// nothing to choose, so the step is skipped and its skip selects that product. Only when the
// repository the installer holds (the packages beside it, or the online repository the folder
// page fell back to) has no archive of it is the step shown, with a failure naming it.
class LicenseManagerProductGate : public install::workflow_manager::Gate {
public:
    static constexpr char16_t kLicenseManager[] = u"LICENSEMANAGER";

    LicenseManagerProductGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        CatalogueComponents components);

    void processData() override;
    void setRequiredData() const override;
    bool checkIfShouldBeSkipped() const override;
    void skip() const override;

private:
    // Why the licence server cannot be installed; nothing when the repository offers it.
    std::optional<std::string> missingArchive() const;
    void selectLicenseManager() const;
    void showMissingArchive(const std::string& cause);

    std::u16string name_;
    std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler> handler_;
    CatalogueComponents components_;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil_;
};

}  // namespace velora::installer
