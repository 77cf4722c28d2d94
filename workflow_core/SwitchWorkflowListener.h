#pragma once

#include <memory>
#include <string>
#include <unordered_set>

#include "install/datamodels/DataModel.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/WorkflowHandler.h"
#include "tq/zero/Model.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// Changes the running workflow when a committed transaction has changed the workflow name:
// the workflow-dependent data is discarded, the workflow manager forgets its position (keeping
// the configured gates the user has passed), and the new workflow's first gate is started.
// Only committed changes are seen, so a name written and rolled back switches nothing.
class WORKFLOW_UTILS_API SwitchWorkflowListener : public tq::zero::Listener {
public:
    static constexpr bool IsObserver = true;
    static constexpr bool IsModifier = false;
    static constexpr bool IsValidator = false;

    using WorkflowHandler = install::workflow_manager::WorkflowHandler;
    using ProductInstaller = install::datamodels::product_installer::ProductInstaller;
    using ApplicationData = install::datamodels::common::ApplicationData;
    using ValidationStatus = install::datamodels::common::ValidationStatus;

    // Subscribes to the model at once. `switchFailureStatus` is what the user sees when a switch
    // fails; the installer application prepares it with a localised title and message.
    SwitchWorkflowListener(const tq::zero::Model& model,
                           const std::shared_ptr<WorkflowHandler>& workflowHandler,
                           std::unordered_set<std::u16string> gatesToRemember, ProductInstaller& root,
                           const ApplicationData& applicationData,
                           const ValidationStatus& switchFailureStatus);
    // The model keeps a reference to the listener while subscribed: neither copies nor moves.
    SwitchWorkflowListener(const SwitchWorkflowListener&) = delete;
    SwitchWorkflowListener& operator=(const SwitchWorkflowListener&) = delete;
    ~SwitchWorkflowListener() override;

    // Called by the model after each commit that changed ApplicationData elements.
    void transactionCommitted(const tq::zero::ShallowChangeReport<ApplicationData>& report);

protected:
    // Switches to the workflow now named in the application data; a failure is shown and
    // reported rather than thrown, so the commit that caused it stands.
    virtual void handleChange() const;
    virtual void switchWorkflow(const std::u16string& workflowName) const;
    virtual void setupFirstGateOfWorkflow(const std::u16string& workflowName) const;
    virtual void log_message(const std::u16string& text) const;
    virtual void resetWorkflowDependentData() const;
    virtual void resetWorkflowHandler() const;
    // The configured gates to keep that the workflow manager counts as passed.
    virtual std::unordered_set<std::u16string> getGatesToRememberAfterSwitchWorkflow() const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                         const std::string& details, const std::string& location) const;

private:
    tq::zero::Model model;
    std::shared_ptr<WorkflowHandler> workflowHandler;
    std::unordered_set<std::u16string> gatesToRemember;
    ProductInstaller root;
    ApplicationData applicationData;
    ValidationStatus switchFailureStatus;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
};

}  // namespace install::product_installer::workflow_utils
