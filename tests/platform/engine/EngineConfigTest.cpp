#include "install/engine/EngineConfig.h"

#include <gtest/gtest.h>

namespace install::engine {
namespace {

TEST(EngineConfigTest, KeepsTheProxyCredentials) {
    EngineConfig config;
    EXPECT_FALSE(config.hasProxySettings());
    config.setProxySettings("proxy-user", "secret");
    EXPECT_TRUE(config.hasProxySettings());
    EXPECT_EQ(config.getProxyUserName(), "proxy-user");
    EXPECT_EQ(config.getProxyPassword(), "secret");
}

}  // namespace
}  // namespace install::engine
