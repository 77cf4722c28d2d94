// The server's account service: who is signed in, which files need the token, and the same routes
// through its proxy.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "RepositoryServer.h"
#include "support/ScratchFolder.h"

namespace {

using velora::tools::Fault;
using velora::tools::RepositoryServer;
using velora::tools::ServerOptions;

enum class Token { None, Issued, Foreign };
enum class Route { Direct, ProxyWithCredentials, ProxyWithout };

struct AccountCase {
    std::string name;
    std::string method;
    std::string path;
    std::string body;  // for POST
    Token token = Token::None;
    Route route = Route::Direct;
    Fault::Kind fault = Fault::Kind::None;
    int status = 0;
};

constexpr char kRight[] = R"({"email": "Ada@Example.org", "password": "right"})";

class AccountRoutesTest : public ::testing::TestWithParam<AccountCase> {
protected:
    AccountRoutesTest() {
        scratch.writeFile("root/index/2025.1/Release/l64pc.json", "{}");
        scratch.writeFile("root/archives/2025.1/VELORA.enc", "archive");
        scratch.writeFile("root/installers/2025.1/l64pc/setup.zip", "installer");
        scratch.writeFile("accounts.json", R"({"accounts": [{"email": "ada@example.org", "password": "right",
            "firstName": "Ada", "lastName": "Lovelace"}]})");
        ServerOptions options;
        options.root = scratch.path() / "root";
        options.accountsFile = scratch.path() / "accounts.json";
        options.proxyCredentials = "user:proxy-pw";
        options.fault.kind = GetParam().fault;
        server = std::make_unique<RepositoryServer>(options);
        port = server->bind();
        serving = std::thread([this] { server->run(); });
    }
    ~AccountRoutesTest() override {
        server->stop();
        serving.join();
    }

    httplib::Client client(Route route) const {
        httplib::Client client("127.0.0.1", port);
        if (route != Route::Direct) client.set_proxy("127.0.0.1", port);
        if (route == Route::ProxyWithCredentials) client.set_proxy_basic_auth("user", "proxy-pw");
        return client;
    }

    workflow_test::ScratchFolder scratch;
    std::unique_ptr<RepositoryServer> server;
    int port = 0;
    std::thread serving;
};

TEST_P(AccountRoutesTest, AnswersAsTheProtocolSays) {
    const AccountCase& row = GetParam();
    httplib::Client direct = client(Route::Direct);
    std::string token = row.token == Token::Foreign ? "vrs-token-0123" : "";
    if (row.token == Token::Issued) {
        const auto first = direct.Post("/signin", kRight, "application/json");
        const auto second = direct.Post("/signin", kRight, "application/json");
        ASSERT_TRUE(first && second);
        token = nlohmann::json::parse(first->body).at("accessToken");
        EXPECT_NE(token, nlohmann::json::parse(second->body).at("accessToken")) << "a fresh token each time";
    }
    httplib::Client asked = client(row.route);
    if (!token.empty()) asked.set_bearer_token_auth(token);
    const auto answer =
        row.method == "POST" ? asked.Post(row.path, row.body, "application/json") : asked.Get(row.path);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, row.status) << answer->body;
    if (answer->status == 401 && row.method == "GET") {
        EXPECT_EQ(answer->get_header_value("WWW-Authenticate"), R"(Bearer realm="velora-repo-server")");
    }
    if (row.method == "POST" && answer->status == 200) {
        const auto signedIn = nlohmann::json::parse(answer->body);
        EXPECT_EQ(signedIn.at("firstName").get<std::string>() + " " +
                      signedIn.at("lastName").get<std::string>() + " " +
                      signedIn.at("email").get<std::string>(),
                  "Ada Lovelace ada@example.org");
        EXPECT_TRUE(signedIn.at("accessToken").get<std::string>().starts_with("vrs-token-"));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Routes, AccountRoutesTest, ::testing::Values(
    AccountCase{"SignInWithAddressInAnyCase", "POST", "/signin", kRight, Token::None, Route::Direct, Fault::Kind::None, 200},
    AccountCase{"WrongPasswordRefused", "POST", "/signin", R"({"email": "ada@example.org", "password": "Right"})", Token::None, Route::Direct, Fault::Kind::None, 401},
    AccountCase{"UnknownAccountRefused", "POST", "/signin", R"({"email": "bob@example.org", "password": "right"})", Token::None, Route::Direct, Fault::Kind::None, 401},
    AccountCase{"BodyWithoutPasswordIsABadRequest", "POST", "/signin", R"({"email": "ada@example.org"})", Token::None, Route::Direct, Fault::Kind::None, 400},
    AccountCase{"BackEndFault", "POST", "/signin", kRight, Token::None, Route::Direct, Fault::Kind::SigninError, 500},
    AccountCase{"SignInThroughTheProxy", "POST", "/signin", kRight, Token::None, Route::ProxyWithCredentials, Fault::Kind::None, 200},
    AccountCase{"SignInThroughTheProxyWithoutCredentials", "POST", "/signin", kRight, Token::None, Route::ProxyWithout, Fault::Kind::None, 407},
    AccountCase{"IndexWithoutToken", "GET", "/index/2025.1/Release/l64pc.json", "", Token::None, Route::Direct, Fault::Kind::None, 401},
    AccountCase{"IndexWithTokenNotIssued", "GET", "/index/2025.1/Release/l64pc.json", "", Token::Foreign, Route::Direct, Fault::Kind::None, 401},
    AccountCase{"IndexWithIssuedToken", "GET", "/index/2025.1/Release/l64pc.json", "", Token::Issued, Route::Direct, Fault::Kind::None, 200},
    AccountCase{"ArchiveWithoutToken", "GET", "/archives/2025.1/VELORA.enc", "", Token::None, Route::Direct, Fault::Kind::None, 401},
    AccountCase{"ArchiveWithIssuedTokenThroughTheProxy", "GET", "/archives/2025.1/VELORA.enc", "", Token::Issued, Route::ProxyWithCredentials, Fault::Kind::None, 200},
    AccountCase{"InstallersStayPublic", "GET", "/installers/2025.1/l64pc/setup.zip", "", Token::None, Route::Direct, Fault::Kind::None, 200},
    AccountCase{"PingThroughTheProxy", "GET", "/ping?locale=en_US&client=x", "", Token::None, Route::ProxyWithCredentials, Fault::Kind::None, 200}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
