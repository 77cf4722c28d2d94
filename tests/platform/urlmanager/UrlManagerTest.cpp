#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "foundation/urlmanager/UrlManager.h"
#include "foundation/urlmanager/UrlNotFoundError.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace foundation::urlmanager {
namespace {

class UrlManagerTest : public ::testing::Test {
protected:
    UrlManagerTest()
        : folder_(fs::temp_directory_path() / ("urls-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(folder_);
    }
    ~UrlManagerTest() override { fs::remove_all(folder_); }

    fs::path configuration(const std::string& text) {
        const fs::path file = folder_ / "urls.json";
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }

    fs::path folder_;
};

TEST_F(UrlManagerTest, AnswersTheAddressesOfTheConfigurationByKey) {
    const auto manager = createUrlManager(configuration(R"({
        "EMBEDDED_SIGNIN": "https://login.example.test/embedded?lang=de",
        "ONLINE_SERVICE": "https://service.example.test/ping",
        "HELP": "https://example.test/hilfe/\u00fcbersicht"
    })"));

    EXPECT_EQ(manager->getUrl(EMBEDDED_SIGNIN), "https://login.example.test/embedded?lang=de");
    EXPECT_EQ(manager->getUrl(ONLINE_SERVICE), "https://service.example.test/ping");
    EXPECT_EQ(manager->getUrl("HELP"),
              "https://example.test/hilfe/\xc3\xbc"
              "bersicht");
    EXPECT_TRUE(manager->hasUrl(EMBEDDED_SIGNIN));
    EXPECT_FALSE(manager->hasUrl(PROXY));
}

TEST_F(UrlManagerTest, AMissingKeyThrowsAStandardExceptionNamingIt) {
    const auto manager =
        createUrlManager(configuration(R"({"ONLINE_SERVICE": "https://service.example.test"})"));

    try {
        manager->getUrl(EMBEDDED_SIGNIN);
        FAIL() << "an address was invented";
    } catch (const UrlNotFoundError& error) {
        EXPECT_EQ(error.key(), EMBEDDED_SIGNIN);
        EXPECT_THAT(error.what(), HasSubstr("EMBEDDED_SIGNIN"));
    }
    EXPECT_THROW(manager->getUrl("embedded_signin"), std::exception) << "keys are case-sensitive";
}

struct BadConfiguration {
    const char* title;
    const char* text;
    const char* mentioned;
};

class UrlManagerBadConfigurationTest : public UrlManagerTest,
                                       public ::testing::WithParamInterface<BadConfiguration> {};

TEST_P(UrlManagerBadConfigurationTest, RefusesTheFileWithAReason) {
    const fs::path file = configuration(GetParam().text);
    try {
        createUrlManager(file);
        FAIL() << "accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr(file.string()));
        EXPECT_THAT(error.what(), HasSubstr(GetParam().mentioned));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, UrlManagerBadConfigurationTest,
    ::testing::Values(BadConfiguration{"NotJson", "EMBEDDED_SIGNIN=https://x", "not valid JSON"},
                      BadConfiguration{"Array", R"(["https://x"])", "one object"},
                      BadConfiguration{"NumberValue", R"({"EMBEDDED_SIGNIN": 42})", "EMBEDDED_SIGNIN"},
                      BadConfiguration{"NestedValue", R"({"ONLINE_SERVICE": {"url": "https://x"}})",
                                       "ONLINE_SERVICE"}),
    [](const ::testing::TestParamInfo<BadConfiguration>& info) { return std::string(info.param.title); });

TEST_F(UrlManagerTest, AMissingFileIsAnErrorNamingIt) {
    EXPECT_THROW(createUrlManager(folder_ / "absent.json"), std::runtime_error);
}

// The variable is the host's way to point every component at one file.
class DefaultConfigurationTest : public UrlManagerTest {
protected:
    void SetUp() override {
        if (const char* previous = std::getenv("VELORA_URL_CONFIGURATION")) previous_ = previous;
    }
    void TearDown() override {
        if (previous_.empty()) {
            ::unsetenv("VELORA_URL_CONFIGURATION");
        } else {
            ::setenv("VELORA_URL_CONFIGURATION", previous_.c_str(), 1);
        }
    }
    std::string previous_;
};

TEST_F(DefaultConfigurationTest, TheVariableNamesTheFileCreateUrlManagerReads) {
    const fs::path file = configuration(R"({"EMBEDDED_SIGNIN": "https://login.example.test"})");
    ::setenv("VELORA_URL_CONFIGURATION", file.c_str(), 1);

    EXPECT_EQ(UrlManager::defaultConfigurationFile(), file);
    EXPECT_EQ(createUrlManager()->getUrl(EMBEDDED_SIGNIN), "https://login.example.test");
}

TEST_F(DefaultConfigurationTest, WithoutTheVariableTheFileLiesBesideTheProgram) {
    ::unsetenv("VELORA_URL_CONFIGURATION");
    const fs::path program = fs::read_symlink("/proc/self/exe");

    EXPECT_EQ(UrlManager::defaultConfigurationFile(), program.parent_path() / "urls.json");
}

}  // namespace
}  // namespace foundation::urlmanager
