#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "host/FrontEnd.h"
#include "install/workflow_manager/WorkflowHandler.h"
#include "workflow_core/DataModelHandler.h"

namespace velora::installer {

enum class RunEnd { Completed, Failed, Interrupted, StoppedAfterGate, StoppedBeforeProcessing };

struct RunSettings {
    // Stop, successfully, once this gate's step is done (a dry run stops after the confirmation).
    std::optional<std::u16string> stopAfterGate;
    // How often a page whose warning was acknowledged is processed again before giving up.
    int maxWarningsPerStep = 4;
    // Called with a step's answers in place, just before the step processes them; false ends the
    // run (RunEnd::StoppedBeforeProcessing). The installer claims its folder here, before the
    // folder page looks into it.
    std::function<bool(const std::u16string& gateName)> beforeProcessing;
    // Called when the user has changed the workflow on a page and the switch went through, before
    // the first page of the new workflow: the installer application sets up again what it gives
    // every workflow (the page models, the products on offer).
    std::function<void(const std::u16string& from, const std::u16string& to)> workflowSwitched;
    // Pages that learn whether they have anything to show only from their own defaults (the
    // option page lists its options there, the runtime's product page decides the update there):
    // asked once more with them in place before they are
    // skipped. Any other page is skipped on its first answer, before its defaults could clear
    // what that answer rests on (the sign-in page's defaults clear the signed-in user).
    std::set<std::u16string> skipDecidedByDefaults{u"OptionSelectionGate", u"RuntimeProductSelectionGate"};
};

// Drives a workflow as the workflow manager does: for each gate the skip check, then defaults,
// required data, the front end's answers and processing, until the step is done. Each gate call
// runs in a model transaction of its own unless the gate commits its own.
//
// A front end may change the workflow name with a page's answers. The committed change makes the
// workflow switch listener discard the workflow's data and reset the workflow manager; the runner
// then leaves that page unprocessed and goes on with the new workflow from its first open gate, or
// ends the run as failed with the listener's switch-failure status when the switch failed.
class WorkflowRunner {
public:
    WorkflowRunner(std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler> handler,
                   std::shared_ptr<install::workflow_manager::WorkflowHandler> workflows,
                   install::datamodels::common::ApplicationData application, FrontEnd& frontEnd,
                   RunSettings settings);

    RunEnd run(const std::u16string& workflowName);

private:
    enum class StepEnd { Done, Failed, Interrupted, Stopped, Switched };

    StepEnd runStep(const std::u16string& gateName, install::workflow_manager::Gate& gate);
    bool followSwitch();
    template <class Operation>
    void call(const install::workflow_manager::Gate& gate, Operation operation) const;

    std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler> handler_;
    std::shared_ptr<install::workflow_manager::WorkflowHandler> workflows_;
    install::datamodels::common::ApplicationData application_;
    FrontEnd& frontEnd_;
    RunSettings settings_;
    std::u16string workflow_;
};

}  // namespace velora::installer
