// The account's minimal product set, answered from a settings file.
#include "install/account_service/AccountServiceClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "EnvironmentOverride.h"
#include "ScratchFolder.h"

namespace install::account_service {
namespace {

using install::test::EnvironmentOverride;
using install::test::ScratchFolder;
using testing::ElementsAre;
using testing::IsEmpty;

class AccountServiceClientTest : public testing::Test {
protected:
    AccountServiceClient clientWith(const std::string& json) const {
        return AccountServiceClient(folder.writeFile("account.json", json));
    }

    ScratchFolder folder;
};

TEST_F(AccountServiceClientTest, AnAccountWithoutSettingsHasNoMinimalSet) {
    EXPECT_THAT(AccountServiceClient(folder.path() / "absent.json").getMinimalProductSet("R2031a"),
                IsEmpty());
    EXPECT_THAT(clientWith("{}").getMinimalProductSet("R2031a"), IsEmpty());
}

TEST_F(AccountServiceClientTest, TheConfiguredSetIsReturnedInItsOrder) {
    EXPECT_THAT(
        clientWith(R"({"minimalProducts": ["VELORA_COMPILER", "VELORA"]})").getMinimalProductSet("R2031a"),
        ElementsAre("VELORA_COMPILER", "VELORA"));
}

TEST_F(AccountServiceClientTest, ASetForOneReleaseIsNotGivenForAnother) {
    const auto client = clientWith(R"({"minimalProducts": ["VELORA"], "releaseFamily": "R2031a"})");
    EXPECT_THAT(client.getMinimalProductSet("R2031a"), ElementsAre("VELORA"));
    EXPECT_THAT(client.getMinimalProductSet("R2030b"), IsEmpty());
}

class BrokenSettingsTest : public AccountServiceClientTest,
                           public testing::WithParamInterface<const char*> {};

TEST_P(BrokenSettingsTest, SettingsThatCannotBeReadAreReported) {
    EXPECT_THROW(clientWith(GetParam()).getMinimalProductSet("R2031a"), AccountServiceException);
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenSettingsTest,
                         testing::Values("nope", "[]", R"({"minimalProducts": "VELORA"})",
                                         R"({"minimalProducts": [1]})", R"({"releaseFamily": 2031})"));

TEST_F(AccountServiceClientTest, TheDefaultSettingsAreTheOnesTheEnvironmentNames) {
    EnvironmentOverride environment;
    environment.set("VELORA_ACCOUNT_SERVICE_SETTINGS",
                    folder.writeFile("named.json", R"({"minimalProducts": ["A"]})"));
    EXPECT_THAT(AccountServiceClient().getMinimalProductSet("R2031a"), ElementsAre("A"));
}

}  // namespace
}  // namespace install::account_service
