#include "gates/session/LoginGate.h"

#include <exception>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "foundation/urlmanager/UrlManager.h"
#include "gates/session/CredentialRedaction.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr char kLoginLocation[] = "LoginGate::SimpleBackend::Login::Login";
constexpr int kLoginLevel = 2;

}  // namespace

LoginGate::LoginGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler), tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()) {}

LoginGate::LoginGate(LoginGate&&) noexcept = default;
LoginGate& LoginGate::operator=(LoginGate&&) noexcept = default;
LoginGate::~LoginGate() = default;

bool LoginGate::checkIfShouldBeSkipped() const { return handler->isUserLoggedIn(); }

void LoginGate::skip() const { handler->setDataProcessed(name); }

void LoginGate::setDefaultData() const {
    handler->initializeLoginModelForRequestParameters();
    handler->initializeLoginModelForResponseParameters();
    handler->initializeLoginError();
    handler->setLoginEndPoint(getEndPointForLoginPanel());
    handler->setLoginLevel(kLoginLevel);
    handler->setShowCreateAccount(true);
    handler->setIdentifierReadOnly(false);
    handler->setShowRememberMe(false);
}

void LoginGate::setRequiredData() const { handler->setDataRequired(name); }

void LoginGate::processData() {
    if (handler->getLoginErrorStatusFromBackend()) {
        // The back end's details are free text from the sign-in page; keep a token out of the
        // log and the diagnostics should the page ever echo one there.
        const auto details =
            withoutSecret(handler->getLoginErrorFromBackendDetails(), handler->getAccessToken());
        showErrorDialog();
        log_message(u"Error in Login panel due to wrong endpoint");
        log_message(details);
        collectErrorInfoForTlmx("2610", "Invalid endpoint", fl::i18n::to_string(details), kLoginLocation);
    } else if (handler->getLoginErrorStatusFromUser()) {
        showErrorDialog();
        log_message(u"Error in Login panel due to user action");
        collectErrorInfoForTlmx("2620", "User did not sign in after prompted", "", kLoginLocation);
    } else {
        handler->setAsValid();
        handler->setAsDataProcessed();
        log_message(u"Login Successful");
    }
}

std::u16string LoginGate::getEndPointForLoginPanel() const {
    try {
        const auto urlManager = foundation::urlmanager::createUrlManager();
        return fl::i18n::to_u16string(urlManager->getUrl(foundation::urlmanager::EMBEDDED_SIGNIN));
    } catch (const std::exception& error) {
        log_message(u"Error retrieving endpoint: " + fl::i18n::to_u16string(error.what()));
        return u"";
    }
}

void LoginGate::showErrorDialog() const {
    const auto message = fl::i18n::message("connectionErrorMsg", handler->getReleaseFamily(), "w64pc");
    const auto title = fl::i18n::message("connectionErrorTitle");
    handler->setCurrentValidationFailure(install::datamodels::product_installer::validationResultType(1),
                                         message, title);
}

void LoginGate::log_message(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

void LoginGate::collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                        const std::string& details, const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, message, details, location);
}

}  // namespace install::product_installer::workflow_utils
