// The downloader's exceptions: out-of-line destructors, so each has one home for its type
// information across the shared libraries that throw and catch it.
#include "install/downloader/DownloaderExceptions.h"

namespace install::downloader {

DownloaderHttpRequestTimeoutException::DownloaderHttpRequestTimeoutException(const std::string& message)
    : std::runtime_error(message) {}
DownloaderHttpRequestTimeoutException::~DownloaderHttpRequestTimeoutException() = default;

DownloaderHttpRequestFailedException::DownloaderHttpRequestFailedException(const std::string& message,
                                                                           long httpStatus)
    : std::runtime_error(message), httpStatus_(httpStatus) {}
DownloaderHttpRequestFailedException::~DownloaderHttpRequestFailedException() = default;

DownloaderProxyAuthenticationException::DownloaderProxyAuthenticationException(const std::string& message)
    : DownloaderHttpRequestFailedException(message, 407) {}
DownloaderProxyAuthenticationException::~DownloaderProxyAuthenticationException() = default;

DownloaderCancelledException::DownloaderCancelledException(const std::string& message)
    : std::runtime_error(message) {}
DownloaderCancelledException::~DownloaderCancelledException() = default;

DownloaderVerificationException::DownloaderVerificationException(const std::string& message)
    : std::runtime_error(message) {}
DownloaderVerificationException::~DownloaderVerificationException() = default;

}  // namespace install::downloader
