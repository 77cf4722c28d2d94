#include "ServerOptions.h"

#include <charconv>
#include <fstream>
#include <stdexcept>

namespace velora::tools {
namespace {

std::uint64_t number(const std::string& text, const std::string& what) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        throw std::invalid_argument(what + " \"" + text + "\" is not a number");
    return value;
}

Fault parseFault(const std::string& mode) {
    const auto valueAfter = [&](const std::string& prefix) { return mode.substr(prefix.size()); };
    if (mode == "stall") return {Fault::Kind::Stall, 0};
    if (mode == "ignore-range") return {Fault::Kind::IgnoreRange, 0};
    if (mode == "signin-error") return {Fault::Kind::SigninError, 0};
    if (mode.starts_with("cut-after="))
        return {Fault::Kind::CutAfter, number(valueAfter("cut-after="), "--fault cut-after")};
    if (mode.starts_with("status=")) {
        const std::uint64_t status = number(valueAfter("status="), "--fault status");
        if (status < 400 || status > 599)
            throw std::invalid_argument("--fault status must be from 400 to 599");
        return {Fault::Kind::Status, status};
    }
    throw std::invalid_argument("unknown --fault \"" + mode +
                                "\" (cut-after=BYTES, stall, status=CODE, ignore-range or signin-error)");
}

// The first line of the file, without its line end; the password stays off the command line.
std::string credentialsFrom(const std::string& file) {
    std::ifstream stream(file);
    std::string line;
    if (!stream || !std::getline(stream, line))
        throw std::invalid_argument("cannot read --proxy-auth-file " + file);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

const char* ServerOptions::usage() {
    return "usage: velora-repo-server --root DIR [--port N] [--proxy-auth-file FILE] [--accounts FILE]\n"
           "                          [--fault MODE]\n"
           "  --root DIR              the repository folder to serve\n"
           "  --port N                port on 127.0.0.1; 0 (the default) takes a free one\n"
           "  --proxy-auth-file FILE  act as a proxy demanding USER:PASSWORD from FILE's first line\n"
           "                          (or from the variable VELORA_REPO_PROXY_AUTH)\n"
           "  --accounts FILE         sign in the accounts of FILE (JSON) at POST /signin; indexes and\n"
           "                          archives then need a token it issued\n"
           "  --fault MODE            cut-after=BYTES, stall, status=CODE, ignore-range or signin-error\n"
           "The first line printed is \"listening on 127.0.0.1:PORT\".\n";
}

ServerOptions ServerOptions::parse(const std::vector<std::string>& arguments,
                                   const char* environmentCredentials) {
    ServerOptions options;
    if (environmentCredentials != nullptr) options.proxyCredentials = environmentCredentials;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help") {
            options.help = true;
            continue;
        }
        if (name == "--proxy-auth")
            throw std::invalid_argument(
                "--proxy-auth is not accepted: every user of this machine can read a command "
                "line. Use --proxy-auth-file FILE or VELORA_REPO_PROXY_AUTH");
        if (i + 1 >= arguments.size()) throw std::invalid_argument(name + " needs a value");
        const std::string& value = arguments[++i];
        if (name == "--root") {
            options.root = value;
        } else if (name == "--port") {
            const std::uint64_t port = number(value, "--port");
            if (port > 65535) throw std::invalid_argument("--port must be from 0 to 65535");
            options.port = static_cast<int>(port);
        } else if (name == "--proxy-auth-file") {
            options.proxyCredentials = credentialsFrom(value);
        } else if (name == "--accounts") {
            options.accountsFile = value;
        } else if (name == "--fault") {
            options.fault = parseFault(value);
        } else {
            throw std::invalid_argument("unknown option " + name);
        }
    }
    if (!options.help && options.root.empty()) throw std::invalid_argument("--root DIR is required");
    if (!options.proxyCredentials.empty() && options.proxyCredentials.find(':') == std::string::npos)
        throw std::invalid_argument("the proxy credentials must have the form USER:PASSWORD");
    return options;
}

}  // namespace velora::tools
