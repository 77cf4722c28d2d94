// The proxy step: when it is shown, what the online service client and the embedded browser are
// given, how failures are shown and reported, and that the credentials go nowhere else.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "framework/window/WindowManager.h"
#include "gates/session/ProxyGate.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/cpputil/Logger.h"
#include "install/online_service/ProxyAuthenticationRequiredException.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "support/ModelFixture.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"

namespace {

using install::datamodels::common::Result;
using install::datamodels::product_installer::validationResultType;
using install::online_service::OnlineServiceClient;
using install::online_service::ProxyAuthenticationRequiredException;
using install::product_installer::workflow_utils::ProxyGate;
using testing::_;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;
using testing::Throw;
using workflow_test::ModelFixture;
using workflow_test::ScopedEnvironmentVariable;
using workflow_test::ScratchFolder;

class MockOnlineServiceClient : public OnlineServiceClient {
public:
    // Never contacted: the mock answers every call.
    MockOnlineServiceClient()
        : OnlineServiceClient(
              install::online_service::OnlineServiceSettings{"http://127.0.0.1:9/unused", "", "", 1}) {}
    MOCK_METHOD(void, setProxyCredentials, (const std::string&, const std::string&), (override));
    MOCK_METHOD(void, ping, (const std::string&, const std::string&), (const, override));
};

// Hands out the test's client and, when the test says so, its own stand-in for the embedded
// browser; otherwise the real window manager takes the credentials.
class TestableProxyGate : public ProxyGate {
public:
    using ProxyGate::isAuthenticationSuccessful;
    using ProxyGate::pingOnlineService;
    using ProxyGate::ProxyGate;

    std::shared_ptr<OnlineServiceClient> client;
    mutable int clientsCreated = 0;
    std::function<void(const std::string&, const std::string&)> browser;

protected:
    std::shared_ptr<OnlineServiceClient> getOnlineServiceClient() const override {
        ++clientsCreated;
        return client ? client : ProxyGate::getOnlineServiceClient();
    }
    void isAppliedSuccessfully(const std::string& user, const std::string& password) const override {
        browser ? browser(user, password) : ProxyGate::isAppliedSuccessfully(user, password);
    }
};

class ProxyGateTest : public ModelFixture {
protected:
    ProxyGateTest() {
        gate.client = client;
        install::cpputil::installer_locale::setLocale(u"ja_JP");
    }
    ~ProxyGateTest() override { install::cpputil::installer_locale::setLocale(u"en_US"); }

    void typeCredentials(const std::u16string& user, const std::u16string& password) const {
        handler->initializeProxy();
        independent().getProxy().setUserName(user);
        independent().getProxy().setPassword(password);
    }
    void showPage() const {
        gate.setDefaultData();
        gate.setRequiredData();
        handler->setAsDataAvailable();
    }
    std::vector<std::string> logText() const {
        std::vector<std::string> lines;
        for (const auto& line : log.lines()) lines.push_back(fl::i18n::to_string(line));
        return lines;
    }
    void expectStepOpenWithProxyError() const {
        const auto status = applicationData().getValidationStatus();
        EXPECT_EQ(status.getResult(), Result::Failure);
        EXPECT_EQ(status.getMessage(), fl::i18n::message("ProxyError"));
        EXPECT_EQ(status.getTitle(), u"");
        EXPECT_EQ(independent().getValidationResultType(), validationResultType(21));
        EXPECT_EQ(applicationData().getDataProcessed(), u"Unset");
        EXPECT_EQ(applicationData().getDataAvailable(), u"ProxyGate");
    }

    std::shared_ptr<testing::NiceMock<MockOnlineServiceClient>> client =
        std::make_shared<testing::NiceMock<MockOnlineServiceClient>>();
    TestableProxyGate gate{u"ProxyGate", handler};
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
};

// --- when the page is shown

struct PingOutcome {
    const char* label;
    std::function<void()> ping;
    bool reachable;
    bool authenticationRequired;
    bool skipped;
};

class ProxySkipTest : public ProxyGateTest, public testing::WithParamInterface<PingOutcome> {};

TEST_P(ProxySkipTest, ShowsThePageOnlyWhenTheProxyWantsCredentials) {
    ON_CALL(*client, ping).WillByDefault(GetParam().ping);

    EXPECT_EQ(gate.pingOnlineService(),
              std::make_pair(GetParam().reachable, GetParam().authenticationRequired));
    EXPECT_EQ(gate.checkIfShouldBeSkipped(), GetParam().skipped);
    EXPECT_TRUE(diagnostics.records().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ProxySkipTest,
    testing::Values(PingOutcome{"ServiceAnswers", [] {}, true, false, true},
                    PingOutcome{"ProxyWantsCredentials",
                                [] { throw ProxyAuthenticationRequiredException("HTTP 407 from the proxy"); },
                                false, true, false},
                    PingOutcome{"ServiceDown", [] { throw std::runtime_error("connection refused"); }, false,
                                false, true},
                    PingOutcome{"OtherStandardFailure", [] { throw std::out_of_range("no address"); }, false,
                                false, true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProxyGateTest, AClientThatCannotBeCreatedCountsAsUnreachable) {
    gate.client = nullptr;  // the real factory, with an address configuration that is not there
    ScratchFolder folder;
    ScopedEnvironmentVariable urls("VELORA_URL_CONFIGURATION", (folder.path() / "none.json").string());
    EXPECT_EQ(gate.pingOnlineService(), std::make_pair(false, false));
    EXPECT_TRUE(gate.checkIfShouldBeSkipped());
}

// --- what the client is given

TEST_F(ProxyGateTest, PingsWithTheInstallerLocaleAndTheProductInstallerName) {
    EXPECT_CALL(*client, setProxyCredentials).Times(0);  // a first run has no proxy element yet
    EXPECT_CALL(*client, ping(std::string("ja_JP"), std::string("KestrelixProductInstaller")));
    gate.checkIfShouldBeSkipped();
}

TEST_F(ProxyGateTest, AVantapakInstallationPingsUnderItsOwnName) {
    dependent().setIsVantapakInstallation(true);
    EXPECT_CALL(*client, ping(_, std::string("VantapakInstaller")));
    gate.checkIfShouldBeSkipped();
}

struct CredentialCase {
    const char* label;
    std::u16string user;
    std::u16string password;
    bool passed;
};

class ProxyCredentialTest : public ProxyGateTest, public testing::WithParamInterface<CredentialCase> {};

TEST_P(ProxyCredentialTest, CredentialsReachTheClientOnlyWhenBothAreGiven) {
    typeCredentials(GetParam().user, GetParam().password);
    testing::InSequence credentialsBeforePing;
    EXPECT_CALL(*client, setProxyCredentials(fl::i18n::to_string(GetParam().user),
                                             fl::i18n::to_string(GetParam().password)))
        .Times(GetParam().passed ? 1 : 0);
    EXPECT_CALL(*client, ping);

    gate.pingOnlineService();
}

INSTANTIATE_TEST_SUITE_P(Credentials, ProxyCredentialTest,
                         testing::Values(CredentialCase{"Both", u"proxy-user", u"s3cret", true},
                                         CredentialCase{"EmptyPassword", u"proxy-user", u"", false},
                                         CredentialCase{"EmptyUser", u"", u"s3cret", false},
                                         CredentialCase{"Neither", u"", u"", false},
                                         CredentialCase{"NonAscii", u"b\u00e9n\u00e9dicte",
                                                        u"p\u00e4ss\u20ac", true}),
                         [](const auto& info) { return std::string(info.param.label); });

// --- the step

TEST_F(ProxyGateTest, DefaultDataStartsFromAnEmptyProxyElement) {
    typeCredentials(u"earlier-user", u"earlier-password");
    gate.setDefaultData();
    EXPECT_EQ(handler->getProxyUserName(), u"");
    EXPECT_EQ(handler->getProxyPassword(), u"");
    gate.setRequiredData();
    EXPECT_EQ(applicationData().getDataRequired(), u"ProxyGate");
}

TEST_F(ProxyGateTest, SkipRecordsTheGateAsProcessed) {
    gate.skip();
    EXPECT_EQ(applicationData().getDataProcessed(), u"ProxyGate");
}

TEST_F(ProxyGateTest, AcceptedCredentialsCompleteTheStepAndReachTheBrowser) {
    showPage();
    typeCredentials(u"proxy-user", u"s3cret");
    std::vector<std::pair<std::string, std::string>> applied;
    gate.browser = [&](const std::string& user, const std::string& password) {
        applied.emplace_back(user, password);
    };
    EXPECT_CALL(*client, setProxyCredentials(std::string("proxy-user"), std::string("s3cret")));

    gate.processData();

    EXPECT_THAT(applied, ElementsAre(std::make_pair(std::string("proxy-user"), std::string("s3cret"))));
    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Valid);
    EXPECT_EQ(applicationData().getDataProcessed(), u"ProxyGate");
    EXPECT_THAT(logText(), ElementsAre("Proxy validation is successful."));
    EXPECT_TRUE(diagnostics.records().empty());
}

TEST_F(ProxyGateTest, TheRealWindowManagerPassesTheCredentialsToTheInstalledBrowserHost) {
    std::vector<std::string> received;
    const auto registration = framework::window::WindowManager::installProxyCredentialsSink(
        [&](const std::string& user, const std::string& password) {
            received = {user, password};
        });
    showPage();
    typeCredentials(u"proxy-user", u"p\u00e4ss");

    gate.processData();

    EXPECT_THAT(received, ElementsAre("proxy-user", "p\xc3\xa4ss"));
    EXPECT_EQ(applicationData().getDataProcessed(), u"ProxyGate");
}

TEST_F(ProxyGateTest, RefusedCredentialsShowTheProxyErrorAndNeverReachTheBrowser) {
    showPage();
    typeCredentials(u"proxy-user", u"wrong");
    ON_CALL(*client, ping)
        .WillByDefault(Throw(ProxyAuthenticationRequiredException("HTTP 407 from the proxy")));
    gate.browser = [](const std::string&, const std::string&) {
        ADD_FAILURE() << "browser given refused credentials";
    };

    gate.processData();

    expectStepOpenWithProxyError();
    EXPECT_THAT(logText(),
                ElementsAre("HTTP 407 from the proxy", fl::i18n::to_string(fl::i18n::message("ProxyError"))));
    EXPECT_TRUE(diagnostics.records().empty());
}

TEST_F(ProxyGateTest, AnEmptyPasswordIsNotSentAndTheStepStaysOpenWhenTheProxyInsists) {
    showPage();
    typeCredentials(u"proxy-user", u"");
    EXPECT_CALL(*client, setProxyCredentials).Times(0);
    ON_CALL(*client, ping)
        .WillByDefault(Throw(ProxyAuthenticationRequiredException("HTTP 407 from the proxy")));

    gate.processData();

    expectStepOpenWithProxyError();
}

struct BrowserFailure {
    const char* label;
    std::function<void()> apply;
};

class ProxyBrowserFailureTest : public ProxyGateTest, public testing::WithParamInterface<BrowserFailure> {};

TEST_P(ProxyBrowserFailureTest, LeavesTheStepOpenWithOneReport) {
    showPage();
    typeCredentials(u"proxy-user", u"s3cret");
    gate.browser = [](const std::string&, const std::string&) { GetParam().apply(); };

    gate.processData();

    expectStepOpenWithProxyError();
    EXPECT_THAT(logText(), ElementsAre("Error applying proxy Information to the CEF process."));
    const auto records = diagnostics.records();
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["error.1"], "2800");
    EXPECT_EQ(records[0]["error.2"], "Failed to apply User proxy settings to CEF");
    EXPECT_EQ(records[0]["error.3"], "");
    EXPECT_EQ(records[0]["error.4"], "Proxy::isProxyAppliedSuccessfullyToCEF");
}

INSTANTIATE_TEST_SUITE_P(Failures, ProxyBrowserFailureTest,
                         testing::Values(BrowserFailure{"StandardException",
                                                        [] { throw std::runtime_error("browser refused"); }},
                                         BrowserFailure{"AnythingElse", [] { throw 7; }}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProxyGateTest, WithoutABrowserHostTheRealWindowManagerFailsTheStep) {
    showPage();
    typeCredentials(u"proxy-user", u"s3cret");
    gate.processData();
    expectStepOpenWithProxyError();
    ASSERT_EQ(diagnostics.records().size(), 1U);
    EXPECT_EQ(diagnostics.records()[0]["error.1"], "2800");
}

// --- the credentials stay where they belong

TEST_F(ProxyGateTest, APasswordEchoedByAFailingComponentReachesNeitherLogNorDiagnostics) {
    const std::string password = "hunter2-Pa55";
    showPage();
    typeCredentials(u"proxy-user", fl::i18n::to_u16string(password));
    EXPECT_CALL(*client, ping)
        .WillOnce(Throw(ProxyAuthenticationRequiredException("407 for proxy-user:" + password)))
        .WillOnce(Throw(std::runtime_error("proxy said " + password + " is wrong")))
        .WillRepeatedly([] {});
    gate.browser = [&](const std::string&, const std::string& given) {
        throw std::runtime_error("browser rejected " + given);
    };

    gate.checkIfShouldBeSkipped();
    gate.processData();
    gate.processData();

    ASSERT_FALSE(log.lines().empty());
    for (const auto& line : logText()) EXPECT_THAT(line, Not(HasSubstr(password)));
    EXPECT_THAT(logText()[0], HasSubstr("407 for proxy-user:"));
    ASSERT_EQ(diagnostics.records().size(), 1U);
    for (const auto& record : diagnostics.records()) EXPECT_THAT(record.dump(), Not(HasSubstr(password)));
}

// A port on this machine that nothing listens on: bound once to learn a free number, then closed.
int closedLoopbackPort() {
    const int socketHandle = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(socketHandle, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    ::getsockname(socketHandle, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(socketHandle);
    return ntohs(address.sin_port);
}

TEST_F(ProxyGateTest, TheRealClientSkipsTheGateWhenTheServiceIsDownAndKeepsThePasswordToItself) {
    gate.client = nullptr;
    ScratchFolder folder;
    const auto config =
        folder.writeFile("urls.json", R"({"ONLINE_SERVICE": "http://127.0.0.1:)" +
                                          std::to_string(closedLoopbackPort()) + R"(/ping"})");
    ScopedEnvironmentVariable urls("VELORA_URL_CONFIGURATION", config.string());
    ScopedEnvironmentVariable noProxy("no_proxy", "127.0.0.1");
    ScopedEnvironmentVariable noProxyUpper("NO_PROXY", "127.0.0.1");
    typeCredentials(u"proxy-user", u"hunter2-Pa55");

    EXPECT_EQ(gate.pingOnlineService(), std::make_pair(false, false));
    EXPECT_TRUE(gate.checkIfShouldBeSkipped());
    ASSERT_FALSE(log.lines().empty());
    for (const auto& line : logText()) EXPECT_THAT(line, Not(HasSubstr("hunter2-Pa55")));
}

}  // namespace
