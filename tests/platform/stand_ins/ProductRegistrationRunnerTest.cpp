// Registration of an installation with the desktop session, on real folders of the test's own.
#include "registration/productconfig/ProductRegistrationRunner.h"

#include <gmock/gmock.h>

#include <regex>

#include "fl/i18n/TextConversion.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"

namespace registration::productconfig {
namespace {

namespace fs = std::filesystem;
using testing::AllOf, testing::HasSubstr;
using workflow_test::readText;
using Options = std::map<std::string, std::string>;

// An installation with two programs, a text file, a link and a folder in bin/, and a session's desktop
// and applications menu, all below one scratch folder.
class RegistrationTest : public testing::Test {
protected:
    RegistrationTest() {
        for (const char* name : {"velora", "helper", "readme.txt"})
            scratch.writeFile(install / "bin" / name, "#!/bin/sh\n");
        fs::permissions(install / "bin" / "velora", fs::perms::owner_exec, fs::perm_options::add);
        fs::permissions(install / "bin" / "helper", fs::perms::others_exec, fs::perm_options::add);
        fs::create_symlink("helper", install / "bin" / "helper-alias");
        for (const fs::path& folder : {install / "bin" / "sub", desktop, menu})
            fs::create_directories(folder);
    }
    ProductRegistrationRunner runner(Options options, const fs::path& root) const {
        options.insert({{"veloraroot", root.string()}, {"sessionkey", "abc"}, {"setfileassoc", "true"}});
        return ProductRegistrationRunner(options, RegistrationHostSettings{desktop, menu});
    }
    std::string notes(const Options& options) const {
        const auto registration = runner(options, install);
        registration.runRegistrationCommands();
        return fl::i18n::to_string(registration.getInstallationNotes({u"CORE", u"FLOWMERE"}));
    }

    workflow_test::ScratchFolder scratch;
    const fs::path install = scratch.path() / "opt" / "2026.1", desktop = scratch.path() / "Desktop",
                   menu = scratch.path() / "apps", commands = scratch.path() / "bin";
    // The launcher's name follows the installation folder, so that two installations do not collide;
    // separators become '-' and other punctuation '_'.
    const std::string launcher =
        "velora" + std::regex_replace(scratch.path().string(), std::regex("/"), "-") + "-opt-2026_1.desktop";
};

TEST_F(RegistrationTest, LaunchersLinksAndNotesPointAtTheProductsPrograms) {
    EXPECT_EQ(
        notes({{"desktopshortcutselected", "true"}, {"startmenushortcut", "true"}, {"symlink", commands}}),
        "Installed in " + install.string() + ": CORE, FLOWMERE.\nDesktop shortcut: " +
            (desktop / launcher).string() + "\nApplications menu entry: " + (menu / launcher).string() +
            "\nCommands linked in " + commands.string() + ": helper, helper-alias, velora");
    EXPECT_THAT(readText(desktop / launcher),
                AllOf(HasSubstr("[Desktop Entry]\nType=Application\n"), HasSubstr("Name=Velora 2026.1\n"),
                      HasSubstr("Exec=" + (install / "bin" / "velora").string() + "\n")));
    EXPECT_NE(fs::status(desktop / launcher).permissions() & fs::perms::owner_exec, fs::perms::none)
        << "desktops trust only those";
    EXPECT_THAT(readText(menu / launcher), HasSubstr("Categories=Development;Science;\n"));
    EXPECT_EQ(fs::read_symlink(commands / "helper-alias"), install / "bin" / "helper-alias");
    EXPECT_THAT(notes({{"skiposcommands", "true"}, {"desktopshortcutselected", "true"}}),
                HasSubstr("left unchanged"));
    notes({{"desktopshortcutselected", "true"},
           {"vantapakapplicationname", "Signal Viewer"},
           {"vantapakapplicationfilepath", "/opt/Signal Viewer/run"},
           {"vantapakapplicationiconfilepath", "/opt/icon.png"}});
    EXPECT_THAT(readText(desktop / "vantapak-Signal-Viewer.desktop"),
                AllOf(HasSubstr("Name=Signal Viewer\n"), HasSubstr("Exec=\"/opt/Signal Viewer/run\"\n"),
                      HasSubstr("Icon=/opt/icon.png\n")));
}

TEST_F(RegistrationTest, AnEarlierLinkIsReplacedAForeignFileLeftAloneAndOneFailureStopsNoOtherAction) {
    fs::create_directories(commands);
    fs::create_symlink("/nonexistent/old/velora", commands / "velora");
    scratch.writeFile(commands / "helper", "somebody else's");
    EXPECT_THAT(
        [&] {
            notes({{"symlink", commands}});
        },
        testing::ThrowsMessage<std::runtime_error>(
            AllOf(HasSubstr("helper: "), testing::Not(HasSubstr("velora: ")))));
    EXPECT_EQ(fs::read_symlink(commands / "velora"), install / "bin" / "velora");
    EXPECT_EQ(readText(commands / "helper"), "somebody else's");

    const fs::path empty = scratch.path() / "opt" / "Empty";
    fs::create_directories(empty);
    fs::remove_all(commands);
    const auto registration = runner(
        {{"desktopshortcutselected", "true"}, {"startmenushortcut", "true"}, {"symlink", commands}}, empty);
    EXPECT_THAT([&] { registration.runRegistrationCommands(); },
                testing::ThrowsMessage<std::runtime_error>(
                    AllOf(HasSubstr("Desktop shortcut: no program in " + (empty / "bin").string()),
                          HasSubstr("Applications menu entry: no program"))));
    EXPECT_TRUE(fs::is_directory(commands)) << "the links were still attempted";
}

// Exec needs quoting for paths a shell would split or expand; the file format escapes each backslash once
// more.
TEST_F(RegistrationTest, TheProgramPathSurvivesTheLauncherFormat) {
    for (const auto& [folder, exec] :
         {std::pair{"plain", "@/plain/bin/velora"}, std::pair{"with space", "\"@/with space/bin/velora\""},
          std::pair{"cost$5", "\"@/cost\\\\$5/bin/velora\""}, std::pair{"100%", "@/100%%/bin/velora"},
          std::pair{"say \"hi\"", "\"@/say \\\\\"hi\\\\\"/bin/velora\""}}) {
        const fs::path root = scratch.path() / "opt" / folder;
        fs::permissions(scratch.writeFile(root / "bin" / "velora", ""), fs::perms::owner_exec,
                        fs::perm_options::add);
        runner({{"startmenushortcut", "true"}}, root).runRegistrationCommands();
        ASSERT_FALSE(fs::is_empty(menu)) << folder;
        const fs::path entry = fs::directory_iterator(menu)->path();
        std::string expected = exec;
        EXPECT_THAT(
            readText(entry),
            HasSubstr("\nExec=" + expected.replace(expected.find('@'), 1, root.parent_path()) + "\n"));
        fs::remove(entry);
    }
}

TEST(RegistrationHostSettings, FollowTheDesktopTheSessionNamesAndTheDataFolderElseTheHomesUsualOnes) {
    workflow_test::ScratchFolder home;
    using Environment = workflow_test::ScopedEnvironmentVariable;
    const Environment homeVariable("HOME", home.path().string()),
        desktop("VELORA_DESKTOP_FOLDER", std::nullopt), menu("VELORA_APPLICATIONS_FOLDER", std::nullopt),
        config("XDG_CONFIG_HOME", std::nullopt), data("XDG_DATA_HOME", "relative");
    EXPECT_EQ(RegistrationHostSettings::fromEnvironment().applicationsFolder,
              home.path() / ".local/share/applications");
    home.writeFile(".config/user-dirs.dirs",
                   "# written by the session\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    const Environment dataHome("XDG_DATA_HOME", (home.path() / "data").string());
    const auto settings = RegistrationHostSettings::fromEnvironment();
    EXPECT_EQ(settings.desktopFolder, home.path() / "Schreibtisch");
    EXPECT_EQ(settings.applicationsFolder, home.path() / "data/applications");
}

}  // namespace
}  // namespace registration::productconfig
