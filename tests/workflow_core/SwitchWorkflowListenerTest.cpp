// The workflow switch: what a committed change of the workflow name makes the listener do, in
// which order, what it leaves alone, and what it shows when the switch fails.
#include <gmock/gmock.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "install/workflow_manager/WorkflowHandler.h"
#include "support/ModelFixture.h"
#include "workflow_core/SwitchWorkflowListener.h"

namespace {

using install::datamodels::common::ApplicationData, install::datamodels::common::ValidationStatus;
using install::product_installer::workflow_utils::SwitchWorkflowListener;
using testing::_, testing::Return, testing::StrictMock;
using Names = std::unordered_set<std::u16string>;

class MockGate : public install::workflow_manager::Gate {
public:
    MOCK_METHOD(void, processData, (), (override));
    MOCK_METHOD(void, setDefaultData, (), (const, override));
    MOCK_METHOD(void, setRequiredData, (), (const, override));
    MOCK_METHOD(bool, checkIfShouldBeSkipped, (), (const, override));
    MOCK_METHOD(void, skip, (), (const, override));
};

class MockWorkflowHandler : public install::workflow_manager::WorkflowHandler {
public:
    MOCK_METHOD(std::u16string, getFirstGateName, (const std::u16string&), (const, override));
    MOCK_METHOD(std::shared_ptr<install::workflow_manager::Gate>, getGate,
                (const std::u16string&, const std::u16string&), (const, override));
    MOCK_METHOD(bool, isGateCompleted, (const std::u16string&), (const, override));
    MOCK_METHOD(void, reset, (), (override));
    MOCK_METHOD(void, resetCompletedGates, (), (override));
    MOCK_METHOD(void, setGatesToRemember, (const Names&), (override));
};

// Refuses every commit that changes the data-modified flag: the commit of the workflow name goes
// through, the switch's own commit does not.
class DataModifiedValidator : public tq::zero::Listener {
public:
    static constexpr bool IsValidator = true;
    std::optional<std::string> validateTransaction(
        const tq::zero::ShallowChangeReport<ApplicationData>& report) const {
        for (const auto& change : report)
            if (change.isChanged(ApplicationData::isDataModifiedProperty())) return "frozen";
        return std::nullopt;
    }
};

class SwitchWorkflowListenerTest : public workflow_test::ModelFixture {
protected:
    SwitchWorkflowListenerTest() {
        failureStatus.setTitle(u"Workflow Error");
        failureStatus.setMessage(u"The installer could not change to the selected workflow.");
        handler->setWorkflow(u"Interactive Online Install");
        listener =
            std::make_unique<SwitchWorkflowListener>(model(), workflowHandler, Names{u"Welcome", u"Login"},
                                                     installer.root, applicationData(), failureStatus);
    }

    enum class FirstGate { Skipped, Started, ThrowsAForeignException };

    // The switch in its order: the manager is reset once the data is discarded, asked between its two
    // resets which gates were passed, told to remember those, and the new first gate is started.
    void expectSwitch(
        FirstGate first, std::function<void()> onReset = [] {},
        std::function<void()> onRequiredData = [] {}) {
        testing::InSequence order;
        EXPECT_CALL(*workflowHandler, reset()).WillOnce(onReset);
        EXPECT_CALL(*workflowHandler, isGateCompleted(_))
            .Times(2)
            .WillRepeatedly([](const std::u16string& name) { return name == u"Welcome"; });
        EXPECT_CALL(*workflowHandler, resetCompletedGates());
        EXPECT_CALL(*workflowHandler, setGatesToRemember(Names{u"Welcome"}));
        EXPECT_CALL(*workflowHandler, getFirstGateName(std::u16string(u"DownloadOnly")))
            .WillOnce(Return(u"Folder"));
        EXPECT_CALL(*workflowHandler, getGate(std::u16string(u"DownloadOnly"), std::u16string(u"Folder")))
            .WillOnce(Return(gate));
        EXPECT_CALL(*gate, checkIfShouldBeSkipped()).WillOnce(Return(first == FirstGate::Skipped));
        if (first == FirstGate::Skipped) {
            EXPECT_CALL(*gate, skip());
        } else if (first == FirstGate::ThrowsAForeignException) {
            EXPECT_CALL(*gate, setDefaultData()).WillOnce([] { throw 42; });
        } else {
            EXPECT_CALL(*gate, setDefaultData());
            EXPECT_CALL(*gate, setRequiredData()).WillOnce(onRequiredData);
        }
    }

    ValidationStatus failureStatus = ValidationStatus::create(model(), tq::zero::nilUuid());
    std::shared_ptr<StrictMock<MockWorkflowHandler>> workflowHandler =
        std::make_shared<StrictMock<MockWorkflowHandler>>();
    std::shared_ptr<StrictMock<MockGate>> gate = std::make_shared<StrictMock<MockGate>>();
    std::unique_ptr<SwitchWorkflowListener> listener;
};

TEST_F(SwitchWorkflowListenerTest, DiscardsTheDataThenResetsTheManagerThenStartsTheFirstGate) {
    handler->setLocale(u"de_DE");
    handler->initializeProductSelectionModel();
    handler->initializeSelectedProducts({u"VELORA"});
    handler->setIsDataModified(true);
    const auto dependentBefore = dependent();
    const auto independentBefore = independent();

    expectSwitch(FirstGate::Started, [&] {
        EXPECT_FALSE(dependent() == dependentBefore);
        EXPECT_FALSE(applicationData().getIsDataModified());
    });
    handler->setWorkflow(u"DownloadOnly");

    handler->initializeProductSelectionModel();
    EXPECT_TRUE(handler->getSelectedProducts().empty());
    EXPECT_TRUE(independent() == independentBefore);
    EXPECT_EQ(handler->getLocale(), u"de_DE");
    EXPECT_FALSE(model().isInTransaction());
}

TEST_F(SwitchWorkflowListenerTest, AFirstGateThatAsksToBeSkippedIsOnlySkipped) {
    expectSwitch(FirstGate::Skipped);
    handler->setWorkflow(u"DownloadOnly");
}

// A committed change of another property leaves the workflow alone. (A same-name write or a
// rolled-back rename never reaches the listener: the model reports only committed changes.)
TEST_F(SwitchWorkflowListenerTest, AChangeOfAnotherPropertyDoesNotSwitch) {
    const auto dependentBefore = dependent();
    applicationData().setDataRequired(u"Login");  // the strict mocks fail on any call
    EXPECT_TRUE(dependent() == dependentBefore);
}

TEST_F(SwitchWorkflowListenerTest, AFailedSwitchShowsThePreparedStatusLogsAndReportsIt) {
    handler->setDataRequired(u"Agreement");
    handler->setAsDataAvailable();
    handler->setDataProcessed(u"Login");
    EXPECT_CALL(*workflowHandler, reset()).WillOnce(testing::Throw(std::runtime_error("manager shut down")));

    EXPECT_NO_THROW(handler->setWorkflow(u"DownloadOnly"));

    EXPECT_TRUE(applicationData().getValidationStatus() == failureStatus);
    EXPECT_EQ(applicationData().getDataRequired() + applicationData().getDataAvailable() +
                  applicationData().getDataProcessed(),
              u"UnsetUnsetUnset");
    EXPECT_THAT(log.lines(), testing::ElementsAre(u"Workflow Error",
                                                  u"The installer could not change to the selected workflow.",
                                                  u"manager shut down"));
    EXPECT_THAT(recordTexts(),
                testing::ElementsAre("1700|Workflow Error|manager shut down|"
                                     "install::product_installer::workflow_utils::SwitchWorkflowListener"));
}

TEST_F(SwitchWorkflowListenerTest, ARejectedSwitchCommitIsIgnoredAndTakesTheFirstGatesWritesWithIt) {
    handler->setIsDataModified(true);
    const auto dependentBefore = dependent();
    DataModifiedValidator validator;
    model().addListener(validator);
    expectSwitch(
        FirstGate::Started, [] {}, [this] { handler->setDataRequired(u"Folder"); });

    EXPECT_NO_THROW(handler->setWorkflow(u"DownloadOnly"));

    EXPECT_EQ(handler->getWorkflow(), u"DownloadOnly");
    EXPECT_TRUE(dependent() == dependentBefore);
    EXPECT_EQ(applicationData().getDataRequired(), u"Unset");
    EXPECT_FALSE(model().isInTransaction());
    model().removeListener(validator);
}

TEST_F(SwitchWorkflowListenerTest, AnExceptionOfAnotherKindRollsTheSwitchBackWithoutReachingTheWriter) {
    handler->setIsDataModified(true);
    const auto dependentBefore = dependent();
    expectSwitch(FirstGate::ThrowsAForeignException);

    // The name's commit stands; what failed after it is the installer log's business, not the writer's.
    EXPECT_NO_THROW(handler->setWorkflow(u"DownloadOnly"));

    EXPECT_TRUE(dependent() == dependentBefore);
    EXPECT_TRUE(applicationData().getIsDataModified());
    EXPECT_TRUE(diagnostics.records().empty());
    EXPECT_FALSE(model().isInTransaction());
}

}  // namespace
