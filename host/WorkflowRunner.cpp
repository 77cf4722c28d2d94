#include "host/WorkflowRunner.h"

#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Interrupt.h"

namespace velora::installer {

using install::datamodels::common::Result;

namespace {

// What the step protocol's data names hold when no step is in progress, as after a failed switch.
constexpr char16_t kUnset[] = u"Unset";

// Ends the transaction however the gate call leaves, so an exception never strands an open frame.
class GateTransaction {
public:
    GateTransaction(const tq::zero::Model& model, bool gateCommitsItself)
        : model_(model), active_(!gateCommitsItself) {
        if (active_) model_.beginTransaction(false);
    }
    GateTransaction(const GateTransaction&) = delete;
    GateTransaction& operator=(const GateTransaction&) = delete;
    ~GateTransaction() {
        if (active_) model_.endTransaction();
    }
    void commit() const {
        if (active_) (void)model_.commit();
    }

private:
    tq::zero::Model model_;
    bool active_;
};

}  // namespace

WorkflowRunner::WorkflowRunner(
    std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler> handler,
    std::shared_ptr<install::workflow_manager::WorkflowHandler> workflows,
    install::datamodels::common::ApplicationData application, FrontEnd& frontEnd, RunSettings settings)
    : handler_(std::move(handler)),
      workflows_(std::move(workflows)),
      application_(std::move(application)),
      frontEnd_(frontEnd),
      settings_(std::move(settings)) {}

template <class Operation>
void WorkflowRunner::call(const install::workflow_manager::Gate& gate, Operation operation) const {
    GateTransaction transaction(handler_->getModelInstance(), gate.checkIfCommitsTransactions());
    operation();
    transaction.commit();
}

RunEnd WorkflowRunner::run(const std::u16string& workflowName) {
    workflow_ = workflowName;
    workflows_->startWorkflow(workflow_);
    while (const auto gateName = workflows_->getCurrentGateName()) {
        const auto gate = workflows_->getCurrentGate();
        StepEnd end = StepEnd::Failed;
        try {
            end = runStep(*gateName, *gate);
            if (end == StepEnd::Switched && !followSwitch()) end = StepEnd::Failed;
        } catch (const std::exception& error) {
            // What leaves a gate is meant for the workflow manager: here that ends the run.
            frontEnd_.showInformation(std::string("The step could not be completed: ") + error.what());
            end = StepEnd::Failed;
        }
        switch (end) {
            case StepEnd::Failed:
                return RunEnd::Failed;
            case StepEnd::Interrupted:
                return RunEnd::Interrupted;
            case StepEnd::Stopped:
                return RunEnd::StoppedBeforeProcessing;
            case StepEnd::Switched:
                // The page the switch was made on is left; the new workflow's first gate is next.
                continue;
            case StepEnd::Done:
                break;
        }
        frontEnd_.stepCompleted(*gateName);
        if (settings_.stopAfterGate == *gateName) return RunEnd::StoppedAfterGate;
        workflows_->advance();
    }
    return RunEnd::Completed;
}

bool WorkflowRunner::followSwitch() {
    const std::u16string from = workflow_;
    workflow_ = application_.getWorkflowName();
    // A switch that went through leaves the new workflow's first gate required or processed; a
    // failed one leaves no step in progress, and its status for the user to read.
    if (application_.getDataRequired() == kUnset) {
        const auto status = application_.getValidationStatus();
        frontEnd_.showFailure(status.getTitle(), status.getMessage());
        return false;
    }
    if (settings_.workflowSwitched) settings_.workflowSwitched(from, workflow_);
    // The listener has started the first open gate already. The loop walks it through its whole
    // step once more, now with what the installer application set up again: its defaults are
    // worked out from the model, so setting them twice changes nothing.
    workflows_->startWorkflow(workflow_);
    return true;
}

WorkflowRunner::StepEnd WorkflowRunner::runStep(const std::u16string& gateName,
                                                install::workflow_manager::Gate& gate) {
    bool skipped = false;
    call(gate, [&] {
        skipped = gate.checkIfShouldBeSkipped();
        const bool askAgain = skipped && settings_.skipDecidedByDefaults.count(gateName) > 0;
        if (!skipped || askAgain) gate.setDefaultData();
        if (askAgain) skipped = gate.checkIfShouldBeSkipped();
        if (skipped) {
            gate.skip();
        } else {
            gate.setRequiredData();
        }
    });
    if (skipped) return StepEnd::Done;

    for (int warnings = 0;;) {
        call(gate, [&] {
            // A fresh status, so that what processing reports is told apart from earlier steps.
            handler_->initializeValidationStatus();
            frontEnd_.supplyAnswers(gateName);
            handler_->setAsDataAvailable();
        });
        // A user who changes the workflow leaves this page for the new workflow's first page.
        if (application_.getWorkflowName() != workflow_) return StepEnd::Switched;
        // What a page checks before it lets the user go on (the runtime's disk space, product
        // files to install) is asked as a user interface asks it when Next is pressed.
        bool ready = true;
        call(gate, [&] { ready = gate.checkIfDataIsReady(); });
        if (!ready) {
            const auto status = application_.getValidationStatus();
            if (status && !status.getMessage().empty()) {
                frontEnd_.showFailure(status.getTitle(), status.getMessage());
            } else {
                frontEnd_.showInformation("The step " + fl::i18n::to_string(gateName) + " cannot go on.");
            }
            return StepEnd::Failed;
        }
        if (settings_.beforeProcessing && !settings_.beforeProcessing(gateName)) return StepEnd::Stopped;
        call(gate, [&] { gate.processData(); });

        const auto status = application_.getValidationStatus();
        const Result result = status ? status.getResult() : Result::Unknown;
        if (result == Result::Failure) {
            frontEnd_.showFailure(status.getTitle(), status.getMessage());
            return StepEnd::Failed;
        }
        if (result == Result::Warning) {
            frontEnd_.showWarning(status.getTitle(), status.getMessage());
            if (++warnings > settings_.maxWarningsPerStep) return StepEnd::Failed;
            bool acknowledged = false;
            call(gate, [&] { acknowledged = frontEnd_.acknowledgeWarning(gateName); });
            if (!acknowledged) return StepEnd::Failed;
            continue;
        }
        if (result == Result::Valid && !status.getMessage().empty()) {
            // A warning the step let pass (a silent run goes on without missing dependent
            // products): the status was fresh, so a message left under the valid result is
            // that warning, and the person reading the output should still learn of it.
            frontEnd_.showWarning(status.getTitle(), status.getMessage());
        }
        if (application_.getDataProcessed() == gateName) return StepEnd::Done;
        // A step left open without a report: an interrupted run, or a closing page that
        // completes without marking its data processed.
        return install::cpputil::interrupt::is_set() ? StepEnd::Interrupted : StepEnd::Done;
    }
}

}  // namespace velora::installer
