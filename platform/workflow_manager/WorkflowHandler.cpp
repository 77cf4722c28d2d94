#include "install/workflow_manager/WorkflowHandler.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>

#include "fl/i18n/TextConversion.h"

namespace install::workflow_manager {
namespace {

std::string quoted(const std::u16string& name) { return "\"" + fl::i18n::to_string(name) + "\""; }

void validate(const WorkflowConfiguration& configuration) {
    for (const auto& [name, gate] : configuration.gates) {
        if (!gate) throw std::invalid_argument("No gate object for gate " + quoted(name));
    }
    for (const auto& [workflow, order] : configuration.gateOrder) {
        if (order.empty()) throw std::invalid_argument("Workflow " + quoted(workflow) + " has no gates");
        std::set<std::u16string> seen;
        for (const std::u16string& gate : order) {
            if (!configuration.gates.contains(gate)) {
                throw std::invalid_argument("Workflow " + quoted(workflow) + " names the unknown gate " +
                                            quoted(gate));
            }
            if (!seen.insert(gate).second) {
                throw std::invalid_argument("Workflow " + quoted(workflow) + " names gate " + quoted(gate) +
                                            " twice");
            }
        }
    }
}

}  // namespace

WorkflowHandler::WorkflowHandler() = default;

WorkflowHandler::WorkflowHandler(WorkflowConfiguration configuration)
    : configuration_(std::move(configuration)) {
    validate(configuration_);
}

WorkflowHandler::~WorkflowHandler() = default;

const std::vector<std::u16string>& WorkflowHandler::orderOf(const std::u16string& workflowName) const {
    const auto found = configuration_.gateOrder.find(workflowName);
    if (found == configuration_.gateOrder.end())
        throw std::out_of_range("Unknown workflow " + quoted(workflowName));
    return found->second;
}

std::optional<std::size_t> WorkflowHandler::nextOpenGate(const std::vector<std::u16string>& order,
                                                         std::size_t from) const {
    for (std::size_t index = from; index < order.size(); ++index) {
        if (!completed_.contains(order[index])) return index;
    }
    return std::nullopt;
}

std::vector<std::u16string> WorkflowHandler::getWorkflowNames() const {
    std::vector<std::u16string> names;
    for (const auto& [name, order] : configuration_.gateOrder) names.push_back(name);
    return names;
}

std::vector<std::u16string> WorkflowHandler::getGateOrder(const std::u16string& workflowName) const {
    return orderOf(workflowName);
}

std::u16string WorkflowHandler::getFirstGateName(const std::u16string& workflowName) const {
    const std::vector<std::u16string>& order = orderOf(workflowName);
    std::lock_guard lock(mutex_);
    const std::optional<std::size_t> first = nextOpenGate(order, 0);
    if (!first)
        throw std::runtime_error("Every gate of workflow " + quoted(workflowName) + " has been completed");
    return order[*first];
}

std::shared_ptr<Gate> WorkflowHandler::getGate(const std::u16string& workflowName,
                                               const std::u16string& gateName) const {
    const std::vector<std::u16string>& order = orderOf(workflowName);
    if (std::find(order.begin(), order.end(), gateName) == order.end()) {
        throw std::out_of_range("Workflow " + quoted(workflowName) + " has no gate " + quoted(gateName));
    }
    return configuration_.gates.at(gateName);
}

bool WorkflowHandler::isGateConfigured(const std::u16string& gateName) const {
    return configuration_.gates.contains(gateName);
}

void WorkflowHandler::startWorkflow(const std::u16string& workflowName) {
    const std::vector<std::u16string>& order = orderOf(workflowName);
    std::lock_guard lock(mutex_);
    const std::optional<std::size_t> first = nextOpenGate(order, 0);
    if (!first)
        throw std::runtime_error("Every gate of workflow " + quoted(workflowName) + " has been completed");
    currentWorkflow_ = workflowName;
    position_ = *first;
}

std::optional<std::u16string> WorkflowHandler::getCurrentWorkflowName() const {
    std::lock_guard lock(mutex_);
    return currentWorkflow_;
}

std::optional<std::u16string> WorkflowHandler::getCurrentGateName() const {
    std::lock_guard lock(mutex_);
    if (!currentWorkflow_) return std::nullopt;
    const std::vector<std::u16string>& order = orderOf(*currentWorkflow_);
    if (position_ >= order.size()) return std::nullopt;
    return order[position_];
}

std::shared_ptr<Gate> WorkflowHandler::getCurrentGate() const {
    const std::optional<std::u16string> name = getCurrentGateName();
    return name ? configuration_.gates.at(*name) : nullptr;
}

std::optional<std::u16string> WorkflowHandler::advance() {
    std::lock_guard lock(mutex_);
    if (!currentWorkflow_) throw std::logic_error("No workflow has been started");
    const std::vector<std::u16string>& order = orderOf(*currentWorkflow_);
    if (position_ >= order.size())
        throw std::logic_error("The workflow " + quoted(*currentWorkflow_) + " is through");
    completed_.insert(order[position_]);
    position_ = nextOpenGate(order, position_ + 1).value_or(order.size());
    if (position_ >= order.size()) return std::nullopt;
    return order[position_];
}

void WorkflowHandler::markGateCompleted(const std::u16string& gateName) {
    if (!isGateConfigured(gateName)) throw std::out_of_range("Unknown gate " + quoted(gateName));
    std::lock_guard lock(mutex_);
    completed_.insert(gateName);
}

bool WorkflowHandler::isGateCompleted(const std::u16string& gateName) const {
    std::lock_guard lock(mutex_);
    return completed_.contains(gateName);
}

void WorkflowHandler::reset() {
    std::lock_guard lock(mutex_);
    currentWorkflow_.reset();
    position_ = 0;
}

void WorkflowHandler::resetCompletedGates() {
    std::lock_guard lock(mutex_);
    completedBeforeReset_.merge(completed_);
    completed_.clear();
}

void WorkflowHandler::setGatesToRemember(const std::unordered_set<std::u16string>& gateNames) {
    std::lock_guard lock(mutex_);
    for (const std::u16string& name : gateNames) {
        if (completedBeforeReset_.contains(name)) completed_.insert(name);
    }
    completedBeforeReset_.clear();
}

}  // namespace install::workflow_manager
