#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <unordered_set>

#include "install/workflow_manager/WorkflowHandler.h"
#include "support/ModelFixture.h"
#include "workflow_core/SwitchWorkflowListener.h"

namespace workflow_test {

// A gate whose every step a test can watch and script.
class MockGate : public install::workflow_manager::Gate {
public:
    MOCK_METHOD(void, processData, (), (override));
    MOCK_METHOD(void, setDefaultData, (), (const, override));
    MOCK_METHOD(void, setRequiredData, (), (const, override));
    MOCK_METHOD(bool, checkIfShouldBeSkipped, (), (const, override));
    MOCK_METHOD(void, skip, (), (const, override));
};

// The workflow manager's handler as a mock, for tests of what the listener asks and in which order.
class MockWorkflowHandler : public install::workflow_manager::WorkflowHandler {
public:
    MOCK_METHOD(std::u16string, getFirstGateName, (const std::u16string&), (const, override));
    MOCK_METHOD(std::shared_ptr<install::workflow_manager::Gate>, getGate,
                (const std::u16string&, const std::u16string&), (const, override));
    MOCK_METHOD(bool, isGateConfigured, (const std::u16string&), (const, override));
    MOCK_METHOD(bool, isGateCompleted, (const std::u16string&), (const, override));
    MOCK_METHOD(void, reset, (), (override));
    MOCK_METHOD(void, resetCompletedGates, (), (override));
    MOCK_METHOD(void, setGatesToRemember, (const std::unordered_set<std::u16string>&), (override));
};

// Refuses every commit that changes the data-modified flag, so that a test can make the
// switch's own commit fail while the commit of the workflow name itself goes through.
class DataModifiedValidator : public tq::zero::Listener {
public:
    static constexpr bool IsValidator = true;

    explicit DataModifiedValidator(const tq::zero::Model& model) : model(model) { model.addListener(*this); }
    ~DataModifiedValidator() override { model.removeListener(*this); }
    DataModifiedValidator(const DataModifiedValidator&) = delete;
    DataModifiedValidator& operator=(const DataModifiedValidator&) = delete;

    std::optional<std::string> validateTransaction(
        const tq::zero::ShallowChangeReport<install::datamodels::common::ApplicationData>& report) const {
        for (const auto& change : report) {
            if (change.isChanged(install::datamodels::common::ApplicationData::isDataModifiedProperty())) {
                return "the data-modified flag is frozen";
            }
        }
        return std::nullopt;
    }

private:
    tq::zero::Model model;
};

// A model laid out as the installer application does, with the failure status it prepares for a
// switch that goes wrong.
class SwitchWorkflowListenerFixture : public ModelFixture {
protected:
    using SwitchWorkflowListener = install::product_installer::workflow_utils::SwitchWorkflowListener;

    SwitchWorkflowListenerFixture()
        : failureStatus(install::datamodels::common::ValidationStatus::create(model(), tq::zero::nilUuid())) {
        failureStatus.setResult(install::datamodels::common::Result::Failure);
        failureStatus.setTitle(u"Workflow Error");
        failureStatus.setMessage(u"The installer could not change to the selected workflow.");
    }

    std::unique_ptr<SwitchWorkflowListener> listen(
        const std::shared_ptr<install::workflow_manager::WorkflowHandler>& workflowHandler,
        std::unordered_set<std::u16string> gatesToRemember = {}) {
        return std::make_unique<SwitchWorkflowListener>(model(), workflowHandler, std::move(gatesToRemember),
                                                        installer.root, applicationData(), failureStatus);
    }

    install::datamodels::common::ValidationStatus failureStatus;
};

}  // namespace workflow_test
