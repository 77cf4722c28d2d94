#include "gates/session/ProxyGate.h"

#include <exception>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "framework/window/WindowManager.h"
#include "gates/session/CredentialRedaction.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"
#include "install/online_service/ProxyAuthenticationRequiredException.h"

namespace install::product_installer::workflow_utils {

namespace {

const std::string kProductInstallerClientName = "KestrelixProductInstaller";
const std::string kVantapakInstallerClientName = "VantapakInstaller";

constexpr auto kProxyFailure = install::datamodels::product_installer::validationResultType(21);

}  // namespace

ProxyGate::ProxyGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler), tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()) {}

ProxyGate::ProxyGate(ProxyGate&&) noexcept = default;
ProxyGate& ProxyGate::operator=(ProxyGate&&) noexcept = default;
ProxyGate::~ProxyGate() = default;

bool ProxyGate::checkIfShouldBeSkipped() const {
    const auto [reachable, authenticationRequired] = pingOnlineService();
    return !(!reachable && authenticationRequired);
}

void ProxyGate::skip() const { handler->setDataProcessed(name); }

void ProxyGate::setDefaultData() const { handler->initializeProxy(); }

void ProxyGate::setRequiredData() const { handler->setDataRequired(name); }

void ProxyGate::processData() {
    const auto user = fl::i18n::to_string(handler->getProxyUserName());
    const auto password = fl::i18n::to_string(handler->getProxyPassword());
    if (isAuthenticationSuccessful() && isProxyAppliedSuccessfullyToCEF(user, password)) {
        log_message(u"Proxy validation is successful.");
        handler->setAsValid();
        handler->setAsDataProcessed();
    }
}

std::pair<bool, bool> ProxyGate::pingOnlineService() const {
    std::pair<bool, bool> result{false, false};
    // Held outside the try block so that every error text below can be cleared of it.
    std::string password;
    try {
        const auto client = getOnlineServiceClient();
        const auto user = fl::i18n::to_string(handler->getProxyUserName());
        password = fl::i18n::to_string(handler->getProxyPassword());
        if (!user.empty() && !password.empty()) {
            client->setProxyCredentials(user, password);
        }
        const auto locale = fl::i18n::to_string(install::cpputil::installer_locale::getLocale());
        client->ping(locale, handler->getIsVantapakInstallation() ? kVantapakInstallerClientName
                                                                  : kProductInstallerClientName);
        result = {true, false};
    } catch (const install::online_service::ProxyAuthenticationRequiredException& error) {
        log_message(fl::i18n::to_u16string(withoutSecret(std::string(error.what()), password)));
        result = {false, true};
    } catch (const std::exception& error) {
        log_message(fl::i18n::to_u16string(withoutSecret(std::string(error.what()), password)));
        result = {false, false};
    }
    return result;
}

bool ProxyGate::isAuthenticationSuccessful() const {
    const auto reachable = pingOnlineService().first;
    if (!reachable) {
        showProxyError();
    }
    return reachable;
}

bool ProxyGate::isProxyAppliedSuccessfullyToCEF(const std::string& user, const std::string& password) const {
    try {
        isAppliedSuccessfully(user, password);
        return true;
    } catch (...) {
        // Whatever the browser side threw may carry the credentials: its text is not kept.
        log_message(u"Error applying proxy Information to the CEF process.");
        const auto message = fl::i18n::message("ProxyError");
        collectErrorInfoForTlmx("2800", "Failed to apply User proxy settings to CEF", "",
                                "Proxy::isProxyAppliedSuccessfullyToCEF");
        handler->setCurrentValidationFailure(kProxyFailure, message, u"");
        return false;
    }
}

void ProxyGate::showProxyError() const {
    const auto message = fl::i18n::message("ProxyError");
    log_message(message);
    handler->setCurrentValidationFailure(kProxyFailure, message, u"");
}

std::shared_ptr<install::online_service::OnlineServiceClient> ProxyGate::getOnlineServiceClient() const {
    return install::online_service::createOnlineServiceClient();
}

void ProxyGate::isAppliedSuccessfully(const std::string& user, const std::string& password) const {
    const framework::window::WindowManager windowManager;
    windowManager.applyProxyInfoToCEF(user, password);
}

void ProxyGate::log_message(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

void ProxyGate::collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                        const std::string& details, const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, message, details, location);
}

}  // namespace install::product_installer::workflow_utils
