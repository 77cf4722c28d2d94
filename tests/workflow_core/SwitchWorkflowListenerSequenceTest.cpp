// What the listener asks of the workflow manager during a switch, and in which order, and what it
// reports when the switch fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "SwitchWorkflowListenerFixture.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Logger.h"
#include "install/tlmx/DiagnosticsSink.h"

namespace workflow_test {
namespace {

using testing::ElementsAre;
using testing::Return;
using testing::StrictMock;
using testing::Throw;
using testing::UnorderedElementsAre;

using Names = std::unordered_set<std::u16string>;

class SwitchWorkflowListenerSequenceTest : public SwitchWorkflowListenerFixture {
protected:
    SwitchWorkflowListenerSequenceTest() { handler->setWorkflow(u"Interactive Online Install"); }

    std::shared_ptr<StrictMock<MockWorkflowHandler>> workflowHandler =
        std::make_shared<StrictMock<MockWorkflowHandler>>();
    std::shared_ptr<StrictMock<MockGate>> firstGate = std::make_shared<StrictMock<MockGate>>();
};

TEST_F(SwitchWorkflowListenerSequenceTest, ResetsDataThenTheManagerThenStartsTheFirstGate) {
    const auto listener = listen(workflowHandler, {u"Welcome", u"Login", u"Agreement"});
    const auto dependentBefore = dependent();
    handler->setIsDataModified(true);

    testing::Sequence welcome, login, agreement;
    EXPECT_CALL(*workflowHandler, reset()).InSequence(welcome, login, agreement).WillOnce([&] {
        EXPECT_FALSE(dependent() == dependentBefore) << "data is reset before the manager";
        EXPECT_FALSE(applicationData().getIsDataModified());
    });
    EXPECT_CALL(*workflowHandler, isGateCompleted(std::u16string(u"Welcome")))
        .InSequence(welcome)
        .WillOnce(Return(true));
    EXPECT_CALL(*workflowHandler, isGateCompleted(std::u16string(u"Login")))
        .InSequence(login)
        .WillOnce(Return(false));
    EXPECT_CALL(*workflowHandler, isGateCompleted(std::u16string(u"Agreement")))
        .InSequence(agreement)
        .WillOnce(Return(true));
    EXPECT_CALL(*workflowHandler, resetCompletedGates()).InSequence(welcome, login, agreement);
    EXPECT_CALL(*workflowHandler, setGatesToRemember(Names{u"Welcome", u"Agreement"})).InSequence(welcome);
    EXPECT_CALL(*workflowHandler, getFirstGateName(std::u16string(u"DownloadOnly")))
        .InSequence(welcome)
        .WillOnce(Return(u"DownloadFolder"));
    EXPECT_CALL(*workflowHandler, getGate(std::u16string(u"DownloadOnly"), std::u16string(u"DownloadFolder")))
        .InSequence(welcome)
        .WillOnce(Return(firstGate));
    EXPECT_CALL(*firstGate, checkIfShouldBeSkipped()).InSequence(welcome).WillOnce(Return(false));
    EXPECT_CALL(*firstGate, setDefaultData()).InSequence(welcome);
    EXPECT_CALL(*firstGate, setRequiredData()).InSequence(welcome);

    handler->setWorkflow(u"DownloadOnly");
}

TEST_F(SwitchWorkflowListenerSequenceTest, WithNothingToRememberTheManagerKeepsNoGate) {
    const auto listener = listen(workflowHandler, {u"Welcome"});
    EXPECT_CALL(*workflowHandler, reset());
    EXPECT_CALL(*workflowHandler, isGateCompleted(std::u16string(u"Welcome"))).WillOnce(Return(false));
    EXPECT_CALL(*workflowHandler, resetCompletedGates());
    EXPECT_CALL(*workflowHandler, setGatesToRemember(Names{}));
    EXPECT_CALL(*workflowHandler, getFirstGateName).WillOnce(Return(u"Welcome"));
    EXPECT_CALL(*workflowHandler, getGate).WillOnce(Return(firstGate));
    EXPECT_CALL(*firstGate, checkIfShouldBeSkipped()).WillOnce(Return(true));
    EXPECT_CALL(*firstGate, skip());

    handler->setWorkflow(u"Vantapak Install");
}

TEST_F(SwitchWorkflowListenerSequenceTest, AFailingManagerLeavesThePreparedStatusAndOneReport) {
    failureStatus.setTitle(u"Workflow-Fehler \u00fc");
    const auto listener = listen(workflowHandler);
    handler->setDataRequired(u"Agreement");
    handler->setAsDataAvailable();
    handler->setDataProcessed(u"Login");
    EXPECT_CALL(*workflowHandler, reset())
        .WillOnce(Throw(std::runtime_error("the manager is shutting down")));
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;

    EXPECT_NO_THROW(handler->setWorkflow(u"DownloadOnly"));

    const auto status = applicationData().getValidationStatus();
    EXPECT_TRUE(status == failureStatus);
    EXPECT_EQ(status.getResult(), install::datamodels::common::Result::Failure);
    EXPECT_EQ(applicationData().getDataRequired(), u"Unset");
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");
    EXPECT_EQ(applicationData().getDataProcessed(), u"Unset");
    EXPECT_THAT(log.lines(), ElementsAre(u"Workflow-Fehler \u00fc",
                                         u"The installer could not change to the selected workflow.",
                                         u"the manager is shutting down"));
    const auto records = diagnostics.records();
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["error.1"], "1700");
    EXPECT_EQ(records[0]["error.2"], "Workflow-Fehler \xc3\xbc");
    EXPECT_EQ(records[0]["error.3"], "the manager is shutting down");
    EXPECT_EQ(records[0]["error.4"], "install::product_installer::workflow_utils::SwitchWorkflowListener");
}

// Overrides the protected steps to show that the switch goes through them.
class CustomisedListener : public install::product_installer::workflow_utils::SwitchWorkflowListener {
public:
    using SwitchWorkflowListener::SwitchWorkflowListener;
    mutable std::vector<std::u16string> logged;
    bool failSwitch = false;

protected:
    std::unordered_set<std::u16string> getGatesToRememberAfterSwitchWorkflow() const override {
        return {u"Chosen by the subclass"};
    }
    void switchWorkflow(const std::u16string& workflowName) const override {
        if (failSwitch) throw std::logic_error("refused " + fl::i18n::to_string(workflowName));
        SwitchWorkflowListener::switchWorkflow(workflowName);
    }
    void log_message(const std::u16string& text) const override { logged.push_back(text); }
};

TEST_F(SwitchWorkflowListenerSequenceTest, TheStepsAreTakenThroughTheVirtualTable) {
    CustomisedListener listener(model(), workflowHandler, {u"Welcome"}, installer.root, applicationData(),
                                failureStatus);
    EXPECT_CALL(*workflowHandler, reset());
    EXPECT_CALL(*workflowHandler, resetCompletedGates());
    EXPECT_CALL(*workflowHandler, setGatesToRemember(Names{u"Chosen by the subclass"}));
    EXPECT_CALL(*workflowHandler, getFirstGateName).WillOnce(Return(u"Welcome"));
    EXPECT_CALL(*workflowHandler, getGate).WillOnce(Return(firstGate));
    EXPECT_CALL(*firstGate, checkIfShouldBeSkipped()).WillOnce(Return(true));
    EXPECT_CALL(*firstGate, skip());
    handler->setWorkflow(u"DownloadOnly");
    testing::Mock::VerifyAndClearExpectations(workflowHandler.get());

    listener.failSwitch = true;
    install::cpputil::logger::ScopedCapture log;
    handler->setWorkflow(u"License Manager");
    EXPECT_THAT(listener.logged,
                ElementsAre(u"Workflow Error", u"The installer could not change to the selected workflow.",
                            u"refused License Manager"));
    EXPECT_TRUE(log.lines().empty());
}

}  // namespace
}  // namespace workflow_test
