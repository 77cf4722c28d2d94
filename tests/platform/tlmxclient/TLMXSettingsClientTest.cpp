// The usage-data settings answered from a settings file.
#include "install/tlmxclient/TLMXSettingsClient.h"

#include <gtest/gtest.h>

#include "EnvironmentOverride.h"
#include "ScratchFolder.h"

namespace install::tlmxclient {
namespace {

using install::test::EnvironmentOverride;
using install::test::ScratchFolder;

class TLMXSettingsClientTest : public testing::Test {
protected:
    TLMXSettingsClient clientWith(const std::string& json) const {
        return TLMXSettingsClient(folder.writeFile("usage.json", json));
    }

    ScratchFolder folder;
};

TEST_F(TLMXSettingsClientTest, WithoutAFileTheCheckboxIsShownChangeableAndUnticked) {
    const TLMXSettingsClient client(folder.path() / "absent.json");
    const TLMXSettingsClientResponse expected(true, true, false);
    EXPECT_EQ(client.getSettings("R2031a"), expected);
    EXPECT_EQ(client.getSettings("VPI", "R2031a", "token"), expected);
}

TEST_F(TLMXSettingsClientTest, TheDefaultEntryOverridesTheBuiltInAnswersFieldByField) {
    const auto client = clientWith(R"({"default": {"checked": true}})");
    EXPECT_EQ(client.getSettings("R2031a"), TLMXSettingsClientResponse(true, true, true));
}

TEST_F(TLMXSettingsClientTest, AReleaseEntryOverridesTheDefaultForThatReleaseOnly) {
    const auto client = clientWith(R"({"default": {"selectable": false},
                                       "releases": {"R2031a": {"shown": false}}})");
    EXPECT_EQ(client.getSettings("R2031a"), TLMXSettingsClientResponse(false, false, false));
    EXPECT_EQ(client.getSettings("VPI", "R2031a", ""), TLMXSettingsClientResponse(false, false, false));
    EXPECT_EQ(client.getSettings("R2030b"), TLMXSettingsClientResponse(true, false, false));
}

TEST_F(TLMXSettingsClientTest, ProxyCredentialsDoNotChangeTheAnswer) {
    auto client = clientWith(R"({"default": {"checked": true}})");
    client.setProxyCredentials("user", "secret");
    EXPECT_EQ(client.getSettings("R2031a"), TLMXSettingsClientResponse(true, true, true));
}

class BrokenSettingsTest : public TLMXSettingsClientTest, public testing::WithParamInterface<const char*> {};

TEST_P(BrokenSettingsTest, AnUnreadableFileIsReported) {
    const auto client = clientWith(GetParam());
    EXPECT_THROW(client.getSettings("R2031a"), TLMXSettingsClientException);
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenSettingsTest,
                         testing::Values("not json", "[1, 2]", R"({"default": {"shown": "yes"}})",
                                         R"({"default": 3})", R"({"releases": []})",
                                         R"({"releases": {"R2031a": {"checked": 1}}})"));

TEST_F(TLMXSettingsClientTest, TheFactoryClientReadsTheFileTheEnvironmentNames) {
    EnvironmentOverride environment;
    environment.set("VELORA_USAGE_DATA_SETTINGS",
                    folder.writeFile("named.json", R"({"default": {"shown": false}})"));
    EXPECT_EQ(TLMXSettingsClient::defaultSettingsFile(), folder.path() / "named.json");
    const auto client = createTLMXSettingsClientFactory()->createClient();
    EXPECT_FALSE(client->getSettings("R2031a").isTLMXCheckboxShown());
}

}  // namespace
}  // namespace install::tlmxclient
