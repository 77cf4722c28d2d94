#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velora::tools {

// How the server misbehaves on purpose (--fault).
struct Fault {
    enum class Kind { None, CutAfter, Stall, Status, IgnoreRange, SigninError };
    Kind kind = Kind::None;
    // Bytes of body before the cut, or the HTTP status.
    std::uint64_t amount = 0;
};

struct ServerOptions {
    std::filesystem::path root;
    int port = 0;
    // "USER:PASSWORD" of the proxy; empty: no proxy.
    std::string proxyCredentials;
    // The accounts the server signs in; empty: no account service, and no file needs a token.
    std::filesystem::path accountsFile;
    Fault fault;
    bool help = false;

    // From the arguments after the program's name and the value of VELORA_REPO_PROXY_AUTH (null
    // when unset). Throws std::invalid_argument with a message for the user.
    static ServerOptions parse(const std::vector<std::string>& arguments, const char* environmentCredentials);
    static const char* usage();
};

}  // namespace velora::tools
