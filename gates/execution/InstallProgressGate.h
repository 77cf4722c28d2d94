#pragma once

#include <memory>
#include <string>

#include "gates/execution/ProgressGate.h"
#include "install/tlmx/DiagnosticsData.h"
#include "install/tlmx/TlmxUtil.h"
#include "registration/productconfig/ProductRegistrationRunner.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The progress step of a product installation: runs the engine, then places the uninstaller,
// registers the installation with the operating system and collects the notes for the final
// page. The step completes only when the installation and the post-installation sequence both
// succeeded; a failed or interrupted installation leaves it open.
class WORKFLOW_UTILS_API InstallProgressGate : public ProgressGate {
public:
    InstallProgressGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    // A copy starts without a registration runner: a runner serves the one installation whose
    // processData made it.
    InstallProgressGate(const InstallProgressGate& other);
    InstallProgressGate(InstallProgressGate&&) noexcept;
    InstallProgressGate& operator=(const InstallProgressGate& other);
    InstallProgressGate& operator=(InstallProgressGate&&) noexcept;
    ~InstallProgressGate() override;

    void processData() override;
    void setDefaultData() const override;

protected:
    bool doPostInstallAction(const std::u16string& folder) override;
    void runOSRegistrationCommands() const override;
    void setupNotes() const override;
    void setProductSpecificOptions(RegistrationOptions& options) const override;
    install::tlmx::DiagnosticsData getDiagnosticsData() const override;

    // Unpacks the "uninstall.zip" beside the running installer into the installation folder. A
    // failure is logged and otherwise ignored: the products work without their uninstaller.
    virtual void setupUninstaller() const;
    virtual void extract(const std::string& archive, const std::string& destination) const;

private:
    void recordTimestamp(install::tlmx::SessionDataKey key) const;

    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<registration::productconfig::ProductRegistrationRunner> registrationRunner;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
    std::unique_ptr<install::tlmx::DiagnosticsData> diagnosticsData;
};

}  // namespace install::product_installer::workflow_utils
