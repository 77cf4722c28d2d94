#pragma once

#include <curl/curl.h>

#include <string>
#include <vector>

namespace install::online_service {

// One libcurl easy handle, its error buffer and the global initialisation libcurl needs once
// per process before any handle exists.
class CurlRequest {
public:
    CurlRequest();
    ~CurlRequest();
    CurlRequest(const CurlRequest&) = delete;
    CurlRequest& operator=(const CurlRequest&) = delete;

    template <typename Value>
    void set(CURLoption option, Value value) {
        if (curl_easy_setopt(handle_, option, value) != CURLE_OK) failSetting(option);
    }

    CURLcode perform();
    long responseCode() const;
    long proxyConnectCode() const;
    // libcurl's own words for the last failure: its error buffer, else the code's text.
    std::string describe(CURLcode code) const;
    std::string escape(const std::string& text) const;

private:
    [[noreturn]] static void failSetting(CURLoption option);

    CURL* handle_;
    char error_[CURL_ERROR_SIZE] = {};
};

// The address without any user name or password it may carry, fit for messages.
std::string redactUrl(const std::string& url);
// The user name and password an address carries (empty texts when none).
std::vector<std::string> credentialsIn(const std::string& url);

}  // namespace install::online_service
