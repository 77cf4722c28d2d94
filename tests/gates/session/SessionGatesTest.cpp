// The session gates. Their step protocol and the closing page's exit status: what a gate leaves
// in the model when the workflow manager requests its page, processes the confirmed page, or
// skips it. (The welcome page's logo path is the last line of the welcome demo, a test of its own.)
// The product-archive check: which directory entries count as archives, where the gate looks, and
// what it reports when it finds none. The sign-in step: the request the embedded page gets, who
// skips it, and how each outcome the user interface writes back is judged, shown and reported.
// The proxy step: when it is shown, what the online service client and the embedded browser are
// given, how failures are shown and reported, and that the password goes nowhere else.
#include <gmock/gmock.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fl/i18n/Message.h"
#include "gates/session/FinalGate.h"
#include "gates/session/LoginGate.h"
#include "gates/session/ProductFilesDetectionGate.h"
#include "gates/session/ProxyGate.h"
#include "gates/session/WelcomeGate.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/online_service/ProxyAuthenticationRequiredException.h"
#include "support/ModelFixture.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"
#include "workflow_core/PathJoin.h"

namespace {

namespace wu = install::product_installer::workflow_utils;
using install::datamodels::product_installer::validationResultType;
using install::online_service::OnlineServiceClient,
    install::online_service::ProxyAuthenticationRequiredException;
using install::workflow_manager::Gate;
using testing::ElementsAre;
using workflow_test::joined, workflow_test::PrintTo;
using wu::joinPath, wu::ProductFilesDetectionGate;

using install::datamodels::product_installer::validationResultType;
using install::workflow_manager::Gate;

struct SessionGate {
    const char* name;
    std::function<std::unique_ptr<Gate>(const std::shared_ptr<wu::DataModelHandler>&)> make;
    bool confirmable;        // whether the page is processed once confirmed
    std::string afterSteps;  // result|required|available|processed|exit status
};

template <class G>
auto gateNamed(const char16_t* name) {
    return [name](const auto& handler) { return std::make_unique<G>(name, handler); };
}

class SessionGateStepTest : public workflow_test::ModelFixture,
                            public testing::WithParamInterface<SessionGate> {};

// Requests the page over a warning and exit status 7 left by an earlier gate, confirms it, then
// skips it, whichever of these the gate takes part in.
TEST_P(SessionGateStepTest, LeavesTheStepProtocolAsItsPageRequires) {
    const auto gate = GetParam().make(handler);
    handler->setExitStatus(7);
    handler->setCurrentValidationWarning(validationResultType(15), u"earlier", u"earlier");
    gate->setRequiredData();
    handler->setAsDataAvailable();
    if (GetParam().confirmable) gate->processData();
    gate->skip();
    EXPECT_EQ(joined(applicationData().getValidationStatus().getResult(), applicationData().getDataRequired(),
                     applicationData().getDataAvailable(), applicationData().getDataProcessed(),
                     handler->getExitStatus()),
              GetParam().afterSteps);
}

// The closing page records success when requested and never completes its step.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Gates, SessionGateStepTest, testing::Values(
    SessionGate{"Welcome", gateNamed<wu::WelcomeGate>(u"Welcome"), true, "1|Welcome|Unset|Welcome|7"},
    SessionGate{"Final", gateNamed<wu::FinalGate>(u"Final"), true, "3|Final|Final|Unset|0"},
    SessionGate{"ProductFiles", gateNamed<ProductFilesDetectionGate>(u"Files"), true, "1|Files|Unset|Files|7"},
    SessionGate{"LoginSkipped", gateNamed<wu::LoginGate>(u"Login"), false, "3|Login|Login|Login|7"},
    SessionGate{"ProxySkipped", gateNamed<wu::ProxyGate>(u"Proxy"), false, "3|Proxy|Proxy|Proxy|7"}),
    workflow_test::rowName);
// clang-format on

// --- the product-archive check ---

class InspectableGate : public ProductFilesDetectionGate {
public:
    using ProductFilesDetectionGate::hasAtleastOneComponent;
    using ProductFilesDetectionGate::ProductFilesDetectionGate;
};

class ProductFilesDetectionGateTest : public workflow_test::ModelFixture {
protected:
    ProductFilesDetectionGateTest() { independent().setPackagesRoot(packages.u16()); }

    workflow_test::ScratchFolder packages;
    InspectableGate gate{u"ProductFilesDetectionGate", handler};
};

const std::string kNoFiles =
    "240|Unable to load product files||"
    "ProductFilesDetection::ProductFilesDetectionGate::CheckAvailableProducts::MissingInstallationFiles";

struct Entry {
    const char* name;
    std::string path;  // below the packages root; a trailing slash makes it a folder
    bool isArchive;
};

class ArchiveEntryTest : public ProductFilesDetectionGateTest, public testing::WithParamInterface<Entry> {};

TEST_P(ArchiveEntryTest, SkipsTheGateExactlyWhenAnArchiveIsFound) {
    GetParam().path.ends_with('/') ? (void)packages.makeFolder(GetParam().path)
                                   : (void)packages.writeFile(GetParam().path);
    EXPECT_EQ(gate.checkIfShouldBeSkipped(), GetParam().isArchive);
    if (GetParam().isArchive) {
        EXPECT_THAT(log.lines(), ElementsAre(u"Found at least one product to install."));
        EXPECT_TRUE(recordTexts().empty());
    } else {
        EXPECT_TRUE(log.lines().empty());
        EXPECT_THAT(recordTexts(), ElementsAre(kNoFiles));
    }
}

INSTANTIATE_TEST_SUITE_P(Entries, ArchiveEntryTest,
                         testing::Values(Entry{"ArchiveInTheRoot", "product.enc", true},
                                         Entry{"ArchiveOnlyInCommon", "common/shared.enc", true},
                                         Entry{"FolderNamedLikeAnArchive", "x.enc/", true},
                                         Entry{"UpperCaseExtension", "product.ENC", false},
                                         Entry{"NameThatIsNoUtf8", "caf\xe9.enc", true},
                                         Entry{"ExtensionInsideTheName", "product.enc.part", false},
                                         Entry{"ArchiveTwoLevelsDown", "sub/product.enc", false}),
                         workflow_test::rowName);

TEST_F(ProductFilesDetectionGateTest, WithoutArchivesAFolderRunAlsoReportsTheMissingInstallationFiles) {
    independent().setInitialWorkflow(u"Interactive Install From Folder");
    handler->setWorkflow(u"DownloadOnly");  // the initial workflow decides, not the current one
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    EXPECT_THAT(recordTexts(),
                ElementsAre(kNoFiles,
                            "3000|Installer is unable to connect to Kestrelix or missing installation files||"
                            "ProductFilesDetection::ProductFilesDetectionGate::"
                            "ConnectionFailedOrMissingInstallationFiles"));
}

TEST_F(ProductFilesDetectionGateTest, AFolderThatIsMissingOrCannotBeListedHoldsNoArchive) {
    independent().setPackagesRoot(joinPath(packages.u16(), u"missing"));
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    // A file where a folder is expected exists but cannot be listed: the search ends there.
    workflow_test::ScratchFolder other;
    other.writeFile("tool.enc");
    EXPECT_FALSE(gate.hasAtleastOneComponent({packages.writeFile("packages.txt").u16string(), other.u16()}));
    EXPECT_TRUE(gate.hasAtleastOneComponent({u"", other.u16()}));
    EXPECT_THAT(recordTexts(), ElementsAre(kNoFiles));
}

// --- the sign-in step ---

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
    wu::LoginGate gate{u"LoginGate", handler};
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

    // Without an address for the page the request gets an empty end point, and the reason is logged.
    configureUrls(R"({"ONLINE_SERVICE": "http://elsewhere.test"})");
    gate.setDefaultData();
    EXPECT_EQ(request(), "|2|true|false|false");
    ASSERT_EQ(log.lines().size(), 1U);
    EXPECT_TRUE(log.lines()[0].starts_with(u"Error retrieving endpoint: ")) << joined(log.lines()[0]);
    EXPECT_TRUE(diagnostics.records().empty());
}

// One row of the outcome table: what the user interface reported, and what the step then
// shows, logs and reports. A failure keeps the step open on the sign-in page.
struct SignInOutcome {
    const char* name;
    bool fromBackend;
    bool fromUser;
    std::string expected;  // result|available|processed|[log lines]|[diagnostics records]
};

class LoginOutcomeTest : public LoginGateTest, public testing::WithParamInterface<SignInOutcome> {};

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
    SignInOutcome{"SignedIn", false, false, "1|Unset|LoginGate|[Login Successful]|[]"},
    SignInOutcome{"BackEndError", true, false, kBackEndError},
    SignInOutcome{"UserDidNotSignIn", false, true, "2|LoginGate|Unset|[Error in Login panel due to user action]|[2620|User did not sign in after prompted||LoginGate::SimpleBackend::Login::Login]"},
    SignInOutcome{"BothOnlyTheBackEnd", true, true, kBackEndError}),
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

// --- the proxy step ---

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

struct ProxyOutcome {
    const char* name;
    std::function<void()> answer;
    Browser browser;
    std::string step;
    std::string applied;
};

const char kBrowserFailure[] =
    "2|21|{ProxyError}||ProxyGate|Unset|[Error applying proxy Information to the CEF process.]|"
    "[2800|Failed to apply User proxy settings to CEF||Proxy::isProxyAppliedSuccessfullyToCEF]";

class ProxyOutcomeTest : public ProxyGateTest, public testing::WithParamInterface<ProxyOutcome> {};

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
    ProxyOutcome{"Accepted", nullptr, Browser::Takes, "1|0|||Unset|ProxyGate|[Proxy validation is successful.]|[]", "proxy-user/p\xC3\xA4ss"},
    ProxyOutcome{"RefusedByTheProxy", [] { throw ProxyAuthenticationRequiredException("407 proxy-user:p\xC3\xA4ss"); }, Browser::Takes, "2|21|{ProxyError}||ProxyGate|Unset|[407 proxy-user:********,{ProxyError}]|[]", ""},
    ProxyOutcome{"ServiceDown", [] { throw std::runtime_error("p\xC3\xA4ss refused"); }, Browser::Takes, "2|21|{ProxyError}||ProxyGate|Unset|[******** refused,{ProxyError}]|[]", ""},
    ProxyOutcome{"BrowserRefuses", nullptr, Browser::Throws, kBrowserFailure, ""},
    ProxyOutcome{"NoBrowserOnThisMachine", nullptr, Browser::OfThisMachine, kBrowserFailure, ""}),
    workflow_test::rowName);
// clang-format on

}  // namespace
