#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace install::downloader {

struct TransferRequest {
    std::string url;
    // Asks for the bytes from here on (a range request) when not 0.
    std::uint64_t offset = 0;
    // Empty: the system's proxy. A given one is used for every host.
    std::string proxyUrl;
    std::string proxyUserName;
    std::string proxyPassword;
    // Sent as "Authorization: Bearer", to the address's own host only.
    std::string accessToken;
    std::chrono::seconds connectTimeout{30};
    std::chrono::seconds stallTimeout{30};
};

// The successful answer (200 or 206) whose body is about to arrive.
struct ResponseStart {
    long status = 0;
    // Where a 206 answer's bytes start, from its Content-Range.
    std::optional<std::uint64_t> rangeStart;
    // The whole resource's size, -1 when the answer does not tell.
    std::int64_t total = -1;
};

struct TransferResult {
    CURLcode code = CURLE_OK;
    long httpStatus = 0;
    // The proxy's answer to a tunnel request (https through a proxy), 0 without one.
    long proxyConnectStatus = 0;
    // libcurl's words for a failure.
    std::string reason;
    bool cancelled = false;
};

// One GET at a time through libcurl's multi interface, whose wait can be woken from another
// thread: that is what lets a cancel end even a stalled transfer at once. Only the body of a
// successful answer reaches the body function; error pages, redirects and a proxy's challenges
// are dropped.
class HttpTransfer {
public:
    using BodyStart = std::function<void(const ResponseStart&)>;
    using Body = std::function<void(const char* data, std::size_t size)>;
    // Called on the running thread between waits, at least every 50 ms.
    using Tick = std::function<void()>;

    HttpTransfer();
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // Exceptions thrown by the three functions end the transfer and come out of run().
    TransferResult run(const TransferRequest& request, const BodyStart& bodyStart, const Body& body,
                       const Tick& tick, const std::atomic<bool>& cancelled);
    // Safe from any thread: makes a running run() look at its cancel flag now.
    void wake();

private:
    CURLM* multi_;
};

}  // namespace install::downloader
