#pragma once

#include <httplib.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "AccountBook.h"
#include "ServerOptions.h"

namespace velora::tools {

// Serves a repository folder over HTTP on 127.0.0.1: static files with ranges, optionally a
// forward proxy to itself that demands Basic credentials, optionally an account service whose
// tokens the indexes and archives then demand, optionally one fault. See
// docs/repository-protocol.md.
class RepositoryServer {
public:
    // Throws std::invalid_argument when the accounts file cannot be used.
    explicit RepositoryServer(ServerOptions options);

    // Binds the listening socket; returns the port (the one chosen when 0 was asked).
    int bind();
    // Answers requests until stop(); false when the server could not run.
    bool run();
    // Safe from any thread; a stalled answer ends within 50 ms.
    void stop();

private:
    void answer(const httplib::Request& request, httplib::Response& response);
    void signIn(const httplib::Request& request, httplib::Response& response);
    // With accounts, whether a request for path lacks the bearer token it needs.
    bool lacksToken(const httplib::Request& request, const std::string& path) const;
    // The path asked for, after the proxy's checks for an absolute-form request; nothing when the
    // response has been given already.
    std::optional<std::string> localPath(const httplib::Request& request, httplib::Response& response) const;
    void serveFile(const httplib::Request& request, const std::string& path, httplib::Response& response);
    // For cut-after: the first answer for each path is cut, later ones are whole.
    std::optional<std::uint64_t> cutFor(const std::string& path);
    void log(const httplib::Request& request, const httplib::Response& response);

    ServerOptions options_;
    std::string expectedProxyAuthorization_;
    std::unique_ptr<AccountBook> accounts_;
    int port_ = 0;
    httplib::Server server_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::set<std::string> pathsCut_;
};

}  // namespace velora::tools
