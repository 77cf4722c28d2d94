// Downloader: one attempt is a transfer into "<target>.part" (resumed when the file holds
// something), then the checks, then the rename into place.
#include "install/downloader/Downloader.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "HttpTransfer.h"
#include "PartFile.h"
#include "Sha256.h"
#include "install/downloader/DownloaderExceptions.h"

namespace install::downloader {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kProgressInterval = std::chrono::milliseconds(50);
constexpr long kProxyAuthenticationRequired = 407;
constexpr long kRangeNotSatisfiable = 416;

// The address without a user name or password it may carry, fit for messages.
std::string redacted(const std::string& url) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), curl_url_cleanup);
    if (!parsed ||
        curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return "(unreadable address)";
    curl_url_set(parsed.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(parsed.get(), CURLUPART_PASSWORD, nullptr, 0);
    char* text = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_URL, &text, 0) != CURLUE_OK || text == nullptr)
        return "(unreadable address)";
    std::string result(text);
    curl_free(text);
    return result;
}

// libcurl's messages name hosts, not credentials; this keeps it so should one ever echo them.
std::string withoutSecrets(std::string text, const std::vector<std::string>& secrets) {
    for (const std::string& secret : secrets) {
        if (secret.empty()) continue;
        for (auto at = text.find(secret); at != std::string::npos; at = text.find(secret, at))
            text.replace(at, secret.size(), "***");
    }
    return text;
}

}  // namespace

struct Downloader::State {
    std::string address;
    std::filesystem::path target;
    std::string proxyUrl;
    std::string proxyUserName;
    std::string proxyPassword;
    std::string accessToken;
    ProgressCallback progress;
    std::optional<std::uint64_t> expectedSize;
    std::string expectedSha256;
    std::chrono::seconds connectTimeout{30};
    std::chrono::seconds stallTimeout{30};
    std::atomic<bool> cancelled{false};
    HttpTransfer transfer;

    std::filesystem::path partPath() const {
        std::filesystem::path part = target;
        part += ".part";
        return part;
    }

    // Transfers into the part file; false when the server refused the range asked for (a fresh
    // start asks for none).
    bool transferInto(PartFile& part);
    void report(std::int64_t done, std::int64_t total, Clock::time_point& last, bool force) const;
    [[noreturn]] void failTransfer(const TransferResult& result) const;
    void verify(PartFile& part) const;
};

bool Downloader::State::transferInto(PartFile& part) {
    TransferRequest request;
    request.url = address;
    request.offset = part.size();
    request.proxyUrl = proxyUrl;
    request.proxyUserName = proxyUserName;
    request.proxyPassword = proxyPassword;
    request.accessToken = accessToken;
    request.connectTimeout = connectTimeout;
    request.stallTimeout = stallTimeout;

    std::int64_t total = expectedSize ? static_cast<std::int64_t>(*expectedSize) : 0;
    auto last = Clock::time_point{};
    const auto bodyStart = [&](const ResponseStart& start) {
        if (start.status == 200) {
            part.restart();  // a fresh request, or a server that ignores ranges: start over
        } else if (start.rangeStart != part.size()) {
            throw DownloaderHttpRequestFailedException(
                "The server at " + redacted(address) +
                    " answered a range that does not continue the partial file",
                start.status);
        }
        if (start.total > 0) total = start.total;
    };
    const auto body = [&](const char* data, std::size_t size) { part.append(data, size); };
    const auto tick = [&] { report(static_cast<std::int64_t>(part.size()), total, last, false); };

    const TransferResult result = transfer.run(request, bodyStart, body, tick, cancelled);
    if (result.cancelled)
        throw DownloaderCancelledException("The download of " + redacted(address) + " was cancelled");
    if (result.code == CURLE_OK && result.httpStatus == kRangeNotSatisfiable && request.offset > 0)
        return false;
    if (result.code != CURLE_OK || result.httpStatus >= 300 || result.proxyConnectStatus >= 300)
        failTransfer(result);
    report(static_cast<std::int64_t>(part.size()), total, last, true);
    return true;
}

void Downloader::State::report(std::int64_t done, std::int64_t total, Clock::time_point& last,
                               bool force) const {
    const auto now = Clock::now();
    if (!progress || (!force && now - last < kProgressInterval)) return;
    last = now;
    progress(done, total);
}

void Downloader::State::failTransfer(const TransferResult& result) const {
    const std::string where = redacted(address);
    if (result.proxyConnectStatus == kProxyAuthenticationRequired ||
        (result.code == CURLE_OK && result.httpStatus == kProxyAuthenticationRequired)) {
        throw DownloaderProxyAuthenticationException(
            proxyUserName.empty() ? "The proxy requires authentication for reaching " + where
                                  : "The proxy refused the credentials given for reaching " + where);
    }
    const std::string reason = withoutSecrets(result.reason, {proxyPassword, proxyUserName, accessToken});
    if (result.code == CURLE_OPERATION_TIMEDOUT)
        throw DownloaderHttpRequestTimeoutException("The download of " + where + " timed out: " + reason);
    if (result.code != CURLE_OK)
        throw DownloaderHttpRequestFailedException("Cannot download " + where + ": " + reason,
                                                   result.httpStatus);
    const long status = result.proxyConnectStatus >= 300 ? result.proxyConnectStatus : result.httpStatus;
    throw DownloaderHttpRequestFailedException(
        "The server answered HTTP " + std::to_string(status) + " for " + where, status);
}

void Downloader::State::verify(PartFile& part) const {
    std::string mismatch;
    if (expectedSize && part.size() != *expectedSize) {
        mismatch = std::to_string(part.size()) + " bytes instead of " + std::to_string(*expectedSize);
    } else if (!expectedSha256.empty()) {
        const std::string actual = part.sha256Hex();
        if (actual != expectedSha256) mismatch = "SHA-256 " + actual + " instead of " + expectedSha256;
    }
    if (mismatch.empty()) return;
    part.remove();
    throw DownloaderVerificationException("The file downloaded from " + redacted(address) +
                                          " is not the one expected (" + mismatch + "); it was removed");
}

Downloader::Downloader(std::string address, std::u16string target) : state_(std::make_unique<State>()) {
    state_->address = std::move(address);
    state_->target = std::filesystem::path(target);
}

Downloader::~Downloader() = default;

void Downloader::setProxySettings(const std::string& userName, const std::string& password) {
    state_->proxyUserName = userName;
    state_->proxyPassword = password;
}

void Downloader::setAccessToken(const std::string& token) { state_->accessToken = token; }

void Downloader::setProxyUrl(const std::string& url) { state_->proxyUrl = url; }

void Downloader::setProgressCallback(ProgressCallback callback) { state_->progress = std::move(callback); }

void Downloader::setExpectedSize(std::uint64_t bytes) { state_->expectedSize = bytes; }

void Downloader::setExpectedSha256(const std::string& hex) {
    state_->expectedSha256 = enczip::Sha256::normalized(hex);
}

void Downloader::setTimeouts(std::chrono::seconds connect, std::chrono::seconds stalled) {
    state_->connectTimeout = connect;
    state_->stallTimeout = stalled;
}

void Downloader::download() {
    State& state = *state_;
    if (state.cancelled.load())
        throw DownloaderCancelledException("The download of " + redacted(state.address) + " was cancelled");
    PartFile part(state.partPath());
    try {
        // A part already as long as the file needs no transfer, one longer than it cannot be resumed.
        const bool complete = state.expectedSize && part.size() == *state.expectedSize;
        if (state.expectedSize && part.size() > *state.expectedSize) part.restart();
        if (!complete && !state.transferInto(part)) {
            // The server has nothing after the part's end: the part is complete or not of this
            // file at all. Fetched again in full, the checks then have the last word.
            part.restart();
            state.transferInto(part);
        }
    } catch (...) {
        part.removeIfEmpty();
        throw;
    }
    state.verify(part);
    part.commitAs(state.target);
}

void Downloader::cancelDownload() {
    state_->cancelled.store(true);
    state_->transfer.wake();
}

}  // namespace install::downloader
