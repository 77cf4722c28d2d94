// The workflow switch as the installer runs it: the real workflow manager's handler, a model laid
// out by the host, and gates that record what the listener asks of them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "SwitchWorkflowListenerFixture.h"
#include "install/cpputil/Logger.h"
#include "install/tlmx/DiagnosticsSink.h"

namespace workflow_test {
namespace {

using install::datamodels::common::ApplicationData;
using install::workflow_manager::WorkflowConfiguration;
using install::workflow_manager::WorkflowHandler;
using testing::Expectation;
using testing::NiceMock;
using testing::Return;

const std::u16string kOnline = u"Interactive Online Install";
const std::u16string kDownload = u"DownloadOnly";

class SwitchWorkflowListenerTest : public SwitchWorkflowListenerFixture {
protected:
    SwitchWorkflowListenerTest() {
        WorkflowConfiguration configuration;
        for (const char16_t* name : {u"Welcome", u"Login", u"Agreement", u"DownloadFolder", u"Final"}) {
            gates[name] = std::make_shared<NiceMock<MockGate>>();
            configuration.gates[name] = gates[name];
        }
        configuration.gateOrder[kOnline] = {u"Welcome", u"Login", u"Agreement", u"Final"};
        configuration.gateOrder[kDownload] = {u"Welcome", u"Login", u"DownloadFolder", u"Final"};
        workflowHandler = std::make_shared<WorkflowHandler>(configuration);

        handler->setWorkflow(kOnline);
        workflowHandler->startWorkflow(kOnline);
        workflowHandler->markGateCompleted(u"Welcome");
        workflowHandler->markGateCompleted(u"Login");
    }

    MockGate& gate(const std::u16string& name) { return *gates.at(name); }

    // The first gate is started with the step protocol, exactly once.
    void expectStarted(const std::u16string& name) {
        testing::InSequence inOrder;
        EXPECT_CALL(gate(name), checkIfShouldBeSkipped()).WillOnce(Return(false));
        EXPECT_CALL(gate(name), setDefaultData());
        EXPECT_CALL(gate(name), setRequiredData());
    }
    void expectNoGateStarted() {
        for (auto& [name, mock] : gates) {
            EXPECT_CALL(*mock, checkIfShouldBeSkipped()).Times(0);
            EXPECT_CALL(*mock, setDefaultData()).Times(0);
            EXPECT_CALL(*mock, setRequiredData()).Times(0);
            EXPECT_CALL(*mock, skip()).Times(0);
        }
    }

    std::map<std::u16string, std::shared_ptr<NiceMock<MockGate>>> gates;
    std::shared_ptr<WorkflowHandler> workflowHandler;
};

TEST_F(SwitchWorkflowListenerTest, ACommittedChangeOfTheWorkflowNameStartsTheNewWorkflow) {
    const auto listener = listen(workflowHandler, {u"Welcome", u"Login"});
    const auto dependentBefore = dependent();
    handler->setIsDataModified(true);
    expectStarted(u"DownloadFolder");

    handler->setWorkflow(kDownload);

    EXPECT_FALSE(dependent() == dependentBefore);
    EXPECT_FALSE(applicationData().getIsDataModified());
    EXPECT_EQ(workflowHandler->getCurrentWorkflowName(), std::nullopt);
    EXPECT_EQ(workflowHandler->getFirstGateName(kDownload), u"DownloadFolder");
}

TEST_F(SwitchWorkflowListenerTest, GatesToRememberAreKeptOnlyWhenTheUserHadPassedThem) {
    // Login was passed but is not configured to be kept; Agreement is configured but was never passed.
    const auto listener = listen(workflowHandler, {u"Welcome", u"Agreement"});
    expectStarted(u"Login");

    handler->setWorkflow(kDownload);

    EXPECT_TRUE(workflowHandler->isGateCompleted(u"Welcome"));
    EXPECT_FALSE(workflowHandler->isGateCompleted(u"Login"));
    EXPECT_FALSE(workflowHandler->isGateCompleted(u"Agreement"));
}

TEST_F(SwitchWorkflowListenerTest, AFirstGateThatAsksToBeSkippedIsOnlySkipped) {
    const auto listener = listen(workflowHandler);
    EXPECT_CALL(gate(u"Welcome"), checkIfShouldBeSkipped()).WillOnce(Return(true));
    EXPECT_CALL(gate(u"Welcome"), skip());
    EXPECT_CALL(gate(u"Welcome"), setDefaultData()).Times(0);
    EXPECT_CALL(gate(u"Welcome"), setRequiredData()).Times(0);

    handler->setWorkflow(kDownload);
}

// Changes of the application data that must not be taken for a switch.
struct OtherChange {
    const char* label;
    std::function<void(const ApplicationData&)> apply;
};

class SwitchWorkflowListenerOtherChangeTest : public SwitchWorkflowListenerTest,
                                              public testing::WithParamInterface<OtherChange> {};

TEST_P(SwitchWorkflowListenerOtherChangeTest, DoesNotSwitch) {
    const auto listener = listen(workflowHandler, {u"Welcome"});
    const auto dependentBefore = dependent();
    expectNoGateStarted();

    GetParam().apply(applicationData());

    EXPECT_TRUE(dependent() == dependentBefore);
    EXPECT_TRUE(workflowHandler->isGateCompleted(u"Login"));
    EXPECT_EQ(workflowHandler->getCurrentWorkflowName(), kOnline);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, SwitchWorkflowListenerOtherChangeTest,
    testing::Values(
        OtherChange{"DataRequired", [](const ApplicationData& data) { data.setDataRequired(u"Login"); }},
        OtherChange{"DataAvailable", [](const ApplicationData& data) { data.setDataAvailable(u"Login"); }},
        OtherChange{"DataProcessed", [](const ApplicationData& data) { data.setDataProcessed(u"Login"); }},
        OtherChange{"DataModified", [](const ApplicationData& data) { data.setIsDataModified(true); }},
        OtherChange{"ValidationStatus",
                    [](const ApplicationData& data) {
                        data.setValidationStatus(install::datamodels::common::ValidationStatus::create(
                            data.model(), tq::zero::nilUuid()));
                    }},
        OtherChange{"SameWorkflowNameAgain",
                    [](const ApplicationData& data) { data.setWorkflowName(data.getWorkflowName()); }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(SwitchWorkflowListenerTest, ARolledBackChangeOfTheWorkflowNameDoesNotSwitch) {
    const auto listener = listen(workflowHandler);
    const auto dependentBefore = dependent();
    expectNoGateStarted();

    model().beginTransaction(false);
    handler->setWorkflow(kDownload);
    model().endTransaction();

    EXPECT_EQ(handler->getWorkflow(), kOnline);
    EXPECT_TRUE(dependent() == dependentBefore);
}

TEST_F(SwitchWorkflowListenerTest, ARejectedChangeOfTheWorkflowNameDoesNotSwitch) {
    const auto listener = listen(workflowHandler);
    expectNoGateStarted();
    DataModifiedValidator validator(model());

    model().beginTransaction(false);
    handler->setWorkflow(kDownload);
    handler->setIsDataModified(true);
    EXPECT_FALSE(model().commit().isAccepted());
    model().endTransaction();

    EXPECT_EQ(handler->getWorkflow(), kOnline);
}

TEST_F(SwitchWorkflowListenerTest, SwitchesOncePerCommitWhateverElseTheCommitChanged) {
    const auto listener = listen(workflowHandler);
    expectStarted(u"Welcome");

    model().beginTransaction(false);
    handler->setDataRequired(u"Agreement");
    handler->setWorkflow(u"Interactive Install From Folder");
    handler->setWorkflow(kDownload);
    handler->setIsDataModified(true);
    model().commit();
    model().endTransaction();

    EXPECT_FALSE(applicationData().getIsDataModified());
}

TEST_F(SwitchWorkflowListenerTest, TheSwitchOutlivesTheTransactionThatChangedTheName) {
    const auto listener = listen(workflowHandler);
    EXPECT_CALL(gate(u"Welcome"), setRequiredData()).WillOnce([this] {
        handler->setDataRequired(u"Welcome");
    });

    model().beginTransaction(false);
    handler->setWorkflow(kDownload);
    model().commit();
    const auto dependentAfterSwitch = dependent();
    model().endTransaction();

    EXPECT_TRUE(dependent() == dependentAfterSwitch);
    EXPECT_EQ(applicationData().getDataRequired(), u"Welcome");
    EXPECT_FALSE(model().isInTransaction());
}

TEST_F(SwitchWorkflowListenerTest, AfterASwitchTheSelectionIsGoneAndTheWorkflowIndependentDataStays) {
    const auto listener = listen(workflowHandler, {u"Welcome", u"Login"});
    handler->setLocale(u"de_DE");
    handler->initializeProductSelectionModel();
    handler->initializeSelectedProducts({u"VL", u"SIM"});
    handler->initializeInstallFolderModel();
    handler->setInstallFolder(u"/opt/velora");
    handler->initializeProxy();
    independent().getProxy().setUserName(u"proxy-user");
    const auto independentBefore = independent();

    handler->setWorkflow(kDownload);

    EXPECT_FALSE(dependent().hasProductSelection());
    EXPECT_EQ(handler->getInstallFolder(), u"");
    handler->initializeProductSelectionModel();
    EXPECT_TRUE(handler->getSelectedProducts().empty());

    EXPECT_TRUE(independent() == independentBefore);
    EXPECT_EQ(handler->getLocale(), u"de_DE");
    EXPECT_EQ(handler->getProxyUserName(), u"proxy-user");
    EXPECT_EQ(handler->getWorkflow(), kDownload);
}

TEST_F(SwitchWorkflowListenerTest, AWorkflowTheManagerDoesNotKnowShowsThePreparedFailure) {
    const auto listener = listen(workflowHandler, {u"Welcome"});
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
    handler->setDataRequired(u"Agreement");
    handler->setAsDataAvailable();
    expectNoGateStarted();

    handler->setWorkflow(u"License Manager");

    EXPECT_TRUE(applicationData().getValidationStatus() == failureStatus);
    EXPECT_EQ(applicationData().getDataRequired(), u"Unset");
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");
    EXPECT_EQ(applicationData().getDataProcessed(), u"Unset");
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[0], u"Workflow Error");
    EXPECT_EQ(lines[1], u"The installer could not change to the selected workflow.");
    EXPECT_FALSE(lines[2].empty());
    const auto records = diagnostics.records();
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["error.1"], "1700");
    EXPECT_EQ(records[0]["error.2"], "Workflow Error");
    EXPECT_EQ(records[0]["error.4"], "install::product_installer::workflow_utils::SwitchWorkflowListener");
}

TEST_F(SwitchWorkflowListenerTest, AFailureOfTheFirstGateIsShownAndTheCommitStands) {
    const auto listener = listen(workflowHandler, {u"Welcome", u"Login"});
    install::tlmx::sink::ScopedCapture diagnostics;
    EXPECT_CALL(gate(u"DownloadFolder"), setDefaultData()).WillOnce([] {
        throw std::runtime_error("no download folder could be proposed");
    });

    EXPECT_NO_THROW(handler->setWorkflow(kDownload));

    EXPECT_EQ(handler->getWorkflow(), kDownload);
    EXPECT_TRUE(applicationData().getValidationStatus() == failureStatus);
    ASSERT_EQ(diagnostics.records().size(), 1U);
    EXPECT_EQ(diagnostics.records()[0]["error.3"], "no download folder could be proposed");
}

TEST_F(SwitchWorkflowListenerTest, AnExceptionOfAnotherKindRollsTheSwitchBackAndReachesTheWriter) {
    const auto listener = listen(workflowHandler, {u"Welcome", u"Login"});
    const auto dependentBefore = dependent();
    handler->setIsDataModified(true);
    EXPECT_CALL(gate(u"DownloadFolder"), setDefaultData()).WillOnce([] { throw 42; });

    EXPECT_THROW(handler->setWorkflow(kDownload), int);

    EXPECT_TRUE(dependent() == dependentBefore);
    EXPECT_TRUE(applicationData().getIsDataModified());
    EXPECT_FALSE(applicationData().getValidationStatus() == failureStatus);
    EXPECT_FALSE(model().isInTransaction());
}

TEST_F(SwitchWorkflowListenerTest, ARejectedSwitchCommitIsIgnored) {
    const auto listener = listen(workflowHandler, {u"Welcome", u"Login"});
    handler->setIsDataModified(true);
    const auto dependentBefore = dependent();
    DataModifiedValidator validator(model());
    EXPECT_CALL(gate(u"DownloadFolder"), setRequiredData()).WillOnce([this] {
        handler->setDataRequired(u"DownloadFolder");
    });

    EXPECT_NO_THROW(handler->setWorkflow(kDownload));

    // Everything the switch wrote, the first gate's writes included, went with its transaction.
    EXPECT_EQ(handler->getWorkflow(), kDownload);
    EXPECT_TRUE(dependent() == dependentBefore);
    EXPECT_TRUE(applicationData().getIsDataModified());
    EXPECT_EQ(applicationData().getDataRequired(), u"Unset");
    EXPECT_FALSE(model().isInTransaction());
}

TEST_F(SwitchWorkflowListenerTest, SubscribesOnceAndUnsubscribesWhenDestroyed) {
    auto listener = listen(workflowHandler, {u"Welcome", u"Login"});
    EXPECT_TRUE(model().hasListener(*listener));
    expectStarted(u"DownloadFolder");
    handler->setWorkflow(kDownload);
    testing::Mock::VerifyAndClearExpectations(&gate(u"DownloadFolder"));

    listener.reset();
    expectNoGateStarted();
    const auto dependentBefore = dependent();
    handler->setWorkflow(kOnline);
    EXPECT_TRUE(dependent() == dependentBefore);
}

}  // namespace
}  // namespace workflow_test
