#pragma once

#include <cstdint>
#include <string>

#include "LoopbackServer.h"

namespace install::online_service::test {

// A forward proxy that answers 407 until a request carries the expected Basic credentials,
// then passes it on to the service it names, which must be on 127.0.0.1.
class AuthenticatingProxy {
public:
    AuthenticatingProxy(const std::string& userName, const std::string& password);

    std::string url() const { return server_.url(); }
    std::vector<HttpRequest> requests() const { return server_.requests(); }

private:
    std::string handle(const HttpRequest& request) const;

    std::string expectedAuthorization_;
    LoopbackServer server_;
};

std::string base64(const std::string& text);

}  // namespace install::online_service::test
