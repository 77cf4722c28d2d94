#include "AuthenticatingProxy.h"

namespace install::online_service::test {

std::string base64(const std::string& text) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    std::size_t i = 0;
    for (; i + 2 < text.size(); i += 3) {
        const unsigned value = (static_cast<unsigned char>(text[i]) << 16) |
                               (static_cast<unsigned char>(text[i + 1]) << 8) |
                               static_cast<unsigned char>(text[i + 2]);
        encoded += {alphabet[(value >> 18) & 63], alphabet[(value >> 12) & 63], alphabet[(value >> 6) & 63],
                    alphabet[value & 63]};
    }
    if (i + 1 == text.size()) {
        const unsigned value = static_cast<unsigned char>(text[i]) << 16;
        encoded += {alphabet[(value >> 18) & 63], alphabet[(value >> 12) & 63], '=', '='};
    } else if (i + 2 == text.size()) {
        const unsigned value =
            (static_cast<unsigned char>(text[i]) << 16) | (static_cast<unsigned char>(text[i + 1]) << 8);
        encoded +=
            {alphabet[(value >> 18) & 63], alphabet[(value >> 12) & 63], alphabet[(value >> 6) & 63], '='};
    }
    return encoded;
}

AuthenticatingProxy::AuthenticatingProxy(const std::string& userName, const std::string& password)
    : expectedAuthorization_("Basic " + base64(userName + ":" + password)),
      server_([this](const HttpRequest& request) { return handle(request); }) {}

std::string AuthenticatingProxy::handle(const HttpRequest& request) const {
    const auto authorization = request.headers.find("proxy-authorization");
    if (authorization == request.headers.end() || authorization->second != expectedAuthorization_) {
        return LoopbackServer::response(407, "Proxy Authentication Required", {},
                                        "Proxy-Authenticate: Basic realm=\"test proxy\"\r\n");
    }
    if (request.method == "CONNECT") return LoopbackServer::response(502, "Bad Gateway");
    const std::string prefix = "http://127.0.0.1:";
    if (!request.target.starts_with(prefix)) return LoopbackServer::response(403, "Forbidden");
    const std::size_t pathStart = request.target.find('/', prefix.size());
    const auto port = static_cast<std::uint16_t>(std::stoi(request.target.substr(prefix.size())));
    return fetchFromLoopback(port, pathStart == std::string::npos ? "/" : request.target.substr(pathStart),
                             request);
}

}  // namespace install::online_service::test
