#include "install/online_service/OnlineServiceClient.h"

#include <stdexcept>
#include <utility>
#include <vector>

#include "CurlRequest.h"
#include "foundation/urlmanager/UrlManager.h"
#include "install/online_service/ProxyAuthenticationRequiredException.h"

namespace install::online_service {
namespace {

constexpr long kProxyAuthenticationRequired = 407;

std::size_t discardBody(char*, std::size_t size, std::size_t count, void*) { return size * count; }

// libcurl's messages name hosts, not credentials; this keeps it so should one ever echo them.
std::string withoutSecrets(std::string text, const std::vector<std::string>& secrets) {
    for (const std::string& secret : secrets) {
        if (secret.empty()) continue;
        for (auto at = text.find(secret); at != std::string::npos; at = text.find(secret, at)) {
            text.replace(at, secret.size(), "***");
        }
    }
    return text;
}

}  // namespace

OnlineServiceClient::OnlineServiceClient(OnlineServiceSettings settings) : settings_(std::move(settings)) {
    if (settings_.serviceUrl.empty())
        throw std::invalid_argument("No address of the online service configured");
}

OnlineServiceClient::~OnlineServiceClient() = default;

void OnlineServiceClient::setProxyCredentials(const std::string& userName, const std::string& password) {
    proxyUserName_ = userName;
    proxyPassword_ = password;
}

void OnlineServiceClient::ping(const std::string& locale, const std::string& clientName) const {
    CurlRequest request;
    const std::string separator = settings_.serviceUrl.find('?') == std::string::npos ? "?" : "&";
    const std::string url = settings_.serviceUrl + separator + "locale=" + request.escape(locale) +
                            "&client=" + request.escape(clientName);
    request.set(CURLOPT_URL, url.c_str());
    request.set(CURLOPT_PROTOCOLS_STR, "http,https");
    request.set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    request.set(CURLOPT_FOLLOWLOCATION, 1L);
    request.set(CURLOPT_MAXREDIRS, 5L);
    request.set(CURLOPT_NOSIGNAL, 1L);
    request.set(CURLOPT_TIMEOUT, settings_.timeoutSeconds);
    request.set(CURLOPT_USERAGENT, clientName.c_str());
    request.set(CURLOPT_WRITEFUNCTION, discardBody);
    if (!settings_.proxyUrl.empty()) request.set(CURLOPT_PROXY, settings_.proxyUrl.c_str());
    if (settings_.noProxy) request.set(CURLOPT_NOPROXY, settings_.noProxy->c_str());
    const bool withCredentials = !proxyUserName_.empty() && !proxyPassword_.empty();
    if (withCredentials) {
        request.set(CURLOPT_PROXYUSERNAME, proxyUserName_.c_str());
        request.set(CURLOPT_PROXYPASSWORD, proxyPassword_.c_str());
        request.set(CURLOPT_PROXYAUTH, static_cast<unsigned long>(CURLAUTH_ANY));
    }

    const CURLcode result = request.perform();
    const std::string service = redactUrl(settings_.serviceUrl);
    // A tunnel (https) refused by the proxy ends the transfer with an error; a plain request
    // through it ends with the proxy's answer. Both are the proxy asking for credentials.
    if (request.proxyConnectCode() == kProxyAuthenticationRequired ||
        (result == CURLE_OK && request.responseCode() == kProxyAuthenticationRequired)) {
        throw ProxyAuthenticationRequiredException(
            withCredentials ? "The proxy refused the credentials given for reaching " + service
                            : "The proxy requires authentication for reaching " + service);
    }
    if (result != CURLE_OK) {
        std::vector<std::string> secrets = credentialsIn(settings_.proxyUrl);
        secrets.push_back(proxyPassword_);
        secrets.push_back(proxyUserName_);
        const std::string reason = withoutSecrets(request.describe(result), secrets);
        throw std::runtime_error("Cannot reach the online service at " + service + ": " + reason);
    }
    const long status = request.responseCode();
    if (status < 200 || status >= 300) {
        throw std::runtime_error("The online service at " + service + " answered HTTP " +
                                 std::to_string(status));
    }
}

std::shared_ptr<OnlineServiceClient> createOnlineServiceClient() {
    const auto urls = foundation::urlmanager::createUrlManager();
    OnlineServiceSettings settings;
    settings.serviceUrl = urls->getUrl(foundation::urlmanager::ONLINE_SERVICE);
    if (urls->hasUrl(foundation::urlmanager::PROXY)) {
        settings.proxyUrl = urls->getUrl(foundation::urlmanager::PROXY);
        // A proxy named for the installer serves every host, whatever the system exempts.
        settings.noProxy = "";
    }
    return createOnlineServiceClient(std::move(settings));
}

std::shared_ptr<OnlineServiceClient> createOnlineServiceClient(OnlineServiceSettings settings) {
    return std::make_shared<OnlineServiceClient>(std::move(settings));
}

}  // namespace install::online_service
