#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "install/workflow_manager/WorkflowHandler.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Optional;

namespace install::workflow_manager {
namespace {

class StubGate : public Gate {
public:
    void processData() override {}
};

const std::u16string kOnline = u"Interactive Online Install";
const std::u16string kDownload = u"DownloadOnly";

WorkflowConfiguration installerConfiguration() {
    WorkflowConfiguration configuration;
    for (const char16_t* name :
         {u"Welcome", u"Login", u"Proxy", u"Agreement", u"FolderSelection", u"DownloadFolder", u"Final"}) {
        configuration.gates[name] = std::make_shared<StubGate>();
    }
    configuration.gateOrder[kOnline] = {u"Welcome",   u"Login",           u"Proxy",
                                        u"Agreement", u"FolderSelection", u"Final"};
    configuration.gateOrder[kDownload] = {u"Welcome", u"Login", u"DownloadFolder", u"Final"};
    return configuration;
}

class WorkflowHandlerTest : public ::testing::Test {
protected:
    WorkflowHandlerTest() : configuration(installerConfiguration()), handler(configuration) {}

    // The listener's part of a switch, with the query it filters the kept gates by.
    void switchKeeping(const std::unordered_set<std::u16string>& gatesToRemember,
                       bool (WorkflowHandler::*query)(const std::u16string&) const) {
        handler.reset();
        std::unordered_set<std::u16string> kept;
        for (const std::u16string& gate : gatesToRemember) {
            if ((handler.*query)(gate)) kept.insert(gate);
        }
        handler.resetCompletedGates();
        handler.setGatesToRemember(kept);
    }

    WorkflowConfiguration configuration;
    WorkflowHandler handler;
};

TEST_F(WorkflowHandlerTest, AnswersTheConfiguration) {
    EXPECT_THAT(handler.getWorkflowNames(), ElementsAre(kDownload, kOnline));
    EXPECT_THAT(handler.getGateOrder(kDownload),
                ElementsAre(u"Welcome", u"Login", u"DownloadFolder", u"Final"));
    EXPECT_EQ(handler.getFirstGateName(kOnline), u"Welcome");
    EXPECT_EQ(handler.getGate(kDownload, u"DownloadFolder"), configuration.gates.at(u"DownloadFolder"));
    EXPECT_EQ(handler.getGate(kOnline, u"Welcome"), handler.getGate(kDownload, u"Welcome"));
    EXPECT_TRUE(handler.isGateConfigured(u"Proxy"));
    EXPECT_FALSE(handler.isGateConfigured(u"proxy"));
}

TEST_F(WorkflowHandlerTest, RefusesLookupsOutsideTheConfiguration) {
    EXPECT_THROW(handler.getFirstGateName(u"Interactive online install"), std::out_of_range);
    EXPECT_THROW(handler.getGate(kDownload, u"Proxy"), std::out_of_range)
        << "Proxy is not part of that workflow";
    EXPECT_THROW(handler.getGate(kOnline, u"Nowhere"), std::out_of_range);
    EXPECT_THROW(handler.markGateCompleted(u"Nowhere"), std::out_of_range);
    EXPECT_THROW(handler.startWorkflow(u"License Manager"), std::out_of_range);
}

TEST_F(WorkflowHandlerTest, WalksAWorkflowGateByGate) {
    EXPECT_EQ(handler.getCurrentGateName(), std::nullopt);
    EXPECT_THROW(handler.advance(), std::logic_error);

    handler.startWorkflow(kDownload);
    EXPECT_THAT(handler.getCurrentWorkflowName(), Optional(kDownload));
    EXPECT_THAT(handler.getCurrentGateName(), Optional(std::u16string(u"Welcome")));
    EXPECT_EQ(handler.getCurrentGate(), configuration.gates.at(u"Welcome"));
    EXPECT_THAT(handler.advance(), Optional(std::u16string(u"Login")));
    EXPECT_THAT(handler.advance(), Optional(std::u16string(u"DownloadFolder")));
    EXPECT_THAT(handler.advance(), Optional(std::u16string(u"Final")));
    EXPECT_EQ(handler.advance(), std::nullopt);

    EXPECT_EQ(handler.getCurrentGateName(), std::nullopt);
    EXPECT_EQ(handler.getCurrentGate(), nullptr);
    EXPECT_THROW(handler.advance(), std::logic_error);
    EXPECT_TRUE(handler.isGateCompleted(u"Final"));
}

TEST_F(WorkflowHandlerTest, CompletedGatesArePassedOver) {
    handler.markGateCompleted(u"Login");
    handler.markGateCompleted(u"Proxy");
    handler.startWorkflow(kOnline);

    EXPECT_THAT(handler.advance(), Optional(std::u16string(u"Agreement")));
}

TEST_F(WorkflowHandlerTest, ASwitchKeepsOnlyRememberedGatesThatWereCompleted) {
    handler.startWorkflow(kOnline);
    handler.advance();  // Welcome done
    handler.advance();  // Login done, now at Proxy

    switchKeeping({u"Welcome", u"Login", u"Agreement"}, &WorkflowHandler::isGateCompleted);

    EXPECT_EQ(handler.getCurrentWorkflowName(), std::nullopt);
    EXPECT_EQ(handler.getFirstGateName(kDownload), u"DownloadFolder");
    EXPECT_TRUE(handler.isGateCompleted(u"Login"));
    EXPECT_FALSE(handler.isGateCompleted(u"Agreement"));
}

TEST_F(WorkflowHandlerTest, FilteringByConfigurationDoesNotCompleteGatesNeverPassed) {
    handler.startWorkflow(kOnline);
    handler.advance();  // only Welcome done

    switchKeeping({u"Welcome", u"Login", u"Unknown"}, &WorkflowHandler::isGateConfigured);

    EXPECT_TRUE(handler.isGateCompleted(u"Welcome"));
    EXPECT_FALSE(handler.isGateCompleted(u"Login"));
    EXPECT_EQ(handler.getFirstGateName(kDownload), u"Login");
}

TEST_F(WorkflowHandlerTest, GatesNotRememberedAreOpenAgainAfterASwitch) {
    handler.startWorkflow(kOnline);
    handler.advance();
    handler.advance();

    switchKeeping({}, &WorkflowHandler::isGateCompleted);

    EXPECT_EQ(handler.getFirstGateName(kOnline), u"Welcome");
    handler.startWorkflow(kOnline);
    EXPECT_THAT(handler.getCurrentGateName(), Optional(std::u16string(u"Welcome")));
}

TEST_F(WorkflowHandlerTest, AWorkflowWithEveryGatePassedHasNoFirstGate) {
    for (const std::u16string& gate : handler.getGateOrder(kDownload)) handler.markGateCompleted(gate);

    EXPECT_THROW(handler.getFirstGateName(kDownload), std::runtime_error);
    EXPECT_THROW(handler.startWorkflow(kDownload), std::runtime_error);
    EXPECT_EQ(handler.getFirstGateName(kOnline), u"Proxy");
}

TEST(WorkflowHandlerDefaultTest, AnEmptyHandlerKnowsNothing) {
    const WorkflowHandler handler;
    EXPECT_TRUE(handler.getWorkflowNames().empty());
    EXPECT_FALSE(handler.isGateConfigured(u"Welcome"));
    EXPECT_THROW(handler.getFirstGateName(u"DownloadOnly"), std::out_of_range);
}

struct BrokenConfiguration {
    const char* title;
    void (*breakIt)(WorkflowConfiguration&);
    const char* mentioned;
};

class WorkflowConfigurationTest : public ::testing::TestWithParam<BrokenConfiguration> {};

TEST_P(WorkflowConfigurationTest, IsRefusedWithTheReason) {
    WorkflowConfiguration configuration = installerConfiguration();
    GetParam().breakIt(configuration);
    try {
        WorkflowHandler handler(configuration);
        FAIL() << "accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_THAT(error.what(), HasSubstr(GetParam().mentioned));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, WorkflowConfigurationTest,
    ::testing::Values(
        BrokenConfiguration{"UnknownGate",
                            [](WorkflowConfiguration& c) { c.gateOrder[kDownload].push_back(u"Ghost"); },
                            "\"Ghost\""},
        BrokenConfiguration{"GateTwice",
                            [](WorkflowConfiguration& c) { c.gateOrder[kDownload].push_back(u"Login"); },
                            "twice"},
        BrokenConfiguration{"EmptyWorkflow",
                            [](WorkflowConfiguration& c) { c.gateOrder[u"License Manager"] = {}; },
                            "\"License Manager\""},
        BrokenConfiguration{"NullGate", [](WorkflowConfiguration& c) { c.gates[u"Proxy"] = nullptr; },
                            "\"Proxy\""}),
    [](const ::testing::TestParamInfo<BrokenConfiguration>& info) { return std::string(info.param.title); });

}  // namespace
}  // namespace install::workflow_manager
