// The workflow manager's core (the configured order, walking it, what survives a switch) and the LDAP
// filters the service registry finds services by; the registry itself serves the folder selection gate's
// tests.
#include <gmock/gmock.h>

#include <functional>

#include "install/workflow_manager/WorkflowHandler.h"
#include "microservices/LdapFilter.h"

namespace install::workflow_manager {
namespace {

using microservices::LdapFilter;
using testing::ElementsAre, testing::Optional;
using Name = std::u16string;

class StubGate : public Gate {
public:
    void processData() override {}
};

const Name kOnline = u"Interactive Online Install", kDownload = u"DownloadOnly";

WorkflowConfiguration installerConfiguration() {
    WorkflowConfiguration configuration;
    for (const char16_t* name : {u"Welcome", u"Login", u"Proxy", u"DownloadFolder", u"Final"})
        configuration.gates[name] = std::make_shared<StubGate>();
    configuration.gateOrder[kOnline] = {u"Welcome", u"Login", u"Proxy", u"Final"};
    configuration.gateOrder[kDownload] = {u"Welcome", u"Login", u"DownloadFolder", u"Final"};
    return configuration;
}

// A switch keeps only the remembered gates that were completed; remembering does not complete a gate.
TEST(WorkflowHandler, WalksAWorkflowPassingOverCompletedGatesAndASwitchKeepsTheRememberedOnes) {
    WorkflowHandler handler{installerConfiguration()};
    EXPECT_THAT(handler.getWorkflowNames(), ElementsAre(kDownload, kOnline));
    EXPECT_TRUE(handler.isGateConfigured(u"Proxy") && !handler.isGateConfigured(u"proxy"));
    EXPECT_THROW(handler.getGate(kDownload, u"Proxy"), std::out_of_range) << "not part of that workflow";
    EXPECT_THROW(handler.advance(), std::logic_error) << "no workflow started";
    handler.markGateCompleted(u"Login");
    handler.startWorkflow(kDownload);
    EXPECT_NE(handler.getCurrentGate(), nullptr);
    EXPECT_THAT(handler.advance(), Optional(Name(u"DownloadFolder")));
    EXPECT_THAT(handler.advance(), Optional(Name(u"Final")));
    EXPECT_EQ(handler.advance(), std::nullopt);
    EXPECT_THROW(handler.advance(), std::logic_error) << "the workflow is through";
    EXPECT_EQ(handler.getCurrentGate(), nullptr);
    EXPECT_THROW(handler.startWorkflow(kDownload), std::runtime_error) << "every gate passed";
    EXPECT_EQ(handler.getFirstGateName(kOnline), u"Proxy");
    handler.reset();
    EXPECT_TRUE(handler.isGateCompleted(u"Welcome") && !handler.isGateCompleted(u"Proxy"));
    handler.resetCompletedGates();
    handler.setGatesToRemember({u"Welcome", u"Proxy"});
    EXPECT_EQ(handler.getCurrentWorkflowName(), std::nullopt);
    EXPECT_EQ(handler.getFirstGateName(kOnline), u"Login");
}

TEST(WorkflowConfiguration, IsRefusedWithTheReason) {
    EXPECT_THROW(WorkflowHandler().getFirstGateName(kDownload), std::out_of_range);
    for (const auto& [breakIt, reason] :
         std::initializer_list<std::pair<std::function<void(WorkflowConfiguration&)>, const char*>>{
             {[](auto& c) { c.gateOrder[kDownload].push_back(u"Ghost"); }, "\"Ghost\""},
             {[](auto& c) { c.gateOrder[kDownload].push_back(u"Login"); }, "twice"},
             {[](auto& c) { c.gateOrder[u"License Manager"] = {}; }, "\"License Manager\""},
             {[](auto& c) { c.gates[u"Proxy"] = nullptr; }, "\"Proxy\""}}) {
        WorkflowConfiguration configuration = installerConfiguration();
        breakIt(configuration);
        EXPECT_THAT([&] { WorkflowHandler{configuration}; },
                    testing::ThrowsMessage<std::invalid_argument>(testing::HasSubstr(reason)));
    }
}

TEST(LdapFilter, MatchesPropertiesByCaseInsensitiveKeyExactValueWildcardsAndLogic) {
    const microservices::ServiceProperties online{
        {"type", "onlineproduct"}, {"Region", "eu"}, {"name", "v*r"}};
    for (const char* matching : {"(TYPE=onlineproduct)", "( type =onlineproduct)", "(type=*)", "(type=o*n*t)",
                                 "(type=onlineproduct*)", "(name=v\\*r)", "(name=v\\2ar)",
                                 "(&(|(region=us)(type=online*))(!(name=x)))", "  "})
        EXPECT_TRUE(LdapFilter(matching).matches(online)) << matching;
    for (const char* other :
         {"(type=ONLINEPRODUCT)", "(missing=*)", "(type=*x*)", "(name=vXr)",
          "(&(type=onlineproduct)(region=us))", "(|(region=us)(region=ap))", "(!(region=eu))"})
        EXPECT_FALSE(LdapFilter(other).matches(online)) << other;
    for (const char* malformed :
         {"type=a", "(type=a", "(type)", "(=value)", "(type=a(b)", "(&)", "(!)", "(!(a=b)(c=d))",
          "(a=b)(c=d)", "(a>=1)", "(a~=b)", "(a<=1)", "(a=b\\)", "()", "(", "(&(a=b)"})
        EXPECT_THROW(LdapFilter{malformed}, std::invalid_argument) << malformed;
}

}  // namespace
}  // namespace install::workflow_manager
