#include "RepositoryServer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "ByteRange.h"

namespace velora::tools {
namespace {

constexpr std::size_t kChunk = 512 * 1024;

// A file being sent: its descriptor and the buffer its pieces pass through.
class OpenBody {
public:
    explicit OpenBody(const std::filesystem::path& file)
        : descriptor_(::open(file.c_str(), O_RDONLY | O_CLOEXEC)), buffer_(kChunk) {}
    ~OpenBody() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    OpenBody(const OpenBody&) = delete;
    OpenBody& operator=(const OpenBody&) = delete;

    bool open() const { return descriptor_ >= 0; }
    // `count` bytes from `position`, at most kChunk; nullptr when the file holds fewer.
    const char* read(std::uint64_t position, std::size_t count) {
        for (std::size_t done = 0; done < count;) {
            const ssize_t got = ::pread(descriptor_, buffer_.data() + done, count - done,
                                        static_cast<off_t>(position + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return nullptr;
            done += static_cast<std::size_t>(got);
        }
        return buffer_.data();
    }

private:
    int descriptor_;
    std::vector<char> buffer_;
};
constexpr auto kLongestStall = std::chrono::seconds(30);
constexpr auto kStallStep = std::chrono::milliseconds(50);

std::string base64(const std::string& text) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(text[i]) << 16;
        if (i + 1 < text.size()) group |= static_cast<unsigned char>(text[i + 1]) << 8;
        if (i + 2 < text.size()) group |= static_cast<unsigned char>(text[i + 2]);
        out += kDigits[(group >> 18) & 63];
        out += kDigits[(group >> 12) & 63];
        out += i + 1 < text.size() ? kDigits[(group >> 6) & 63] : '=';
        out += i + 2 < text.size() ? kDigits[group & 63] : '=';
    }
    return out;
}

// The file under root that a decoded request path names; empty when the path leaves the root or
// names no regular file.
std::filesystem::path fileUnder(const std::filesystem::path& root, const std::string& path) {
    if (path.empty() || path.front() != '/') return {};
    const std::filesystem::path relative = std::filesystem::path(path).relative_path();
    for (const auto& segment : relative) {
        if (segment == ".." || segment == ".") return {};
    }
    std::filesystem::path file = root / relative;
    std::error_code error;
    return std::filesystem::is_regular_file(file, error) ? file : std::filesystem::path{};
}

void answerJson(httplib::Response& response, int status, const nlohmann::json& body) {
    response.status = status;
    response.set_content(body.dump(), "application/json");
}

const char* contentType(const std::filesystem::path& file) {
    if (file.extension() == ".json") return "application/json";
    if (file.extension() == ".zip") return "application/zip";
    return "application/octet-stream";
}

}  // namespace

RepositoryServer::RepositoryServer(ServerOptions options) : options_(std::move(options)) {
    if (!options_.proxyCredentials.empty())
        expectedProxyAuthorization_ = "Basic " + base64(options_.proxyCredentials);
    if (!options_.accountsFile.empty()) accounts_ = AccountBook::read(options_.accountsFile);
    // Short idle connections let stop() end promptly.
    server_.set_keep_alive_timeout(1);
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        answer(request, response);
    });
    server_.Post(".*", [this](const httplib::Request& request, httplib::Response& response) {
        signIn(request, response);
    });
    server_.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
        log(request, response);
    });
}

int RepositoryServer::bind() {
    port_ = options_.port == 0 ? server_.bind_to_any_port("127.0.0.1")
                               : (server_.bind_to_port("127.0.0.1", options_.port) ? options_.port : -1);
    return port_;
}

bool RepositoryServer::run() { return server_.listen_after_bind(); }

void RepositoryServer::stop() {
    stopping_.store(true);
    server_.stop();
}

void RepositoryServer::answer(const httplib::Request& request, httplib::Response& response) {
    // The server answers ranges itself: the library's own range arithmetic does not cut a range
    // to the file's end, so its parsed ranges are dropped before it sees the response. The
    // request object is the library's own mutable one, handed over as const.
    const_cast<httplib::Request&>(request).ranges.clear();
    const std::optional<std::string> path = localPath(request, response);
    if (!path) return;
    if (options_.fault.kind == Fault::Kind::Status) {
        response.status = static_cast<int>(options_.fault.amount);
        return;
    }
    if (*path == "/ping") {
        response.set_content("ok\n", "text/plain");
        return;
    }
    if (lacksToken(request, *path)) {
        response.set_header("WWW-Authenticate", "Bearer realm=\"velora-repo-server\"");
        answerJson(response, 401, {{"error", "Sign in to fetch this file"}});
        return;
    }
    serveFile(request, *path, response);
}

bool RepositoryServer::lacksToken(const httplib::Request& request, const std::string& path) const {
    // Installer programs stay public: anybody may fetch an installer, products need an account.
    if (!accounts_ || !(path.starts_with("/index/") || path.starts_with("/archives/"))) return false;
    constexpr std::string_view kBearer = "Bearer ";
    const std::string authorization = request.get_header_value("Authorization");
    return !authorization.starts_with(kBearer) || !accounts_->isIssued(authorization.substr(kBearer.size()));
}

void RepositoryServer::signIn(const httplib::Request& request, httplib::Response& response) {
    const std::optional<std::string> path = localPath(request, response);
    if (!path) return;
    if (options_.fault.kind == Fault::Kind::Status) {
        response.status = static_cast<int>(options_.fault.amount);
        return;
    }
    if (*path != "/signin" || !accounts_) {
        response.status = 404;
        return;
    }
    if (options_.fault.kind == Fault::Kind::SigninError) {
        answerJson(response, 500, {{"error", "The account service is not available"}});
        return;
    }
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (!body.is_object() || !body.contains("email") || !body.at("email").is_string() ||
        !body.contains("password") || !body.at("password").is_string()) {
        answerJson(response, 400, {{"error", "Give \"email\" and \"password\" as texts of a JSON object"}});
        return;
    }
    const auto signedIn =
        accounts_->signIn(body.at("email").get<std::string>(), body.at("password").get<std::string>());
    if (!signedIn) {
        answerJson(response, 401, {{"error", "The e-mail address or the password is not right"}});
        return;
    }
    const auto& [account, token] = *signedIn;
    answerJson(response, 200,
               {{"accessToken", token},
                {"firstName", account.firstName},
                {"lastName", account.lastName},
                {"email", account.email}});
}

std::optional<std::string> RepositoryServer::localPath(const httplib::Request& request,
                                                       httplib::Response& response) const {
    constexpr std::string_view kScheme = "http://";
    if (!request.path.starts_with(kScheme)) return request.path;
    if (expectedProxyAuthorization_.empty()) {
        response.status = 400;  // not a proxy
        return std::nullopt;
    }
    if (request.get_header_value("Proxy-Authorization") != expectedProxyAuthorization_) {
        response.status = 407;
        response.set_header("Proxy-Authenticate", "Basic realm=\"velora-repo-server\"");
        return std::nullopt;
    }
    const std::string rest = request.path.substr(kScheme.size());
    const auto slash = rest.find('/');
    const std::string authority = rest.substr(0, slash);
    const std::string self = ":" + std::to_string(port_);
    if (authority != "127.0.0.1" + self && authority != "localhost" + self) {
        response.status = 502;  // proxies only to itself
        return std::nullopt;
    }
    return slash == std::string::npos ? std::string("/") : rest.substr(slash);
}

void RepositoryServer::serveFile(const httplib::Request& request, const std::string& path,
                                 httplib::Response& response) {
    const std::filesystem::path file = fileUnder(options_.root, path);
    if (file.empty()) {
        response.status = 404;
        return;
    }
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(file, error);
    if (error) {
        response.status = 404;
        return;
    }
    const bool rangesIgnored = options_.fault.kind == Fault::Kind::IgnoreRange;
    const ByteRange range = ByteRange::resolve(rangesIgnored ? "" : request.get_header_value("Range"), size);
    if (range.kind == ByteRange::Kind::Unsatisfiable) {
        response.status = 416;
        response.set_header("Content-Range", "bytes */" + std::to_string(size));
        return;
    }
    const std::uint64_t first = range.kind == ByteRange::Kind::Part ? range.first : 0;
    const std::uint64_t length = range.kind == ByteRange::Kind::Part ? range.last - range.first + 1 : size;
    response.status = range.kind == ByteRange::Kind::Part ? 206 : 200;
    if (range.kind == ByteRange::Kind::Part) {
        response.set_header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                 std::to_string(range.last) + "/" + std::to_string(size));
    }
    if (length == 0) {
        response.set_content("", contentType(file));
        return;
    }
    const std::optional<std::uint64_t> cut = request.method == "GET" ? cutFor(path) : std::nullopt;
    const bool stall = options_.fault.kind == Fault::Kind::Stall;
    // Opened once for the whole answer and read by position, with one buffer: the server's own
    // work per byte stays small beside the client's that the benchmarks measure.
    auto body = std::make_shared<OpenBody>(file);
    if (!body->open()) {
        response.status = 404;
        return;
    }
    response.set_content_provider(
        length, contentType(file),
        [this, body, first, cut, stall](std::size_t offset, std::size_t left, httplib::DataSink& sink) {
            if (stall) {
                const auto until = std::chrono::steady_clock::now() + kLongestStall;
                while (!stopping_.load() && std::chrono::steady_clock::now() < until)
                    std::this_thread::sleep_for(kStallStep);
                return false;
            }
            if (cut && offset >= *cut) return false;  // closes the connection mid-body
            std::size_t count = std::min(left, kChunk);
            if (cut) count = std::min<std::size_t>(count, *cut - offset);
            const char* const data = body->read(first + offset, count);
            return data != nullptr && sink.write(data, count);
        });
}

std::optional<std::uint64_t> RepositoryServer::cutFor(const std::string& path) {
    if (options_.fault.kind != Fault::Kind::CutAfter) return std::nullopt;
    const std::lock_guard lock(mutex_);
    if (!pathsCut_.insert(path).second) return std::nullopt;
    return options_.fault.amount;
}

void RepositoryServer::log(const httplib::Request& request, const httplib::Response& response) {
    std::string line = request.method + " " + request.path;
    if (request.has_header("Range")) line += " range " + request.get_header_value("Range");
    line += " -> " + std::to_string(response.status);
    const std::lock_guard lock(mutex_);
    std::cout << line << std::endl;
}

}  // namespace velora::tools
