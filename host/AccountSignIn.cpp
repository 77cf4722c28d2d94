// The sign-in request over libcurl, and the reading of the account service's answer.
#include "host/AccountSignIn.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <utility>

#include "gates/session/CredentialRedaction.h"

namespace velora::installer {

namespace {

using install::product_installer::workflow_utils::withoutSecret;
using nlohmann::json;

constexpr long kProxyAuthenticationRequired = 407;
// An answer this long is no sign-in result; the transfer stops there.
constexpr std::size_t kLongestAnswer = 1 << 20;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw std::runtime_error("Cannot initialise libcurl");
    });
}

std::size_t collect(char* data, std::size_t size, std::size_t count, void* target) {
    auto& body = *static_cast<std::string*>(target);
    if (body.size() + size * count > kLongestAnswer) return 0;
    body.append(data, size * count);
    return size * count;
}

// The address without the user name and password it may carry, fit for a message.
std::string redacted(const std::string& address) {
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
    char* text = nullptr;
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_USER, nullptr, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PASSWORD, nullptr, 0) != CURLUE_OK ||
        curl_url_get(url.get(), CURLUPART_URL, &text, 0) != CURLUE_OK)
        return "(unreadable address)";
    std::string result(text);
    curl_free(text);
    return result;
}

SignInOutcome failure(SignInOutcome::Result result, std::string details) {
    SignInOutcome outcome;
    outcome.result = result;
    outcome.details = std::move(details);
    return outcome;
}

std::string textOf(const json& answer, const char* key) {
    const auto found = answer.find(key);
    return found != answer.end() && found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace

AccountSignIn::AccountSignIn(std::string endPoint, ProxyRoute proxy, long timeoutSeconds)
    : endPoint_(std::move(endPoint)), proxy_(std::move(proxy)), timeoutSeconds_(timeoutSeconds) {}

SignInOutcome AccountSignIn::signIn(const std::string& email, const std::string& password) const {
    if (endPoint_.empty()) {
        return failure(SignInOutcome::Result::BackendError,
                       "No sign-in address is configured: name one as EMBEDDED_SIGNIN in the address "
                       "configuration (--urls FILE)");
    }
    initialiseCurlOnce();
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), curl_easy_cleanup);
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
        curl_slist_append(curl_slist_append(nullptr, "Content-Type: application/json"),
                          "Accept: application/json"),
        curl_slist_free_all);
    if (!easy || !headers) throw std::runtime_error("Cannot create the sign-in request");

    const std::string request = json{{"email", email}, {"password", password}}.dump();
    std::string answer;
    char reason[CURL_ERROR_SIZE] = {};
    CURL* const handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, endPoint_.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, timeoutSeconds_);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.c_str());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.size()));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, reason);
    if (!proxy_.address.empty()) {
        curl_easy_setopt(handle, CURLOPT_PROXY, proxy_.address.c_str());
        curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
    }
    const bool withCredentials = !proxy_.userName.empty() && !proxy_.password.empty();
    if (withCredentials) {
        curl_easy_setopt(handle, CURLOPT_PROXYUSERNAME, proxy_.userName.c_str());
        curl_easy_setopt(handle, CURLOPT_PROXYPASSWORD, proxy_.password.c_str());
        curl_easy_setopt(handle, CURLOPT_PROXYAUTH, static_cast<unsigned long>(CURLAUTH_ANY));
    }

    const CURLcode result = curl_easy_perform(handle);
    long status = 0;
    long proxyStatus = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(handle, CURLINFO_HTTP_CONNECTCODE, &proxyStatus);
    const std::string service = redacted(endPoint_);
    SignInOutcome outcome;
    if (proxyStatus == kProxyAuthenticationRequired ||
        (result == CURLE_OK && status == kProxyAuthenticationRequired)) {
        outcome = failure(SignInOutcome::Result::BackendError,
                          (withCredentials ? "The proxy refused the credentials given for reaching "
                                           : "The proxy asks for credentials for reaching ") +
                              std::string("the account service at ") + service);
    } else if (result != CURLE_OK) {
        outcome = failure(SignInOutcome::Result::BackendError,
                          "Cannot reach the account service at " + service + ": " +
                              (reason[0] != '\0' ? std::string(reason) : curl_easy_strerror(result)));
    } else {
        outcome = interpret(status, answer, service);
    }
    // Whatever the service or libcurl said, no credential goes further.
    for (const std::string* secret : {&password, &proxy_.password})
        outcome.details = withoutSecret(std::move(outcome.details), *secret);
    return outcome;
}

SignInOutcome AccountSignIn::interpret(long status, const std::string& body, const std::string& service) {
    const json answer = json::parse(body, nullptr, false);
    if (status == 401 || status == 403) {
        const std::string reason = answer.is_object() ? textOf(answer, "error") : std::string();
        return failure(SignInOutcome::Result::Refused,
                       reason.empty() ? "the account service refused the credentials" : reason);
    }
    if (status != 200) {
        return failure(SignInOutcome::Result::BackendError,
                       "The account service at " + service + " answered HTTP " + std::to_string(status));
    }
    SignInOutcome outcome;
    if (answer.is_object()) {
        outcome.accessToken = textOf(answer, "accessToken");
        outcome.email = textOf(answer, "email");
        outcome.firstName = textOf(answer, "firstName");
        outcome.lastName = textOf(answer, "lastName");
    }
    if (outcome.accessToken.empty()) {
        return failure(SignInOutcome::Result::BackendError,
                       "The account service at " + service + " gave an answer without an access token");
    }
    outcome.result = SignInOutcome::Result::SignedIn;
    return outcome;
}

}  // namespace velora::installer
