// The proxy step: when it is shown, what the online service client and the embedded browser are
// given, how failures are shown and reported, and that the password goes nowhere else.
#include <gmock/gmock.h>

#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

#include "fl/i18n/Message.h"
#include "gates/session/ProxyGate.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/online_service/ProxyAuthenticationRequiredException.h"
#include "support/ModelFixture.h"
#include "support/ScopedEnvironmentVariable.h"

namespace {

using install::online_service::OnlineServiceClient;
using install::online_service::ProxyAuthenticationRequiredException;
using workflow_test::joined, workflow_test::PrintTo;

// Records the credentials it is given; pings as the test tells it.
class FakeOnlineServiceClient : public OnlineServiceClient {
public:
    FakeOnlineServiceClient() : OnlineServiceClient({"http://127.0.0.1:9/unused", "", "", 1}) {}
    void setProxyCredentials(const std::string& user, const std::string& password) override {
        given += user + "/" + password;
    }
    void ping(const std::string& locale, const std::string& clientName) const override {
        pinged += locale + "/" + clientName + " ";
        if (answer) answer();
    }
    std::string given;
    mutable std::string pinged;
    std::function<void()> answer;
};

// Hands out the test's client and, when the test gives one, its own stand-in for the embedded
// browser; without them the gate's own factory and window manager run.
class TestableProxyGate : public install::product_installer::workflow_utils::ProxyGate {
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
            applied = user + "/" + password;
        };
        install::cpputil::installer_locale::setLocale(u"ja_JP");
        gate.setDefaultData();
        gate.setRequiredData();
        handler->setAsDataAvailable();
        independent().getProxy().setUserName(u"proxy-user");
        independent().getProxy().setPassword(u"p\u00e4ss");
    }
    ~ProxyGateTest() override { install::cpputil::installer_locale::setLocale(u"en_US"); }

    // result|type|message|title|available|processed|[log]|[diagnostics], the "ProxyError" text
    // shown by its key.
    std::string step() const {
        const auto s = applicationData().getValidationStatus();
        auto text = joined(s.getResult(), independent().getValidationResultType(), s.getMessage(),
                           s.getTitle(), applicationData().getDataAvailable(),
                           applicationData().getDataProcessed(), log.lines(), recordTexts());
        const auto proxyError = joined(fl::i18n::message("ProxyError"));
        for (auto at = text.find(proxyError); at != std::string::npos; at = text.find(proxyError))
            text.replace(at, proxyError.size(), "{ProxyError}");
        return text;
    }

    std::shared_ptr<FakeOnlineServiceClient> client = std::make_shared<FakeOnlineServiceClient>();
    TestableProxyGate gate{u"ProxyGate", handler};
    std::string applied;
};

TEST_F(ProxyGateTest, ShowsThePageOnlyWhenTheProxyDemandsCredentials) {
    EXPECT_TRUE(gate.checkIfShouldBeSkipped()) << "the service answers";
    client->answer = [] { throw ProxyAuthenticationRequiredException("407"); };
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    gate.client = nullptr;  // the gate's own factory, with an address configuration that is not there
    workflow_test::ScopedEnvironmentVariable urls("VELORA_URL_CONFIGURATION", "/nonexistent/urls.json");
    EXPECT_TRUE(gate.checkIfShouldBeSkipped()) << "a service out of reach for another reason";
}

TEST_F(ProxyGateTest, PingsWithTheInstallerLocaleAndClientNameAndOnlyACompletePairOfCredentials) {
    independent().getProxy().setPassword(u"");
    gate.checkIfShouldBeSkipped();
    dependent().setIsVantapakInstallation(true);
    independent().getProxy().setPassword(u"p\u00e4ss");
    gate.checkIfShouldBeSkipped();
    EXPECT_EQ(client->pinged, "ja_JP/KestrelixProductInstaller ja_JP/VantapakInstaller ");
    EXPECT_EQ(client->given, "proxy-user/p\xC3\xA4ss");
}

// One row of the step's outcomes: how the service answers and the browser takes the credentials,
// and what the step then shows, logs and reports. The password never appears in the log.
enum class Browser { Takes, Throws, OfThisMachine };

struct Outcome {
    const char* name;
    std::function<void()> answer;
    Browser browser;
    std::string step;
    std::string applied;
};

const char kBrowserFailure[] =
    "2|21|{ProxyError}||ProxyGate|Unset|[Error applying proxy Information to the CEF process.]|"
    "[2800|Failed to apply User proxy settings to CEF||Proxy::isProxyAppliedSuccessfullyToCEF]";

class ProxyOutcomeTest : public ProxyGateTest, public testing::WithParamInterface<Outcome> {};

TEST_P(ProxyOutcomeTest, IsShownLoggedAndReported) {
    client->answer = GetParam().answer;
    if (GetParam().browser == Browser::Throws)
        gate.browser = [](auto&, auto& password) { throw std::runtime_error(password); };
    if (GetParam().browser == Browser::OfThisMachine)
        gate.browser = nullptr;  // no browser process to take them
    gate.processData();
    EXPECT_EQ(step(), GetParam().step);
    EXPECT_EQ(applied, GetParam().applied);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Outcomes, ProxyOutcomeTest, testing::Values(
    Outcome{"Accepted", nullptr, Browser::Takes, "1|0|||Unset|ProxyGate|[Proxy validation is successful.]|[]", "proxy-user/p\xC3\xA4ss"},
    Outcome{"RefusedByTheProxy", [] { throw ProxyAuthenticationRequiredException("407 proxy-user:p\xC3\xA4ss"); }, Browser::Takes, "2|21|{ProxyError}||ProxyGate|Unset|[407 proxy-user:********,{ProxyError}]|[]", ""},
    Outcome{"ServiceDown", [] { throw std::runtime_error("p\xC3\xA4ss refused"); }, Browser::Takes, "2|21|{ProxyError}||ProxyGate|Unset|[******** refused,{ProxyError}]|[]", ""},
    Outcome{"BrowserRefuses", nullptr, Browser::Throws, kBrowserFailure, ""},
    Outcome{"NoBrowserOnThisMachine", nullptr, Browser::OfThisMachine, kBrowserFailure, ""}),
    workflow_test::rowName);
// clang-format on

}  // namespace
