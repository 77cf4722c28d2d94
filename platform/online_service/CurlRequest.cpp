#include "CurlRequest.h"

#include <memory>
#include <mutex>
#include <stdexcept>

namespace install::online_service {
namespace {

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw std::runtime_error("Cannot initialise libcurl");
    });
}

}  // namespace

CurlRequest::CurlRequest() {
    initialiseCurlOnce();
    handle_ = curl_easy_init();
    if (handle_ == nullptr) throw std::runtime_error("Cannot create a web request");
    set(CURLOPT_ERRORBUFFER, error_);
}

CurlRequest::~CurlRequest() { curl_easy_cleanup(handle_); }

CURLcode CurlRequest::perform() {
    error_[0] = '\0';
    return curl_easy_perform(handle_);
}

long CurlRequest::responseCode() const {
    long code = 0;
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

long CurlRequest::proxyConnectCode() const {
    long code = 0;
    curl_easy_getinfo(handle_, CURLINFO_HTTP_CONNECTCODE, &code);
    return code;
}

std::string CurlRequest::describe(CURLcode code) const {
    return error_[0] != '\0' ? std::string(error_) : std::string(curl_easy_strerror(code));
}

std::string CurlRequest::escape(const std::string& text) const {
    std::unique_ptr<char, decltype(&curl_free)> escaped(
        curl_easy_escape(handle_, text.data(), static_cast<int>(text.size())), curl_free);
    if (!escaped) throw std::runtime_error("Cannot encode a request parameter");
    return escaped.get();
}

void CurlRequest::failSetting(CURLoption option) {
    throw std::runtime_error("libcurl refused request option " + std::to_string(static_cast<int>(option)));
}

namespace {

using ParsedUrl = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

ParsedUrl parseUrl(const std::string& url) {
    ParsedUrl parsed(curl_url(), curl_url_cleanup);
    if (parsed &&
        curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        parsed.reset();
    }
    return parsed;
}

std::string part(const ParsedUrl& parsed, CURLUPart which) {
    char* text = nullptr;
    if (curl_url_get(parsed.get(), which, &text, 0) != CURLUE_OK || text == nullptr) return {};
    std::string result(text);
    curl_free(text);
    return result;
}

}  // namespace

std::vector<std::string> credentialsIn(const std::string& url) {
    const ParsedUrl parsed = parseUrl(url);
    if (!parsed) return {};
    return {part(parsed, CURLUPART_USER), part(parsed, CURLUPART_PASSWORD)};
}

std::string redactUrl(const std::string& url) {
    const ParsedUrl parsed = parseUrl(url);
    if (!parsed) return "(unreadable address)";
    curl_url_set(parsed.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(parsed.get(), CURLUPART_PASSWORD, nullptr, 0);
    const std::string result = part(parsed, CURLUPART_URL);
    return result.empty() ? "(unreadable address)" : result;
}

}  // namespace install::online_service
