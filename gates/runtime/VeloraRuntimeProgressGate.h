#pragma once

#include <memory>
#include <string>

#include "gates/execution/ProgressGate.h"
#include "install/registry/RegistryReader.h"
#include "registration/productconfig/ProductRegistrationRunner.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The progress step of the runtime installer. It follows the update scenario the product step
// decided: it installs the runtime's products through the engine, first removing the runtime
// already there when a newer update level replaces it, and installs nothing when the runtime is
// up to date or cannot be updated. In the packaged-application workflow it then installs the
// application the installer carries (with an uninstaller of its own when the application comes
// with its own program). Finally it registers the installation with the operating system and
// leaves a note for the final page when the runtime's folder is not on the system search path.
//
// A failure to remove the earlier runtime leaves processData as the engine's exception.
class WORKFLOW_UTILS_API VeloraRuntimeProgressGate : public ProgressGate {
public:
    VeloraRuntimeProgressGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    // A copy starts without a registration runner: a runner serves the one installation whose
    // processData made it.
    VeloraRuntimeProgressGate(const VeloraRuntimeProgressGate& other);
    VeloraRuntimeProgressGate(VeloraRuntimeProgressGate&&) noexcept;
    VeloraRuntimeProgressGate& operator=(const VeloraRuntimeProgressGate& other);
    VeloraRuntimeProgressGate& operator=(VeloraRuntimeProgressGate&&) noexcept;
    ~VeloraRuntimeProgressGate() override;

    void processData() override;

protected:
    bool doPostInstallAction(const std::u16string& folder) override;
    void runOSRegistrationCommands() const override;
    // The registration runner's notes, then the note about the system search path.
    void setupNotes() const override;
    void setProductSpecificOptions(RegistrationOptions& options) const override;
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override;
    std::unique_ptr<install::engine::EngineConfig> getEngineConfigInstance() const override;

    // Copies the packaged application into its installation folder. Failures are logged and
    // otherwise ignored: the runtime is installed either way.
    virtual void installUserApp();
    virtual void extract(const std::string& archive, const std::string& destination) const;
    // The folder of the running installer.
    virtual std::u16string getInstallPathWrapper() const;
    // Whether the machine-wide search path holds the runtime's program folder.
    virtual bool checkRuntimeEntryInWindowsSystemPath() const;
    // Places the application's own uninstaller; failures are logged and otherwise ignored.
    virtual void setupAppUninstaller() const;
    // Whether the application comes with a program of its own in its bundle.
    virtual bool isStandaloneApplication() const;
    virtual std::unique_ptr<install::registry::RegistryReader> getRegistryReaderInstance() const;

private:
    void removeExistingRuntime(const std::u16string& folder) const;

    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<registration::productconfig::ProductRegistrationRunner> registrationRunner;
    DataModelHandler::UserApplicationData userApplication;
};

}  // namespace install::product_installer::workflow_utils
