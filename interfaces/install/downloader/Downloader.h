#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::downloader {

// Fetches one address into one file over HTTP(S). The bytes land in "<target>.part" first; only a
// complete file that passed its checks is renamed to the target, so the target's name never holds
// half a download. A ".part" left by an interrupted run is resumed with a range request.
//
// download() runs on the caller's thread; cancelDownload() may come from any thread, or from the
// progress function itself. Failures are the exceptions of DownloaderExceptions.h.
class COMPONENT_API Downloader {
public:
    // Bytes in the target so far (a resumed part included) and the whole size, 0 while unknown.
    using ProgressCallback = std::function<void(std::int64_t done, std::int64_t total)>;

    // address: UTF-8 http or https address; target: the file to produce (UTF-16 path).
    Downloader(std::string address, std::u16string target);
    virtual ~Downloader();
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // Credentials for the proxy (UTF-8). They reach the proxy only, never a message.
    virtual void setProxySettings(const std::string& userName, const std::string& password);
    // The account's access token, sent as "Authorization: Bearer" to the address's host (not to
    // another host a redirect leads to). Like the proxy password, it never reaches a message.
    virtual void setAccessToken(const std::string& token);
    // The proxy to go through, used for every host. Empty (the default): the system's, from the
    // http_proxy, https_proxy, all_proxy and no_proxy variables.
    virtual void setProxyUrl(const std::string& url);
    // Called on the downloading thread at least every 100 ms while the transfer runs, stalled or
    // not, so a function that polls a cancel flag is heard in time.
    virtual void setProgressCallback(ProgressCallback callback);
    // What the finished file must be; a file that differs is removed and download() throws.
    virtual void setExpectedSize(std::uint64_t bytes);
    virtual void setExpectedSha256(const std::string& hex);
    // How long to wait for a connection, and for the next byte of a transfer that went quiet.
    virtual void setTimeouts(std::chrono::seconds connect, std::chrono::seconds stalled);

    // Fetches the address into the target, resuming "<target>.part" when one exists. Returns once
    // the target is complete and checked. A failed or cancelled transfer keeps the ".part" for the
    // next attempt (unless it received nothing); a file that fails its checks is removed.
    virtual void download();
    // Stops a running download() within 100 ms (it throws DownloaderCancelledException) and any
    // later one of this object before it starts.
    virtual void cancelDownload();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace install::downloader
