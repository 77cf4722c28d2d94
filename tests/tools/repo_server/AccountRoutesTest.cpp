// The server's account service: who is signed in, and which files need one of its tokens. The
// installer's end-to-end tests go through the same routes by its proxy.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "RepositoryServer.h"
#include "support/ScratchFolder.h"

namespace {

enum class Token { None, Issued, Foreign };

struct RouteCase {
    std::string name;
    std::string method;
    std::string path;
    std::string body;  // for POST
    Token token;
    int status;
};

constexpr char kRight[] = R"({"email": "Ada@Example.org", "password": "right"})";

class AccountRoutesTest : public ::testing::TestWithParam<RouteCase> {
protected:
    AccountRoutesTest() {
        for (const char* file : {"index/2025.1/Release/l64pc.json", "archives/2025.1/VELORA.enc",
                                 "installers/2025.1/l64pc/setup.zip"})
            scratch.writeFile(std::string("root/") + file, "{}");
        velora::tools::ServerOptions options;
        options.root = scratch.path() / "root";
        options.accountsFile =
            scratch.writeFile("accounts.json", R"({"accounts": [{"email": "ada@example.org",
            "password": "right", "firstName": "Ada", "lastName": "Lovelace"}]})");
        server = std::make_unique<velora::tools::RepositoryServer>(options);
        port = server->bind();
        serving = std::thread([this] { server->run(); });
    }
    ~AccountRoutesTest() override {
        server->stop();
        serving.join();
    }

    workflow_test::ScratchFolder scratch;
    std::unique_ptr<velora::tools::RepositoryServer> server;
    int port = 0;
    std::thread serving;
};

TEST_P(AccountRoutesTest, AnswersAsTheProtocolSays) {
    const RouteCase& row = GetParam();
    httplib::Client client("127.0.0.1", port);
    std::string token = row.token == Token::Foreign ? "vrs-token-0123" : "";
    if (row.token == Token::Issued) {
        for (int signIn = 0; signIn < 2; ++signIn) {
            const auto answer = client.Post("/signin", kRight, "application/json");
            ASSERT_TRUE(answer);
            EXPECT_NE(token, nlohmann::json::parse(answer->body).at("accessToken"))
                << "a fresh token each time";
            token = nlohmann::json::parse(answer->body).at("accessToken");
        }
    }
    if (!token.empty()) client.set_bearer_token_auth(token);
    const auto answer =
        row.method == "POST" ? client.Post(row.path, row.body, "application/json") : client.Get(row.path);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, row.status) << answer->body;
    if (answer->status == 401 && row.method == "GET") {
        EXPECT_EQ(answer->get_header_value("WWW-Authenticate"), R"(Bearer realm="velora-repo-server")");
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Routes, AccountRoutesTest, ::testing::Values(
    RouteCase{"SignInWithTheAddressInAnyCase", "POST", "/signin", kRight, Token::None, 200},
    RouteCase{"UnknownAccountRefused", "POST", "/signin", R"({"email": "bob@example.org", "password": "right"})", Token::None, 401},
    RouteCase{"BodyWithoutPasswordIsABadRequest", "POST", "/signin", R"({"email": "ada@example.org"})", Token::None, 400},
    RouteCase{"IndexWithoutToken", "GET", "/index/2025.1/Release/l64pc.json", "", Token::None, 401},
    RouteCase{"IndexWithATokenNotIssued", "GET", "/index/2025.1/Release/l64pc.json", "", Token::Foreign, 401},
    RouteCase{"IndexWithAnIssuedToken", "GET", "/index/2025.1/Release/l64pc.json", "", Token::Issued, 200},
    RouteCase{"ArchiveWithoutToken", "GET", "/archives/2025.1/VELORA.enc", "", Token::None, 401},
    RouteCase{"InstallersStayPublic", "GET", "/installers/2025.1/l64pc/setup.zip", "", Token::None, 200},
    RouteCase{"PingWithoutToken", "GET", "/ping?locale=en_US&client=x", "", Token::None, 200}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
