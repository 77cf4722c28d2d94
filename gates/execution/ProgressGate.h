#pragma once

#include <map>
#include <memory>
#include <string>

#include <boost/signals2/connection.hpp>

#include "fl/i18n/Message.h"
#include "gates/execution/ProgressGateDownloadCallback.h"
#include "gates/execution/ProgressGateInstallCallback.h"
#include "gates/execution/ProgressGateUninstallCallback.h"
#include "install/cpputil/InstallerException.h"
#include "install/engine/Engine.h"
#include "install/engine/EngineConfig.h"
#include "install/tlmx/DiagnosticsData.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/Gate.h"
#include "registration/productconfig/ProductRegistrationRunner.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The base of the steps that run the install engine. It starts the engine with what the data
// model holds, forwards the engine's progress into the model while the engine runs, and turns
// an engine failure into what the user sees (a failure page), what support reads (the log and a
// diagnostics record) and an open step. The derived gate decides what happens around the run.
class WORKFLOW_UTILS_API ProgressGate : public install::workflow_manager::Gate {
public:
    ProgressGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    ProgressGate(const ProgressGate& other);
    ProgressGate(ProgressGate&&) noexcept;
    ProgressGate& operator=(const ProgressGate& other);
    ProgressGate& operator=(ProgressGate&&) noexcept;
    ~ProgressGate() override;

    void setDefaultData() const override;
    void setRequiredData() const override;
    // The engine's callbacks write progress from other threads, each in a transaction of its own.
    bool checkIfCommitsTransactions() const override;

protected:
    using RegistrationOptions = std::map<std::string, std::string>;

    virtual void log_message(const std::u16string& text) const;
    // Runs the engine; false when it failed or was interrupted (the reason is in the model and
    // the log). The progress figures reach diagnostics either way.
    virtual bool startInstallation(const std::u16string& folder);
    virtual bool doPostInstallAction(const std::u16string& folder) = 0;
    // Runs the engine into the folder and returns when it is done; throws what the engine threw.
    virtual void startInstall(const std::u16string& folder);
    virtual void runOSRegistrationCommands() const = 0;
    virtual std::unique_ptr<registration::productconfig::ProductRegistrationRunner>
    getProductRegistrationRunnerInstance(const std::u16string& folder) const;
    virtual std::unique_ptr<install::engine::Engine> getEngineInstance() const;
    virtual std::unique_ptr<install::engine::EngineConfig> getEngineConfigInstance() const;
    virtual void setupNotes() const = 0;
    // Called inside the handler of the exception: shows and reports it, then rethrows it.
    virtual void handleException(const fl::i18n::BaseMsgID& title, const fl::i18n::BaseMsgID& message,
                                 const install::cpputil::InstallerException& exception,
                                 const std::u16string& extra) const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                         const std::string& details, const std::string& location) const;
    virtual std::string getProgressLocation() const;
    virtual install::tlmx::DiagnosticsData getDiagnosticsData() const;
    virtual boost::signals2::scoped_connection setupInstallProgressCallback(
        ProgressGateInstallCallback& callback) const;
    virtual boost::signals2::scoped_connection setupDownloadProgressCallback(
        ProgressGateDownloadCallback& callback) const;
    virtual boost::signals2::scoped_connection setupUninstallProgressCallback(
        ProgressGateUninstallCallback& callback) const;
    virtual void collectProgressData() const;
    virtual void setProductSpecificOptions(RegistrationOptions& options) const = 0;

    // What the derived gates' registration steps share: the runner made for this installation runs
    // its commands, or gives the notes the model shows; a missing runner or a failing one is logged,
    // since the products are in place by then.
    void runRegistrationCommandsOf(
        const registration::productconfig::ProductRegistrationRunner* runner) const;
    void publishInstallationNotesOf(
        const registration::productconfig::ProductRegistrationRunner* runner) const;

private:
    // Engine::start with everything the data model holds; failures leave it unhandled.
    void runEngine(const std::u16string& folder) const;

    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
    std::unique_ptr<install::tlmx::DiagnosticsData> diagnosticsData;
};

}  // namespace install::product_installer::workflow_utils
