#include "workflow_core/SwitchWorkflowListener.h"

#include <exception>

#include "fl/i18n/TextConversion.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"
#include "tq/zero/Transaction.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr char kListenerLocation[] = "install::product_installer::workflow_utils::SwitchWorkflowListener";
const std::u16string kUnset = u"Unset";

}  // namespace

SwitchWorkflowListener::SwitchWorkflowListener(const tq::zero::Model& model,
                                               const std::shared_ptr<WorkflowHandler>& workflowHandler,
                                               std::unordered_set<std::u16string> gatesToRemember,
                                               ProductInstaller& root, const ApplicationData& applicationData,
                                               const ValidationStatus& switchFailureStatus)
    : model(model),
      workflowHandler(workflowHandler),
      gatesToRemember(std::move(gatesToRemember)),
      root(root),
      applicationData(applicationData),
      switchFailureStatus(switchFailureStatus),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()) {
    if (!this->model.hasListener(*this)) {
        this->model.addListener(*this);
    }
}

SwitchWorkflowListener::~SwitchWorkflowListener() {
    if (model.isValid()) {
        model.removeListener(*this);
    }
}

void SwitchWorkflowListener::transactionCommitted(
    const tq::zero::ShallowChangeReport<ApplicationData>& report) {
    const auto* workflowNameProperty = ApplicationData::meta().findProperty("workflowName");
    for (const auto& change : report) {
        if (!change.element.metaClass().isA(ApplicationData::meta())) {
            continue;
        }
        if (workflowNameProperty == nullptr || !change.isChanged(*workflowNameProperty)) {
            continue;
        }
        // Ended however the switch leaves; left uncommitted (only when something other than a
        // std::exception escapes), it takes the half-done switch back. A rejected commit is left
        // as it is: the listener has nobody to report it to.
        const tq::zero::Transaction transaction(model);
        handleChange();
        transaction.commit();
    }
}

void SwitchWorkflowListener::handleChange() const {
    try {
        switchWorkflow(applicationData.getWorkflowName());
    } catch (const std::exception& error) {
        applicationData.setValidationStatus(switchFailureStatus);
        const auto title = switchFailureStatus.getTitle();
        log_message(title);
        log_message(switchFailureStatus.getMessage());
        log_message(fl::i18n::to_u16string(error.what()));
        applicationData.setDataRequired(kUnset);
        applicationData.setDataAvailable(kUnset);
        applicationData.setDataProcessed(kUnset);
        collectErrorInfoForTlmx("1700", fl::i18n::to_string(title), error.what(), kListenerLocation);
    }
}

void SwitchWorkflowListener::switchWorkflow(const std::u16string& workflowName) const {
    resetWorkflowDependentData();
    applicationData.setIsDataModified(false);
    resetWorkflowHandler();
    setupFirstGateOfWorkflow(workflowName);
}

void SwitchWorkflowListener::resetWorkflowDependentData() const {
    root.setWorkflowDependentData(
        install::datamodels::product_installer::WorkflowDependentData::create(model, tq::zero::nilUuid()));
}

void SwitchWorkflowListener::resetWorkflowHandler() const {
    workflowHandler->reset();
    // Asked between the two resets, while the manager still knows which gates were passed.
    const auto kept = getGatesToRememberAfterSwitchWorkflow();
    workflowHandler->resetCompletedGates();
    workflowHandler->setGatesToRemember(kept);
}

std::unordered_set<std::u16string> SwitchWorkflowListener::getGatesToRememberAfterSwitchWorkflow() const {
    std::unordered_set<std::u16string> kept;
    for (const auto& gateName : gatesToRemember) {
        if (workflowHandler->isGateCompleted(gateName)) {
            kept.insert(gateName);
        }
    }
    return kept;
}

void SwitchWorkflowListener::setupFirstGateOfWorkflow(const std::u16string& workflowName) const {
    const auto gateName = workflowHandler->getFirstGateName(workflowName);
    const auto gate = workflowHandler->getGate(workflowName, gateName);
    if (gate->checkIfShouldBeSkipped()) {
        gate->skip();
    } else {
        gate->setDefaultData();
        gate->setRequiredData();
    }
}

void SwitchWorkflowListener::log_message(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

void SwitchWorkflowListener::collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                                     const std::string& details,
                                                     const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, message, details, location);
}

}  // namespace install::product_installer::workflow_utils
