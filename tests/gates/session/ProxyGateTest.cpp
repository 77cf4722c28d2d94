// The proxy step: when it is shown, what the online service client and the embedded browser are
// given, how failures are shown and reported, and that the password goes nowhere else.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fl/i18n/Message.h"
#include "gates/session/ProxyGate.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/cpputil/Logger.h"
#include "install/online_service/ProxyAuthenticationRequiredException.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "support/ModelFixture.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ValueText.h"

namespace {

using install::online_service::OnlineServiceClient;
using install::online_service::ProxyAuthenticationRequiredException;
using install::product_installer::workflow_utils::ProxyGate;
using testing::_;
using testing::ElementsAre;
using testing::Throw;
using workflow_test::joined;

class MockOnlineServiceClient : public OnlineServiceClient {
public:
    MockOnlineServiceClient() : OnlineServiceClient({"http://127.0.0.1:9/unused", "", "", 1}) {}
    MOCK_METHOD(void, setProxyCredentials, (const std::string&, const std::string&), (override));
    MOCK_METHOD(void, ping, (const std::string&, const std::string&), (const, override));
};

// Hands out the test's client and, when the test gives one, its own stand-in for the embedded
// browser; without them the gate's own factory and window manager run.
class TestableProxyGate : public ProxyGate {
public:
    using ProxyGate::ProxyGate;
    std::shared_ptr<OnlineServiceClient> client;
    std::function<void(const std::string&, const std::string&)> browser;

protected:
    std::shared_ptr<OnlineServiceClient> getOnlineServiceClient() const override {
        return client ? client : ProxyGate::getOnlineServiceClient();
    }
    void isAppliedSuccessfully(const std::string& user, const std::string& password) const override {
        browser ? browser(user, password) : ProxyGate::isAppliedSuccessfully(user, password);
    }
};

class ProxyGateTest : public workflow_test::ModelFixture {
protected:
    ProxyGateTest() {
        gate.client = client;
        gate.browser = [this](const std::string& user, const std::string& password) {
            applied = {user, password};
        };
        install::cpputil::installer_locale::setLocale(u"ja_JP");
        gate.setDefaultData();
        gate.setRequiredData();
        handler->setAsDataAvailable();
    }
    ~ProxyGateTest() override { install::cpputil::installer_locale::setLocale(u"en_US"); }

    void typeCredentials(const std::u16string& user, const std::u16string& password) const {
        independent().getProxy().setUserName(user);
        independent().getProxy().setPassword(password);
    }
    // result|type|message|title|available|processed
    std::string step() const {
        const auto s = applicationData().getValidationStatus();
        return joined(s.getResult(), independent().getValidationResultType(), s.getMessage(), s.getTitle(),
                      applicationData().getDataAvailable(), applicationData().getDataProcessed());
    }
    static std::string proxyErrorStep() {
        return joined(2, 21, fl::i18n::message("ProxyError"), "", "ProxyGate", "Unset");
    }

    std::shared_ptr<testing::NiceMock<MockOnlineServiceClient>> client =
        std::make_shared<testing::NiceMock<MockOnlineServiceClient>>();
    TestableProxyGate gate{u"ProxyGate", handler};
    std::vector<std::string> applied;
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
};

struct PingOutcome {
    const char* name;
    std::function<void()> ping;
    bool skipped;
};
void PrintTo(const PingOutcome& row, std::ostream* out) { *out << row.name; }

class ProxySkipTest : public ProxyGateTest, public testing::WithParamInterface<PingOutcome> {};

TEST_P(ProxySkipTest, ShowsThePageOnlyWhenTheProxyDemandsCredentials) {
    ON_CALL(*client, ping).WillByDefault(GetParam().ping);
    EXPECT_EQ(gate.checkIfShouldBeSkipped(), GetParam().skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ProxySkipTest,
    testing::Values(PingOutcome{"ServiceAnswers", [] {}, true},
                    PingOutcome{"ProxyDemandsCredentials",
                                [] { throw ProxyAuthenticationRequiredException("407"); }, false},
                    PingOutcome{"ServiceDown", [] { throw std::runtime_error("connection refused"); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProxyGateTest, PingsWithTheInstallerLocaleAndTheInstallersClientName) {
    EXPECT_CALL(*client, setProxyCredentials).Times(0);  // an empty password is not passed on
    EXPECT_CALL(*client, ping(std::string("ja_JP"), std::string("KestrelixProductInstaller")));
    EXPECT_CALL(*client, ping(std::string("ja_JP"), std::string("VantapakInstaller")));
    typeCredentials(u"proxy-user", u"");
    gate.checkIfShouldBeSkipped();
    dependent().setIsVantapakInstallation(true);
    gate.checkIfShouldBeSkipped();
}

TEST_F(ProxyGateTest, AcceptedCredentialsReachClientAndBrowserAndCompleteTheStep) {
    typeCredentials(u"proxy-user", u"p\u00e4ss");
    EXPECT_CALL(*client, setProxyCredentials(std::string("proxy-user"), std::string("p\xC3\xA4ss")));
    gate.processData();
    EXPECT_THAT(applied, ElementsAre("proxy-user", "p\xC3\xA4ss"));
    EXPECT_EQ(step(), "1|0|||Unset|ProxyGate");
    EXPECT_THAT(log.lines(), ElementsAre(u"Proxy validation is successful."));
}

TEST_F(ProxyGateTest, RefusedCredentialsShowTheProxyErrorAndNeverReachTheBrowser) {
    typeCredentials(u"proxy-user", u"wrong");
    ON_CALL(*client, ping)
        .WillByDefault(Throw(ProxyAuthenticationRequiredException("HTTP 407 from the proxy")));
    gate.processData();
    EXPECT_EQ(step(), proxyErrorStep());
    EXPECT_TRUE(applied.empty());
    EXPECT_THAT(log.lines(), ElementsAre(u"HTTP 407 from the proxy", fl::i18n::message("ProxyError")));
    EXPECT_TRUE(diagnostics.records().empty());
}

TEST_F(ProxyGateTest, ABrowserThatCannotTakeTheCredentialsLeavesTheStepOpenWithOneReport) {
    typeCredentials(u"proxy-user", u"s3cret");
    gate.browser = [](const std::string&, const std::string& password) {
        throw std::runtime_error(password);
    };
    gate.processData();
    gate.browser = nullptr;  // the window manager of this machine, with no browser to take them
    gate.processData();
    EXPECT_EQ(step(), proxyErrorStep());
    EXPECT_THAT(log.lines(), ElementsAre(u"Error applying proxy Information to the CEF process.",
                                         u"Error applying proxy Information to the CEF process."));
    EXPECT_THAT(
        workflow_test::recordTexts(diagnostics.records()),
        testing::Each(
            "2800|Failed to apply User proxy settings to CEF||Proxy::isProxyAppliedSuccessfullyToCEF"));
    EXPECT_EQ(diagnostics.records().size(), 2U);
}

TEST_F(ProxyGateTest, APasswordEchoedByTheClientIsMaskedInTheLog) {
    typeCredentials(u"proxy-user", u"hunter2");
    EXPECT_CALL(*client, ping)
        .WillOnce(Throw(ProxyAuthenticationRequiredException("407 for proxy-user:hunter2")))
        .WillOnce(Throw(std::runtime_error("hunter2 is wrong")));
    gate.checkIfShouldBeSkipped();
    gate.checkIfShouldBeSkipped();
    EXPECT_THAT(log.lines(), ElementsAre(u"407 for proxy-user:********", u"******** is wrong"));
}

TEST_F(ProxyGateTest, AClientThatCannotBeMadeCountsAsAServiceOutOfReach) {
    gate.client = nullptr;  // the gate's own factory, with an address configuration that is not there
    workflow_test::ScopedEnvironmentVariable urls("VELORA_URL_CONFIGURATION", "/nonexistent/urls.json");
    EXPECT_TRUE(gate.checkIfShouldBeSkipped());
    gate.processData();
    EXPECT_EQ(step(), proxyErrorStep());
}

}  // namespace
