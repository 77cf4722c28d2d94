// The sign-in step: the request the embedded page gets, who skips it, and how each outcome the
// user interface writes back is judged and reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/session/LoginGate.h"
#include "install/cpputil/Logger.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "support/ModelFixture.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"
#include "support/SubstituteHandler.h"

namespace {

using install::datamodels::common::Result;
using install::datamodels::product_installer::validationResultType;
using install::product_installer::workflow_utils::LoginGate;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;
using workflow_test::ModelFixture;
using workflow_test::ScopedEnvironmentVariable;
using workflow_test::ScratchFolder;

constexpr char kLocation[] = "LoginGate::SimpleBackend::Login::Login";

// Points the URL manager at a configuration file of the test's own.
class UrlConfiguration {
public:
    explicit UrlConfiguration(const std::string& json)
        : file(folder.writeFile("urls.json", json)), variable("VELORA_URL_CONFIGURATION", file.string()) {}

private:
    ScratchFolder folder;
    std::filesystem::path file;
    ScopedEnvironmentVariable variable;
};

class LoginGateTest : public ModelFixture {
protected:
    LoginGateTest() { independent().getRelease().setFamily(u"R2031a"); }

    void signIn(const std::u16string& token) const {
        handler->initializeLoginModelForResponseParameters();
        independent().getUserInfo().setAccessToken(token);
    }
    void reportOutcome(bool fromBackend, bool fromUser, const std::u16string& details = u"") const {
        const auto error = independent().getLoginError();
        error.setErrorFromBackend(fromBackend);
        error.setErrorFromUser(fromUser);
        error.setBackendDetails(details);
    }
    // The page is shown, the user interface announces its answer.
    void showPage() const {
        gate.setDefaultData();
        gate.setRequiredData();
        handler->setAsDataAvailable();
    }
    std::vector<std::string> codes() const {
        std::vector<std::string> found;
        for (const auto& record : diagnostics.records()) found.push_back(record["error.1"]);
        return found;
    }

    UrlConfiguration urls{R"({"EMBEDDED_SIGNIN": "https://signin.example.test/embedded?lang=\u00e9"})"};
    LoginGate gate{u"LoginGate", handler};
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
};

TEST_F(LoginGateTest, ASignedInUserSkipsTheGate) {
    EXPECT_FALSE(gate.checkIfShouldBeSkipped()) << "no user information yet";
    signIn(u"");
    EXPECT_FALSE(gate.checkIfShouldBeSkipped()) << "empty token";
    signIn(u"token-123");
    EXPECT_TRUE(gate.checkIfShouldBeSkipped());

    gate.skip();
    EXPECT_EQ(applicationData().getDataProcessed(), u"LoginGate");
}

TEST(LoginGateSubstituteTest, AsksTheHandlerWhetherSomeoneIsSignedIn) {
    struct SignedIn : workflow_test::SubstituteHandler {
        std::u16string getAccessToken() const override { return u"from elsewhere"; }
    };
    const LoginGate gate(u"LoginGate", std::make_shared<SignedIn>());
    EXPECT_TRUE(gate.checkIfShouldBeSkipped());
}

TEST_F(LoginGateTest, DefaultDataPreparesTheSignInRequest) {
    gate.setDefaultData();

    const auto request = independent().getLoginRequestParameters();
    EXPECT_EQ(request.getEndPoint(), u"https://signin.example.test/embedded?lang=\u00e9");
    EXPECT_EQ(request.getLoginLevel(), 2);
    EXPECT_TRUE(request.getShowCreateAccount());
    EXPECT_FALSE(request.getIdentifierReadOnly());
    EXPECT_FALSE(request.getShowRememberMe());
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(LoginGateTest, DefaultDataDiscardsTheOutcomeOfAnEarlierAttempt) {
    gate.setDefaultData();
    signIn(u"stale-token");
    reportOutcome(true, true, u"stale details");

    gate.setDefaultData();

    EXPECT_FALSE(handler->isUserLoggedIn());
    EXPECT_FALSE(handler->getLoginErrorStatusFromBackend());
    EXPECT_FALSE(handler->getLoginErrorStatusFromUser());
    EXPECT_EQ(handler->getLoginErrorFromBackendDetails(), u"");
}

TEST_F(LoginGateTest, RequiredDataIsTheGateName) {
    gate.setRequiredData();
    EXPECT_EQ(applicationData().getDataRequired(), u"LoginGate");
}

struct BrokenConfiguration {
    const char* label;
    std::optional<std::string> json;  // nothing: the file named does not exist
};

class LoginEndPointFailureTest : public LoginGateTest,
                                 public testing::WithParamInterface<BrokenConfiguration> {};

TEST_P(LoginEndPointFailureTest, DefaultDataStillCompletesWithAnEmptyEndPoint) {
    ScratchFolder folder;
    const auto file =
        GetParam().json ? folder.writeFile("urls.json", *GetParam().json) : folder.path() / "none.json";
    ScopedEnvironmentVariable variable("VELORA_URL_CONFIGURATION", file.string());
    independent().setLoginRequestParameters(
        install::datamodels::login::LoginRequestParameters::create(model(), tq::zero::nilUuid()));
    independent().getLoginRequestParameters().setEndPoint(u"https://earlier.example.test");

    ASSERT_NO_THROW(gate.setDefaultData());

    EXPECT_EQ(independent().getLoginRequestParameters().getEndPoint(), u"");
    EXPECT_EQ(independent().getLoginRequestParameters().getLoginLevel(), 2);
    ASSERT_EQ(log.lines().size(), 1U);
    EXPECT_THAT(fl::i18n::to_string(log.lines()[0]), StartsWith("Error retrieving endpoint: "));
    EXPECT_GT(log.lines()[0].size(), std::u16string(u"Error retrieving endpoint: ").size());
    EXPECT_TRUE(diagnostics.records().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, LoginEndPointFailureTest,
    testing::Values(BrokenConfiguration{"MissingFile", std::nullopt},
                    BrokenConfiguration{"KeyAbsent", R"({"ONLINE_SERVICE": "http://x"})"},
                    BrokenConfiguration{"NotJson", "EMBEDDED_SIGNIN=http://x"},
                    BrokenConfiguration{"NotAnAddressText", R"({"EMBEDDED_SIGNIN": 7})"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(LoginGateTest, ASuccessfulSignInCompletesTheStep) {
    showPage();
    signIn(u"token-123");
    reportOutcome(false, false);

    gate.processData();

    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Valid);
    EXPECT_EQ(applicationData().getDataProcessed(), u"LoginGate");
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");
    EXPECT_THAT(log.lines(), ElementsAre(u"Login Successful"));
    EXPECT_TRUE(diagnostics.records().empty());
}

TEST_F(LoginGateTest, ABackEndErrorShowsTheConnectionFailureAndKeepsTheStepOpen) {
    showPage();
    reportOutcome(true, false, u"endpoint answered 404 \u00fcber");

    gate.processData();

    const auto status = applicationData().getValidationStatus();
    EXPECT_EQ(status.getResult(), Result::Failure);
    EXPECT_EQ(status.getTitle(), fl::i18n::message("connectionErrorTitle"));
    EXPECT_EQ(status.getMessage(), fl::i18n::message("connectionErrorMsg", u"R2031a", "w64pc"));
    EXPECT_THAT(fl::i18n::to_string(status.getMessage()), HasSubstr("R2031a"));
    EXPECT_EQ(independent().getValidationResultType(), validationResultType(1));
    EXPECT_EQ(applicationData().getDataProcessed(), u"Unset");
    EXPECT_EQ(applicationData().getDataAvailable(), u"LoginGate");

    EXPECT_THAT(log.lines(), ElementsAre(u"Error in Login panel due to wrong endpoint",
                                         u"endpoint answered 404 \u00fcber"));
    const auto records = diagnostics.records();
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["error.1"], "2610");
    EXPECT_EQ(records[0]["error.2"], "Invalid endpoint");
    EXPECT_EQ(records[0]["error.3"],
              "endpoint answered 404 \xc3\xbc"
              "ber");
    EXPECT_EQ(records[0]["error.4"], kLocation);
}

TEST_F(LoginGateTest, AUserWhoDidNotSignInSeesTheSameFailure) {
    showPage();
    reportOutcome(false, true, u"details nobody reads");

    gate.processData();

    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Failure);
    EXPECT_EQ(applicationData().getValidationStatus().getTitle(), fl::i18n::message("connectionErrorTitle"));
    EXPECT_EQ(applicationData().getDataProcessed(), u"Unset");
    EXPECT_THAT(log.lines(), ElementsAre(u"Error in Login panel due to user action"));
    const auto records = diagnostics.records();
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["error.1"], "2620");
    EXPECT_EQ(records[0]["error.2"], "User did not sign in after prompted");
    EXPECT_EQ(records[0]["error.3"], "");
    EXPECT_EQ(records[0]["error.4"], kLocation);
}

TEST_F(LoginGateTest, WithBothErrorsOnlyTheBackEndBranchRuns) {
    showPage();
    reportOutcome(true, true, u"both");
    gate.processData();
    EXPECT_THAT(codes(), ElementsAre("2610"));
    EXPECT_THAT(log.lines(), ElementsAre(u"Error in Login panel due to wrong endpoint", u"both"));
}

TEST_F(LoginGateTest, AnAccessTokenEchoedInTheBackEndDetailsReachesNeitherLogNorDiagnostics) {
    const std::u16string token = u"eyJhbGciOi.secret-token.Zx9";
    showPage();
    signIn(token);
    reportOutcome(true, false, u"rejected token " + token + u" at " + token);

    gate.processData();

    const auto secret = fl::i18n::to_string(token);
    for (const auto& line : log.lines())
        EXPECT_THAT(fl::i18n::to_string(line), testing::Not(HasSubstr(secret)));
    for (const auto& record : diagnostics.records())
        EXPECT_THAT(record.dump(), testing::Not(HasSubstr(secret)));
    ASSERT_EQ(log.lines().size(), 2U);
    EXPECT_THAT(fl::i18n::to_string(log.lines()[1]), StartsWith("rejected token "));
}

// Records the order in which a failure is shown, logged and reported.
class OrderRecordingGate : public LoginGate {
public:
    using LoginGate::LoginGate;
    mutable std::vector<std::string> events;

protected:
    std::u16string getEndPointForLoginPanel() const override { return u"https://replaced.example.test"; }
    void log_message(const std::u16string& text) const override {
        events.push_back("log " + fl::i18n::to_string(text));
    }
    void showErrorDialog() const override { events.push_back("dialog"); }
    void collectErrorInfoForTlmx(const std::string& code, const std::string&, const std::string&,
                                 const std::string&) const override {
        events.push_back("diagnostics " + code);
    }
};

TEST_F(LoginGateTest, AFailureIsShownFirstThenLoggedThenReported) {
    OrderRecordingGate recording(u"LoginGate", handler);
    recording.setDefaultData();
    reportOutcome(true, false, u"d");
    recording.processData();
    reportOutcome(false, true);
    recording.processData();

    EXPECT_THAT(
        recording.events,
        ElementsAre("dialog", "log Error in Login panel due to wrong endpoint", "log d", "diagnostics 2610",
                    "dialog", "log Error in Login panel due to user action", "diagnostics 2620"));
    EXPECT_EQ(independent().getLoginRequestParameters().getEndPoint(), u"https://replaced.example.test");
}

}  // namespace
