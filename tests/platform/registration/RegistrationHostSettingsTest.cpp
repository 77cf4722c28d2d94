#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "RegistrationSandbox.h"
#include "registration/productconfig/RegistrationHostSettings.h"

namespace fs = std::filesystem;

namespace registration::productconfig::test {
namespace {

// Sets session variables for one test and puts the previous values back.
class SessionVariablesTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }
    void set(const std::string& name, const std::optional<std::string>& value) {
        if (!saved_.contains(name)) {
            const char* previous = std::getenv(name.c_str());
            saved_[name] = previous ? std::optional<std::string>(previous) : std::nullopt;
        }
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }

    RegistrationSandbox box;
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(SessionVariablesTest, FollowsTheDesktopTheSessionNamesAndTheDataFolder) {
    const fs::path home = box.root() / "home";
    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs") << "# written by the session\n"
                                                          "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                                                          "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
    set("HOME", home.string());
    set("XDG_CONFIG_HOME", std::nullopt);
    set("XDG_DATA_HOME", (box.root() / "data").string());

    const RegistrationHostSettings settings = RegistrationHostSettings::fromEnvironment();

    EXPECT_EQ(settings.desktopFolder, home / "Schreibtisch");
    EXPECT_EQ(settings.applicationsFolder, box.root() / "data" / "applications");
}

TEST_F(SessionVariablesTest, WithoutSessionFilesTheUsualFoldersOfTheHomeAreUsed) {
    const fs::path home = box.root() / "bare-home";
    set("HOME", home.string());
    set("XDG_CONFIG_HOME", (box.root() / "no-config").string());
    set("XDG_DATA_HOME", "relative/is/ignored");

    const RegistrationHostSettings settings = RegistrationHostSettings::fromEnvironment();

    EXPECT_EQ(settings.desktopFolder, home / "Desktop");
    EXPECT_EQ(settings.applicationsFolder, home / ".local" / "share" / "applications");
}

}  // namespace
}  // namespace registration::productconfig::test
