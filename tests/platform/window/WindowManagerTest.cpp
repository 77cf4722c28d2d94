#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/window/WindowManager.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::Pair;

namespace framework::window {
namespace {

class WindowManagerTest : public ::testing::Test {
protected:
    ProxyCredentialsSink recorder() {
        return [this](const std::string& user, const std::string& password) {
            received.emplace_back(user, password);
        };
    }

    std::vector<std::pair<std::string, std::string>> received;
};

TEST_F(WindowManagerTest, WithNobodyToTakeTheCredentialsItThrowsWithoutRepeatingThem) {
    try {
        WindowManager().applyProxyInfoToCEF("alice", "pa55-w0rd");
        FAIL() << "credentials went nowhere silently";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), Not(HasSubstr("alice")));
        EXPECT_THAT(error.what(), Not(HasSubstr("pa55-w0rd")));
    }
}

TEST_F(WindowManagerTest, HandsTheCredentialsUnchangedToTheInstalledSink) {
    const auto registration = WindowManager::installProxyCredentialsSink(recorder());

    WindowManager().applyProxyInfoToCEF("DOMAIN\\j\xc3\xbcrgen", "p@ss:w/rd");

    EXPECT_THAT(received, ElementsAre(Pair("DOMAIN\\j\xc3\xbcrgen", "p@ss:w/rd")));
}

TEST_F(WindowManagerTest, AManagerMadeBeforeTheInstallationFindsTheSink) {
    const WindowManager early;
    const auto registration = WindowManager::installProxyCredentialsSink(recorder());

    early.applyProxyInfoToCEF("u", "p");

    EXPECT_EQ(received.size(), 1u);
}

TEST_F(WindowManagerTest, EndingTheRegistrationUninstallsTheSink) {
    { const auto registration = WindowManager::installProxyCredentialsSink(recorder()); }
    EXPECT_THROW(WindowManager().applyProxyInfoToCEF("u", "p"), std::runtime_error);

    auto registration = WindowManager::installProxyCredentialsSink(recorder());
    registration.release();
    EXPECT_THROW(WindowManager().applyProxyInfoToCEF("u", "p"), std::runtime_error);
    EXPECT_TRUE(received.empty());
}

TEST_F(WindowManagerTest, ALaterInstallationSurvivesTheEndOfAnEarlierOne) {
    std::vector<std::string> earlierCalls;
    auto earlier = WindowManager::installProxyCredentialsSink(
        [&](const std::string& user, const std::string&) { earlierCalls.push_back(user); });
    const auto later = WindowManager::installProxyCredentialsSink(recorder());

    earlier.release();
    WindowManager().applyProxyInfoToCEF("u", "p");

    EXPECT_TRUE(earlierCalls.empty());
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(WindowManagerTest, AMovedRegistrationKeepsTheSinkInstalled) {
    ProxySinkRegistration kept;
    {
        auto registration = WindowManager::installProxyCredentialsSink(recorder());
        kept = std::move(registration);
    }
    WindowManager().applyProxyInfoToCEF("u", "p");
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(WindowManagerTest, AManagerWithItsOwnSinkIgnoresTheInstalledOne) {
    std::vector<std::string> ownCalls;
    const auto registration = WindowManager::installProxyCredentialsSink(recorder());
    const WindowManager manager(
        [&](const std::string& user, const std::string&) { ownCalls.push_back(user); });

    manager.applyProxyInfoToCEF("own", "p");

    EXPECT_THAT(ownCalls, ElementsAre("own"));
    EXPECT_TRUE(received.empty());
}

TEST_F(WindowManagerTest, ASinkRefusalReachesTheCaller) {
    const auto registration = WindowManager::installProxyCredentialsSink(
        [](const std::string&, const std::string&) { throw std::runtime_error("browser process is gone"); });

    EXPECT_THROW(WindowManager().applyProxyInfoToCEF("u", "p"), std::runtime_error);
}

}  // namespace
}  // namespace framework::window
