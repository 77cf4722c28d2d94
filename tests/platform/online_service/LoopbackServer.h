#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace install::online_service::test {

struct HttpRequest {
    std::string method;
    std::string target;                          // as written on the request line
    std::map<std::string, std::string> headers;  // names in lower case
};

// An HTTP/1.1 server on 127.0.0.1 with a port of its own, one connection at a time, every
// connection closed after one answer. The handler returns the whole raw response.
class LoopbackServer {
public:
    using Handler = std::function<std::string(const HttpRequest&)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const { return port_; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<HttpRequest> requests() const;

    static std::string response(int status, const std::string& reason, const std::string& body = {},
                                const std::string& extraHeaders = {});
    // A port on 127.0.0.1 that nothing listens on any more.
    static std::uint16_t closedPort();

private:
    void serve();
    void answer(int connection);

    Handler handler_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<HttpRequest> requests_;
    std::thread thread_;
};

// Sends one GET to a server on 127.0.0.1 and returns the raw answer; used by the proxy to reach
// the service behind it.
std::string fetchFromLoopback(std::uint16_t port, const std::string& pathAndQuery,
                              const HttpRequest& original);

}  // namespace install::online_service::test
