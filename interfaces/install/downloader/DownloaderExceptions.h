#pragma once

#include <stdexcept>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::downloader {

// The server (or the way to it) stayed silent longer than the downloader's timeouts allow.
class COMPONENT_API DownloaderHttpRequestTimeoutException : public std::runtime_error {
public:
    explicit DownloaderHttpRequestTimeoutException(const std::string& message);
    ~DownloaderHttpRequestTimeoutException() override;
};

// The request failed: no connection, a transfer broken off, or an HTTP error answer. The status
// is the answer's HTTP code, 0 when there was no answer.
class COMPONENT_API DownloaderHttpRequestFailedException : public std::runtime_error {
public:
    DownloaderHttpRequestFailedException(const std::string& message, long httpStatus);
    ~DownloaderHttpRequestFailedException() override;
    long httpStatus() const noexcept { return httpStatus_; }

private:
    long httpStatus_;
};

// The proxy asks for credentials or refused the ones given (HTTP 407): the user can fix this by
// entering them again, unlike other failures.
class COMPONENT_API DownloaderProxyAuthenticationException : public DownloaderHttpRequestFailedException {
public:
    explicit DownloaderProxyAuthenticationException(const std::string& message);
    ~DownloaderProxyAuthenticationException() override;
};

// cancelDownload() stopped the transfer; the partial file stays for a later resume.
class COMPONENT_API DownloaderCancelledException : public std::runtime_error {
public:
    explicit DownloaderCancelledException(const std::string& message);
    ~DownloaderCancelledException() override;
};

// The file arrived but is not the one expected (size or SHA-256); it was removed.
class COMPONENT_API DownloaderVerificationException : public std::runtime_error {
public:
    explicit DownloaderVerificationException(const std::string& message);
    ~DownloaderVerificationException() override;
};

}  // namespace install::downloader
