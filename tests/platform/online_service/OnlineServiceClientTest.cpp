#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "AuthenticatingProxy.h"
#include "LoopbackServer.h"
#include "install/online_service/OnlineServiceClient.h"
#include "install/online_service/ProxyAuthenticationRequiredException.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace install::online_service::test {
namespace {

constexpr char kUser[] = "proxy-user";
constexpr char kPassword[] = "Sekr3t!pw";

class OnlineServiceClientTest : public ::testing::Test {
protected:
    OnlineServiceClientTest()
        : service([this](const HttpRequest&) {
              return LoopbackServer::response(serviceStatus.load(), "Status", "pong");
          }),
          proxy(kUser, kPassword) {}

    // Through the test proxy, whatever the environment says about proxies.
    OnlineServiceSettings throughProxy() const {
        OnlineServiceSettings settings;
        settings.serviceUrl = service.url() + "/ping";
        settings.proxyUrl = proxy.url();
        settings.noProxy = "";
        settings.timeoutSeconds = 10;
        return settings;
    }

    std::atomic<int> serviceStatus{200};
    LoopbackServer service;
    AuthenticatingProxy proxy;
};

TEST_F(OnlineServiceClientTest, WithoutCredentialsTheProxysDemandIsReportedAsSuch) {
    const auto client = createOnlineServiceClient(throughProxy());

    EXPECT_THROW(client->ping("en_US", "KestrelixProductInstaller"), ProxyAuthenticationRequiredException);
    EXPECT_TRUE(service.requests().empty());
}

TEST_F(OnlineServiceClientTest, WrongCredentialsAreReportedWithoutBeingRepeated) {
    const auto client = createOnlineServiceClient(throughProxy());
    client->setProxyCredentials("someone-else", "wrong-pass");

    try {
        client->ping("en_US", "KestrelixProductInstaller");
        FAIL() << "the proxy's refusal was not reported";
    } catch (const ProxyAuthenticationRequiredException& error) {
        EXPECT_THAT(error.what(), Not(HasSubstr("someone-else")));
        EXPECT_THAT(error.what(), Not(HasSubstr("wrong-pass")));
    }
    EXPECT_TRUE(service.requests().empty());
}

TEST_F(OnlineServiceClientTest, TheRightCredentialsReachTheServiceThroughTheProxy) {
    const auto client = createOnlineServiceClient(throughProxy());
    client->setProxyCredentials(kUser, kPassword);

    client->ping("de_DE", "VantapakInstaller");

    const auto atProxy = proxy.requests();
    ASSERT_FALSE(atProxy.empty());
    EXPECT_EQ(atProxy.back().target, service.url() + "/ping?locale=de_DE&client=VantapakInstaller");
    const auto atService = service.requests();
    ASSERT_EQ(atService.size(), 1u);
    EXPECT_EQ(atService[0].target, "/ping?locale=de_DE&client=VantapakInstaller");
    EXPECT_EQ(atService[0].headers.at("user-agent"), "VantapakInstaller");
}

TEST_F(OnlineServiceClientTest, ParametersAreEncodedAndAppendedToAnExistingQuery) {
    OnlineServiceSettings settings = throughProxy();
    settings.serviceUrl += "?v=2";
    const auto client = createOnlineServiceClient(settings);
    client->setProxyCredentials(kUser, kPassword);

    client->ping("zh Hans&x", "Kestrelix");

    ASSERT_EQ(service.requests().size(), 1u);
    EXPECT_EQ(service.requests()[0].target, "/ping?v=2&locale=zh%20Hans%26x&client=Kestrelix");
}

TEST_F(OnlineServiceClientTest, ATunnelRefusedByTheProxyIsAnAuthenticationDemandToo) {
    OnlineServiceSettings settings = throughProxy();
    settings.serviceUrl = "https://127.0.0.1:" + std::to_string(service.port()) + "/ping";
    const auto client = createOnlineServiceClient(settings);

    EXPECT_THROW(client->ping("en_US", "KestrelixProductInstaller"), ProxyAuthenticationRequiredException);
    ASSERT_FALSE(proxy.requests().empty());
    EXPECT_EQ(proxy.requests()[0].method, "CONNECT");
}

TEST_F(OnlineServiceClientTest, AServiceFailureIsAnOrdinaryErrorNamingTheStatus) {
    serviceStatus = 503;
    const auto client = createOnlineServiceClient(throughProxy());
    client->setProxyCredentials(kUser, kPassword);

    try {
        client->ping("en_US", "KestrelixProductInstaller");
        FAIL() << "a failing service counted as reachable";
    } catch (const ProxyAuthenticationRequiredException&) {
        FAIL() << "taken for the proxy's demand";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr("503"));
        EXPECT_THAT(error.what(), Not(HasSubstr(kPassword)));
    }
}

TEST_F(OnlineServiceClientTest, AnUnreachableProxyIsAnOrdinaryErrorWithoutTheCredentials) {
    OnlineServiceSettings settings = throughProxy();
    settings.proxyUrl = "http://" + std::string(kUser) + ":" + kPassword +
                        "@127.0.0.1:" + std::to_string(LoopbackServer::closedPort());
    const auto client = createOnlineServiceClient(settings);
    client->setProxyCredentials(kUser, kPassword);

    try {
        client->ping("en_US", "KestrelixProductInstaller");
        FAIL() << "nothing listens there";
    } catch (const ProxyAuthenticationRequiredException&) {
        FAIL() << "taken for the proxy's demand";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr("Cannot reach the online service"));
        EXPECT_THAT(error.what(), Not(HasSubstr(kPassword)));
        EXPECT_THAT(error.what(), Not(HasSubstr(kUser)));
    }
}

TEST_F(OnlineServiceClientTest, WithoutAProxyTheServiceIsAskedDirectly) {
    OnlineServiceSettings settings;
    settings.serviceUrl = service.url() + "/ping";
    settings.noProxy = "*";  // keeps any proxy of the environment out of the way
    const auto client = createOnlineServiceClient(settings);

    client->ping("en_US", "KestrelixProductInstaller");

    EXPECT_TRUE(proxy.requests().empty());
    EXPECT_EQ(service.requests().size(), 1u);
}

TEST(OnlineServiceClientCreationTest, AClientNeedsAServiceAddress) {
    EXPECT_THROW(createOnlineServiceClient(OnlineServiceSettings{}), std::exception);
}

// createOnlineServiceClient() takes the service and the proxy from the address configuration.
class ConfiguredClientTest : public OnlineServiceClientTest {
protected:
    void SetUp() override {
        if (const char* previous = std::getenv("VELORA_URL_CONFIGURATION")) previous_ = previous;
        file_ = std::filesystem::temp_directory_path() /
                ("urls-" + std::to_string(std::random_device{}()) + ".json");
    }
    void TearDown() override {
        std::filesystem::remove(file_);
        if (previous_.empty()) {
            ::unsetenv("VELORA_URL_CONFIGURATION");
        } else {
            ::setenv("VELORA_URL_CONFIGURATION", previous_.c_str(), 1);
        }
    }
    void configure(const std::string& json) {
        std::ofstream(file_) << json;
        ::setenv("VELORA_URL_CONFIGURATION", file_.c_str(), 1);
    }

    std::filesystem::path file_;
    std::string previous_;
};

TEST_F(ConfiguredClientTest, UsesTheConfiguredServiceAndProxy) {
    configure(R"({"ONLINE_SERVICE": ")" + service.url() + R"(/ping", "PROXY": ")" + proxy.url() + R"("})");
    const auto client = createOnlineServiceClient();

    EXPECT_THROW(client->ping("en_US", "KestrelixProductInstaller"), ProxyAuthenticationRequiredException);
    client->setProxyCredentials(kUser, kPassword);
    client->ping("en_US", "KestrelixProductInstaller");
    EXPECT_EQ(service.requests().size(), 1u);
}

TEST_F(ConfiguredClientTest, AConfigurationWithoutTheServiceIsRefused) {
    configure(R"({"EMBEDDED_SIGNIN": "https://login.example.test"})");
    EXPECT_THROW(createOnlineServiceClient(), std::exception);
}

}  // namespace
}  // namespace install::online_service::test
