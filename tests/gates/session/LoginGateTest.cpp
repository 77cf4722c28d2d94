// The sign-in step: the request the embedded page gets, who skips it, and how each outcome the
// user interface writes back is judged, shown and reported.
#include <gmock/gmock.h>

#include <optional>
#include <ostream>
#include <string>

#include "fl/i18n/Message.h"
#include "gates/session/LoginGate.h"
#include "support/ModelFixture.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"

namespace {

using install::product_installer::workflow_utils::LoginGate;
using workflow_test::joined, workflow_test::PrintTo;

class LoginGateTest : public workflow_test::ModelFixture {
protected:
    LoginGateTest() { independent().getRelease().setFamily(u"2031.1"); }

    // Points the URL manager at a configuration file of the test's own.
    void configureUrls(const std::string& json) {
        urls.emplace("VELORA_URL_CONFIGURATION", folder.writeFile("urls.json", json).string());
    }
    void signIn(const std::u16string& token) const { independent().getUserInfo().setAccessToken(token); }
    void reportOutcome(bool fromBackend, bool fromUser, const std::u16string& details) const {
        const auto error = independent().getLoginError();
        error.setErrorFromBackend(fromBackend);
        error.setErrorFromUser(fromUser);
        error.setBackendDetails(details);
    }
    std::string request() const {
        const auto r = independent().getLoginRequestParameters();
        return joined(r.getEndPoint(), r.getLoginLevel(), r.getShowCreateAccount(), r.getIdentifierReadOnly(),
                      r.getShowRememberMe());
    }

    workflow_test::ScratchFolder folder;
    std::optional<workflow_test::ScopedEnvironmentVariable> urls;
    LoginGate gate{u"LoginGate", handler};
};

// Only a user with an access token skips the gate; a fresh request signs the user out.
TEST_F(LoginGateTest, DefaultDataPreparesAFreshRequestForTheEmbeddedPage) {
    configureUrls(R"({"EMBEDDED_SIGNIN": "https://signin.example.test/embedded?lang=\u00e9"})");
    gate.setDefaultData();
    signIn(u"stale-token");
    reportOutcome(true, true, u"stale details");
    EXPECT_TRUE(gate.checkIfShouldBeSkipped()) << "a signed-in user skips the gate";

    gate.setDefaultData();

    EXPECT_EQ(request(), "https://signin.example.test/embedded?lang=\xC3\xA9|2|true|false|false");
    EXPECT_EQ(joined(handler->isUserLoggedIn(), handler->getLoginErrorStatusFromBackend(),
                     handler->getLoginErrorStatusFromUser(), handler->getLoginErrorFromBackendDetails()),
              "false|false|false|");
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(LoginGateTest, WithoutAnAddressTheRequestGetsAnEmptyEndPointAndTheReasonIsLogged) {
    configureUrls(R"({"ONLINE_SERVICE": "http://elsewhere.test"})");
    gate.setDefaultData();
    EXPECT_EQ(request(), "|2|true|false|false");
    ASSERT_EQ(log.lines().size(), 1U);
    EXPECT_TRUE(log.lines()[0].starts_with(u"Error retrieving endpoint: ")) << joined(log.lines()[0]);
    EXPECT_TRUE(diagnostics.records().empty());
}

// One row of the outcome table: what the user interface reported, and what the step then
// shows, logs and reports. A failure keeps the step open on the sign-in page.
struct Outcome {
    const char* name;
    bool fromBackend;
    bool fromUser;
    std::string expected;  // result|available|processed|[log lines]|[diagnostics records]
};

class LoginOutcomeTest : public LoginGateTest, public testing::WithParamInterface<Outcome> {};

TEST_P(LoginOutcomeTest, IsShownLoggedAndReported) {
    gate.setRequiredData();
    handler->initializeLoginError();
    handler->setAsDataAvailable();
    reportOutcome(GetParam().fromBackend, GetParam().fromUser, u"HTTP 404 \u00fcber");

    gate.processData();

    const auto status = applicationData().getValidationStatus();
    EXPECT_EQ(joined(status.getResult(), applicationData().getDataAvailable(),
                     applicationData().getDataProcessed(), log.lines(), recordTexts()),
              GetParam().expected);
    if (GetParam().fromBackend || GetParam().fromUser) {
        EXPECT_EQ(joined(independent().getValidationResultType(), status.getTitle(), status.getMessage()),
                  joined(1, fl::i18n::message("connectionErrorTitle"),
                         fl::i18n::message("connectionErrorMsg", u"2031.1", "w64pc")));
    }
}

// With both flags set, only the back end's error counts.
const char kBackEndError[] =
    "2|LoginGate|Unset|[Error in Login panel due to wrong endpoint,HTTP 404 \xC3\xBC"
    "ber]|"
    "[2610|Invalid endpoint|HTTP 404 \xC3\xBC"
    "ber|LoginGate::SimpleBackend::Login::Login]";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Outcomes, LoginOutcomeTest, testing::Values(
    Outcome{"SignedIn", false, false, "1|Unset|LoginGate|[Login Successful]|[]"},
    Outcome{"BackEndError", true, false, kBackEndError},
    Outcome{"UserDidNotSignIn", false, true, "2|LoginGate|Unset|[Error in Login panel due to user action]|[2620|User did not sign in after prompted||LoginGate::SimpleBackend::Login::Login]"},
    Outcome{"BothOnlyTheBackEnd", true, true, kBackEndError}),
    workflow_test::rowName);
// clang-format on

TEST_F(LoginGateTest, AnAccessTokenEchoedInTheBackEndDetailsReachesNeitherLogNorDiagnostics) {
    handler->initializeLoginModelForResponseParameters();
    handler->initializeLoginError();
    signIn(u"eyJhbGciOi.secret");
    reportOutcome(true, false, u"rejected eyJhbGciOi.secret twice: eyJhbGciOi.secret");
    gate.processData();
    EXPECT_EQ(log.lines().at(1), u"rejected ******** twice: ********");
    EXPECT_EQ(diagnostics.records().at(0)["error.3"], "rejected ******** twice: ********");
}

}  // namespace
