// The workflow manager's core (the configured order, walking it, what survives a switch) and the
// service registry with its LDAP filters.
#include <gmock/gmock.h>

#include <functional>

#include "install/workflow_manager/WorkflowHandler.h"
#include "microservices/ServiceRegistry.h"

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
    for (const char16_t* name : {u"Welcome", u"Login", u"Proxy", u"Agreement", u"DownloadFolder", u"Final"})
        configuration.gates[name] = std::make_shared<StubGate>();
    configuration.gateOrder[kOnline] = {u"Welcome", u"Login", u"Proxy", u"Agreement", u"Final"};
    configuration.gateOrder[kDownload] = {u"Welcome", u"Login", u"DownloadFolder", u"Final"};
    return configuration;
}

class WorkflowHandlerTest : public testing::Test {
protected:
    // The listener's part of a switch, keeping the gates the query approves of.
    void switchKeeping(const std::vector<Name>& gatesToRemember,
                       bool (WorkflowHandler::*query)(const Name&) const) {
        handler.reset();
        std::unordered_set<Name> kept;
        for (const Name& gate : gatesToRemember)
            if ((handler.*query)(gate)) kept.insert(gate);
        handler.resetCompletedGates();
        handler.setGatesToRemember(kept);
    }

    WorkflowConfiguration configuration = installerConfiguration();
    WorkflowHandler handler{configuration};
};

TEST_F(WorkflowHandlerTest, WalksAWorkflowGateByGatePassingOverCompletedOnesAndRefusesWhatIsNotConfigured) {
    EXPECT_THAT(handler.getWorkflowNames(), ElementsAre(kDownload, kOnline));
    EXPECT_THAT(handler.getGateOrder(kDownload),
                ElementsAre(u"Welcome", u"Login", u"DownloadFolder", u"Final"));
    EXPECT_TRUE(handler.isGateConfigured(u"Proxy") && !handler.isGateConfigured(u"proxy"));
    EXPECT_EQ(handler.getGate(kDownload, u"DownloadFolder"), configuration.gates.at(u"DownloadFolder"));
    EXPECT_THROW(handler.getGate(kDownload, u"Proxy"), std::out_of_range) << "not part of that workflow";
    EXPECT_THROW(handler.markGateCompleted(u"Nowhere"), std::out_of_range);
    EXPECT_THROW(handler.startWorkflow(u"License Manager"), std::out_of_range);
    EXPECT_THROW(handler.advance(), std::logic_error) << "no workflow started";
    handler.markGateCompleted(u"Login");
    handler.startWorkflow(kDownload);
    EXPECT_THAT(handler.getCurrentWorkflowName(), Optional(kDownload));
    EXPECT_EQ(handler.getCurrentGate(), configuration.gates.at(u"Welcome"));
    EXPECT_THAT(handler.advance(), Optional(Name(u"DownloadFolder")));
    EXPECT_THAT(handler.advance(), Optional(Name(u"Final")));
    EXPECT_EQ(handler.advance(), std::nullopt);
    EXPECT_EQ(handler.getCurrentGate(), nullptr);
    EXPECT_THROW(handler.advance(), std::logic_error) << "the workflow is through";
    EXPECT_THROW(handler.getFirstGateName(kDownload), std::runtime_error) << "every gate passed";
    EXPECT_THROW(handler.startWorkflow(kDownload), std::runtime_error) << "every gate passed";
    EXPECT_EQ(handler.getFirstGateName(kOnline), u"Proxy");
}

TEST_F(WorkflowHandlerTest, ASwitchKeepsOnlyRememberedGatesThatWereCompleted) {
    handler.startWorkflow(kOnline);
    handler.advance();
    handler.advance();  // Welcome and Login done, now at Proxy
    switchKeeping({u"Welcome", u"Login", u"Agreement"}, &WorkflowHandler::isGateCompleted);
    EXPECT_EQ(handler.getCurrentWorkflowName(), std::nullopt);
    EXPECT_EQ(handler.getFirstGateName(kDownload), u"DownloadFolder");
    switchKeeping({u"Welcome"}, &WorkflowHandler::isGateCompleted);
    switchKeeping({u"Welcome", u"Login", u"Unknown"}, &WorkflowHandler::isGateConfigured);
    EXPECT_EQ(handler.getFirstGateName(kDownload), u"Login") << "remembering a gate does not complete it";
    switchKeeping({}, &WorkflowHandler::isGateCompleted);
    EXPECT_EQ(handler.getFirstGateName(kOnline), u"Welcome");
}

TEST(WorkflowConfiguration, IsRefusedWithTheReason) {
    EXPECT_THROW(WorkflowHandler().getFirstGateName(kDownload), std::out_of_range)
        << "an empty handler knows nothing";
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
        {"type", "onlineproduct"}, {"Region", "eu"}, {"name", "velora*repo"}};
    for (const char* matching :
         {"(type=onlineproduct)", "(TYPE=onlineproduct)", "(region=eu)", "( type =onlineproduct)", "(type=*)",
          "(type=online*)", "(type=*product)", "(type=o*n*t)", "(type=onlineproduct*)",
          "(name=velora\\*repo)", "(name=velora\\2arepo)", "(&(type=onlineproduct)(region=eu))",
          "(|(region=us)(region=eu))", "(!(region=us))", "(&(|(region=us)(type=online*))(!(name=x)))", "",
          "  "})
        EXPECT_TRUE(LdapFilter(matching).matches(online)) << matching;
    for (const char* other :
         {"(type=folderproduct)", "(type=ONLINEPRODUCT)", "(missing=x)", "  ( type = onlineproduct )  ",
          "(missing=*)", "(type=*x*)", "(name=veloraXrepo)", "(&(type=onlineproduct)(region=us))",
          "(|(region=us)(region=ap))", "(!(type=onlineproduct))"})
        EXPECT_FALSE(LdapFilter(other).matches(online)) << other;
    for (const char* malformed :
         {"type=onlineproduct", "(type=onlineproduct", "type=onlineproduct)", "(type)", "(=value)",
          "(type=a(b)", "(&)", "(!)", "(!(a=b)(c=d))", "(a=b)(c=d)", "(a>=1)", "(a~=b)", "(a<=1)", "(a=b\\)",
          "()", "(", "(&(a=b)"})
        EXPECT_THROW(LdapFilter{malformed}, std::invalid_argument) << malformed;
}

struct Repository {
    virtual ~Repository() = default;
};

TEST(ServiceRegistry, FindsByInterfaceAndFilterInRegistrationOrderUntilUnregistered) {
    microservices::ServiceRegistry registry;
    auto online = std::make_shared<Repository>();
    const auto folder = std::make_shared<Repository>(), secondOnline = std::make_shared<Repository>();
    const std::weak_ptr<Repository> watch = online;
    EXPECT_EQ(registry.findService<Repository>("(type=onlineproduct)"), nullptr);
    registry.registerService<Repository>(folder, {{"type", "folderproduct"}});
    const auto id = registry.registerService<Repository>(online, {{"type", "onlineproduct"}});
    registry.registerService<Repository>(secondOnline, {{"type", "onlineproduct"}});
    registry.registerService<StubGate>(std::make_shared<StubGate>(), {{"type", "onlineproduct"}});
    EXPECT_THAT(registry.findServices<Repository>("(type=onlineproduct)"), ElementsAre(online, secondOnline));
    EXPECT_EQ(registry.findService<Repository>("(type=folderproduct)"), folder);
    EXPECT_EQ(registry.findServices<StubGate>().size(), 1u) << "interfaces do not mix";
    EXPECT_THROW(registry.findServices<Repository>("type=onlineproduct"), std::invalid_argument);
    online.reset();
    EXPECT_TRUE(registry.unregisterService(id));
    EXPECT_FALSE(registry.unregisterService(id));
    EXPECT_THAT(registry.findServices<Repository>(), ElementsAre(folder, secondOnline));
    EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace install::workflow_manager
