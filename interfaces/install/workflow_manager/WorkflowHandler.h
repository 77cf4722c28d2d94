#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "foundation/ComponentExport.h"
#include "install/workflow_manager/Gate.h"
#include "install/workflow_manager/WorkflowConfiguration.h"

namespace install::workflow_manager {

// The workflow manager's core: which gate comes when, and which gates the user has already
// passed. Names are compared exactly. Lookups of unknown workflows or gates throw
// std::out_of_range. All operations may be called from any thread.
//
// A workflow switch (see SwitchWorkflowListener) goes: reset(); ask isGateCompleted (or
// isGateConfigured) for each gate meant to be kept; resetCompletedGates();
// setGatesToRemember(kept). Afterwards only the kept gates that had been completed before the
// switch still count as completed, so the new workflow starts at its first gate not yet passed.
class COMPONENT_API WorkflowHandler {
public:
    WorkflowHandler();
    // Throws std::invalid_argument for an empty workflow, a gate named twice in one workflow,
    // a gate name without an object, or an empty gate object.
    explicit WorkflowHandler(WorkflowConfiguration configuration);
    WorkflowHandler(const WorkflowHandler&) = delete;
    WorkflowHandler& operator=(const WorkflowHandler&) = delete;
    virtual ~WorkflowHandler();

    // --- The configuration.
    virtual std::vector<std::u16string> getWorkflowNames() const;
    virtual std::vector<std::u16string> getGateOrder(const std::u16string& workflowName) const;
    // The first gate of the workflow that has not been completed; throws std::runtime_error
    // when every one of them has.
    virtual std::u16string getFirstGateName(const std::u16string& workflowName) const;
    // The gate object, which must be part of the workflow.
    virtual std::shared_ptr<Gate> getGate(const std::u16string& workflowName,
                                          const std::u16string& gateName) const;
    // Whether some gate object is configured under this name.
    virtual bool isGateConfigured(const std::u16string& gateName) const;

    // --- Walking a workflow.
    // Makes workflowName the current workflow, positioned at getFirstGateName.
    virtual void startWorkflow(const std::u16string& workflowName);
    virtual std::optional<std::u16string> getCurrentWorkflowName() const;
    // Empty before startWorkflow and after the last gate.
    virtual std::optional<std::u16string> getCurrentGateName() const;
    virtual std::shared_ptr<Gate> getCurrentGate() const;
    // Marks the current gate completed and moves on to the next gate not yet completed. Returns
    // its name, or nothing when the workflow is through. Throws std::logic_error without a
    // current gate.
    virtual std::optional<std::u16string> advance();
    virtual void markGateCompleted(const std::u16string& gateName);
    virtual bool isGateCompleted(const std::u16string& gateName) const;

    // --- Switching workflows.
    // Forgets the current workflow and position; completed gates stay completed.
    virtual void reset();
    // Forgets which gates were completed, keeping that knowledge aside for setGatesToRemember.
    virtual void resetCompletedGates();
    // Of the gates completed before the last resetCompletedGates, those named here count as
    // completed again; the rest stay forgotten.
    virtual void setGatesToRemember(const std::unordered_set<std::u16string>& gateNames);

private:
    const std::vector<std::u16string>& orderOf(const std::u16string& workflowName) const;
    std::optional<std::size_t> nextOpenGate(const std::vector<std::u16string>& order, std::size_t from) const;

    WorkflowConfiguration configuration_;
    mutable std::mutex mutex_;
    std::optional<std::u16string> currentWorkflow_;
    std::size_t position_ = 0;  // index into the current workflow's order; its size when through
    std::unordered_set<std::u16string> completed_;
    std::unordered_set<std::u16string> completedBeforeReset_;
};

}  // namespace install::workflow_manager
