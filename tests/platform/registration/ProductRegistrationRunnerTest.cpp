#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "RegistrationSandbox.h"
#include "fl/i18n/TextConversion.h"
#include "registration/productconfig/ProductRegistrationRunner.h"

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace registration::productconfig::test {
namespace {

class ProductRegistrationRunnerTest : public ::testing::Test {
protected:
    ProductRegistrationRunnerTest() {
        box.program("velora");
        box.program("helper");
        box.program("readme.txt", fs::perms(0644));
        fs::create_symlink("helper", box.install() / "bin" / "helper-alias");
    }

    std::map<std::string, std::string> options(std::map<std::string, std::string> extra = {}) const {
        std::map<std::string, std::string> all{{"veloraroot", box.install().string()},
                                               {"sessionkey", "abc123"},
                                               {"symlink", ""},
                                               {"desktopshortcutselected", "false"},
                                               {"startmenushortcut", "false"},
                                               {"skiposcommands", "false"},
                                               {"setfileassoc", "true"},
                                               {"createacceltask", "true"},
                                               {"improvevelora", "false"},
                                               {"runveloratlmx", "true"}};
        for (auto& [key, value] : extra) all[key] = value;
        return all;
    }
    ProductRegistrationRunner runner(std::map<std::string, std::string> extra = {}) const {
        return ProductRegistrationRunner(options(std::move(extra)),
                                         RegistrationHostSettings{box.desktop(), box.menu()});
    }
    std::string notes(const ProductRegistrationRunner& registration) const {
        return fl::i18n::to_string(registration.getInstallationNotes({u"CORE", u"TOOLBOX_A"}));
    }

    RegistrationSandbox box;
};

std::string launcherFile(const fs::path& installFolder) {
    std::string id = installFolder.relative_path().generic_string();
    for (char& c : id) {
        if (c == '/') c = '-';
    }
    return "velora-" + id + ".desktop";
}

TEST_F(ProductRegistrationRunnerTest, ADesktopShortcutStartsTheProductsLauncher) {
    runner({{"desktopshortcutselected", "true"}}).runRegistrationCommands();

    const fs::path shortcut = box.desktop() / launcherFile(box.install());
    ASSERT_TRUE(fs::is_regular_file(shortcut));
    EXPECT_THAT(RegistrationSandbox::read(shortcut),
                AllOf(HasSubstr("[Desktop Entry]\n"), HasSubstr("Type=Application\n"),
                      HasSubstr("Name=Velora R2026a\n"),
                      HasSubstr("Exec=" + (box.install() / "bin" / "velora").string() + "\n")));
    EXPECT_NE(fs::status(shortcut).permissions() & fs::perms::owner_exec, fs::perms::none)
        << "desktops only trust executable launchers";
    EXPECT_TRUE(fs::is_empty(box.menu()));
    EXPECT_FALSE(fs::exists(box.commands()));
}

TEST_F(ProductRegistrationRunnerTest, AMenuEntryGoesToTheApplicationsFolderOnly) {
    runner({{"startmenushortcut", "true"}}).runRegistrationCommands();

    const fs::path entry = box.menu() / launcherFile(box.install());
    ASSERT_TRUE(fs::is_regular_file(entry));
    EXPECT_THAT(RegistrationSandbox::read(entry), HasSubstr("Categories=Development;Science;\n"));
    EXPECT_TRUE(fs::is_empty(box.desktop()));
}

TEST_F(ProductRegistrationRunnerTest, CommandLinksPointAtEveryProgramOfBin) {
    runner({{"symlink", box.commands().string()}}).runRegistrationCommands();

    std::map<std::string, fs::path> links;
    for (const auto& item : fs::directory_iterator(box.commands())) {
        ASSERT_TRUE(item.is_symlink()) << item.path();
        links[item.path().filename().string()] = fs::read_symlink(item.path());
    }
    const fs::path bin = box.install() / "bin";
    EXPECT_EQ(links, (std::map<std::string, fs::path>{{"helper", bin / "helper"},
                                                      {"helper-alias", bin / "helper-alias"},
                                                      {"velora", bin / "velora"}}));
}

TEST_F(ProductRegistrationRunnerTest, AnEarlierLinkIsReplacedButAForeignFileIsLeftAlone) {
    fs::create_directories(box.commands());
    fs::create_symlink("/nonexistent/old/velora", box.commands() / "velora");
    std::ofstream(box.commands() / "helper") << "somebody else's";
    const ProductRegistrationRunner registration = runner({{"symlink", box.commands().string()}});

    try {
        registration.runRegistrationCommands();
        FAIL() << "the foreign file went unreported";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), AllOf(HasSubstr("helper"), Not(HasSubstr("velora:"))));
    }

    EXPECT_EQ(fs::read_symlink(box.commands() / "velora"), box.install() / "bin" / "velora");
    EXPECT_EQ(RegistrationSandbox::read(box.commands() / "helper"), "somebody else's");
    EXPECT_THAT(notes(registration), HasSubstr("helper-alias, velora"));
}

TEST_F(ProductRegistrationRunnerTest, SkippingOperatingSystemCommandsChangesNothing) {
    const auto before = box.outsideInstallation();
    const ProductRegistrationRunner registration = runner({{"skiposcommands", "true"},
                                                           {"desktopshortcutselected", "true"},
                                                           {"startmenushortcut", "true"},
                                                           {"symlink", box.commands().string()}});

    registration.runRegistrationCommands();

    EXPECT_EQ(box.outsideInstallation(), before);
    EXPECT_THAT(notes(registration), HasSubstr("left unchanged"));
}

TEST_F(ProductRegistrationRunnerTest, WithNothingSelectedNothingIsCreated) {
    const auto before = box.outsideInstallation();
    runner().runRegistrationCommands();
    EXPECT_EQ(box.outsideInstallation(), before);
}

TEST_F(ProductRegistrationRunnerTest, OneFailingActionDoesNotStopTheOthers) {
    RegistrationSandbox empty("Empty");
    fs::remove_all(empty.install() / "bin");
    std::map<std::string, std::string> settings = options({{"desktopshortcutselected", "true"},
                                                           {"startmenushortcut", "true"},
                                                           {"symlink", box.commands().string()}});
    settings["veloraroot"] = empty.install().string();
    // No desktop known to the host, but a menu folder and a command folder.
    const ProductRegistrationRunner registration(settings, RegistrationHostSettings{{}, box.menu()});

    try {
        registration.runRegistrationCommands();
        FAIL() << "a product without programs was registered";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), AllOf(HasSubstr("Desktop shortcut"), HasSubstr("Applications menu entry"),
                                        HasSubstr((empty.install() / "bin").string())));
    }
    EXPECT_TRUE(fs::is_empty(box.menu()));
}

TEST_F(ProductRegistrationRunnerTest, APackagedApplicationGetsItsOwnLaunchers) {
    const ProductRegistrationRunner registration =
        runner({{"desktopshortcutselected", "true"},
                {"vantapakapplicationname", "Signal Viewer"},
                {"vantapakapplicationfilepath", "/opt/apps/Signal Viewer/run"},
                {"vantapakapplicationiconfilepath", "/opt/apps/Signal Viewer/icon.png"}});

    registration.runRegistrationCommands();

    const std::string text = RegistrationSandbox::read(box.desktop() / "vantapak-Signal-Viewer.desktop");
    EXPECT_THAT(text,
                AllOf(HasSubstr("Name=Signal Viewer\n"), HasSubstr("Exec=\"/opt/apps/Signal Viewer/run\"\n"),
                      HasSubstr("Icon=/opt/apps/Signal Viewer/icon.png\n")));
}

TEST_F(ProductRegistrationRunnerTest, NotesNameTheProductsTheFolderAndWhatWasPlaced) {
    const ProductRegistrationRunner registration = runner({{"desktopshortcutselected", "true"},
                                                           {"startmenushortcut", "true"},
                                                           {"symlink", box.commands().string()}});
    EXPECT_EQ(notes(registration), "Installed in " + box.install().string() + ": CORE, TOOLBOX_A.");

    registration.runRegistrationCommands();

    const std::string text = notes(registration);
    EXPECT_THAT(
        text,
        AllOf(HasSubstr("Installed in " + box.install().string() + ": CORE, TOOLBOX_A."),
              HasSubstr("Desktop shortcut: " + (box.desktop() / launcherFile(box.install())).string()),
              HasSubstr("Applications menu entry: " + (box.menu() / launcherFile(box.install())).string()),
              HasSubstr("Commands linked in " + box.commands().string() + ": helper, helper-alias, velora")));
    EXPECT_THAT(fl::i18n::to_string(registration.getInstallationNotes({})),
                HasSubstr("No products were installed"));
}

// Exec needs quoting for paths a shell would split or expand; the file format then escapes
// each backslash once more.
struct ExecCase {
    const char* installName;
    const char* expectedExecTail;
};

class ExecQuotingTest : public ::testing::TestWithParam<ExecCase> {};

TEST_P(ExecQuotingTest, TheProgramPathSurvivesTheLauncherFormat) {
    RegistrationSandbox box(GetParam().installName);
    box.program("velora");
    const std::map<std::string, std::string> options{{"veloraroot", box.install().string()},
                                                     {"startmenushortcut", "true"}};
    ProductRegistrationRunner(options, RegistrationHostSettings{box.desktop(), box.menu()})
        .runRegistrationCommands();

    ASSERT_EQ(std::distance(fs::directory_iterator(box.menu()), fs::directory_iterator()), 1);
    const std::string text = RegistrationSandbox::read(fs::directory_iterator(box.menu())->path());
    const std::string parent = box.install().parent_path().string();
    EXPECT_THAT(text, HasSubstr("\nExec=" +
                                std::string(GetParam().expectedExecTail)
                                    .replace(std::string(GetParam().expectedExecTail).find("@"), 1, parent) +
                                "\n"));
}

INSTANTIATE_TEST_SUITE_P(Paths, ExecQuotingTest,
                         ::testing::Values(ExecCase{"plain", "@/plain/bin/velora"},
                                           ExecCase{"with space", "\"@/with space/bin/velora\""},
                                           ExecCase{"cost$5", "\"@/cost\\\\$5/bin/velora\""},
                                           ExecCase{"100%", "@/100%%/bin/velora"},
                                           ExecCase{"say \"hi\"", "\"@/say \\\\\"hi\\\\\"/bin/velora\""}));

}  // namespace
}  // namespace registration::productconfig::test
