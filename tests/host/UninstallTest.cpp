// Uninstallation through the installer and the script it places: exactly what was installed goes,
// here and outside; what the user added or changed, and a folder that was there before, stays
// and is named; one product alone; the refusals that change nothing.
#include "InstallerEndToEndTest.h"
#include "install/destination_lock/DestinationLock.h"

namespace velora::installer::test {
namespace {

using ::testing::ElementsAre, ::testing::HasSubstr, ::testing::IsEmpty;

class UninstallTest : public InstallerEndToEndTest {
protected:
    fs::path links() const { return root() / "links"; }

    void install(const std::string& products = "VELORA,FLOWMERE") {
        std::vector<std::string> arguments = silentInstall(samplePackages(), destination(), products);
        arguments.insert(arguments.end(), {"--desktop-shortcut", "true", "--start-menu-shortcut", "true",
                                           "--symlink-folder", links().string()});
        const InstallerOutcome outcome = runInstaller(arguments);
        ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    }
    InstallerOutcome uninstall(const std::vector<std::string>& more = {}) const {
        std::vector<std::string> arguments{"--uninstall", destination().string(), "--log",
                                           logFile().string()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return runInstaller(arguments);
    }
    static std::vector<std::string> names(const fs::path& folder) {
        std::vector<std::string> found;
        for (const auto& [path, state] : snapshot(folder)) found.push_back(path);
        return found;
    }
};

TEST_F(UninstallTest, TheScriptTakesAwayWhatWasInstalledHereAndOutsideAndNamesWhatStays) {
    fs::create_directories(destination());
    install();
    std::ofstream(destination() / "keep.txt") << "added beside";
    std::ofstream(destination() / "share/velora/notes.txt") << "mine";
    std::ofstream(destination() / "bin/velora", std::ios::app) << "# my change\n";
    fs::create_directories(destination() / "mine");
    fs::create_directories(root() / "outside");
    std::ofstream(root() / "outside" / "secret.txt") << "untouched";
    fs::create_symlink("../../outside", destination() / "mine" / "out");
    ASSERT_THAT(names(links()), ElementsAre("flowmere", "velora"));

    InstallerProcess script(
        "/bin/sh", {(destination() / "uninstall.sh").string(), "--yes", "--log", logFile().string()}, {});
    const InstallerOutcome outcome = script.wait(kRunLimit);

    ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    EXPECT_THAT(names(destination()), ElementsAre("bin", "bin/velora", "keep.txt", "mine", "mine/out",
                                                  "share", "share/velora", "share/velora/notes.txt"));
    EXPECT_THAT(names(links()), IsEmpty());
    EXPECT_THAT(names(shortcutFolder()), IsEmpty());
    EXPECT_THAT(names(root() / "menu"), IsEmpty());
    EXPECT_EQ(readText(root() / "outside" / "secret.txt"), "untouched");
    EXPECT_THAT(outcome.out, HasSubstr("Removed Flowmere, Velora from " + destination().string()));
    EXPECT_THAT(outcome.out,
                HasSubstr((destination() / "bin/velora").string() + ": changed since the installation"));
    EXPECT_THAT(outcome.out, HasSubstr((destination() / "share/velora").string() +
                                       ": holds what the installation did not put there (notes.txt)"));
    EXPECT_THAT(outcome.out, HasSubstr(destination().string() + ": was there before the installation"));
    EXPECT_THAT(outcome.out, testing::Not(HasSubstr((destination() / "bin").string() + ": ")))
        << "named once";
    EXPECT_THAT(readText(logFile()), HasSubstr("Left in place: " + (destination() / "bin/velora").string()));
}

TEST_F(UninstallTest, OneProductGoesAloneWithItsCommandLinkAndTheLastTakesTheFolder) {
    install();
    const InstallerOutcome first = uninstall({"--products", "FLOWMERE"});

    ASSERT_EQ(first.exitStatus, 0) << first.transcript();
    EXPECT_THAT(recordedBaseCodes(destination()), ElementsAre("VELORA"));
    EXPECT_FALSE(fs::exists(destination() / "bin/flowmere"));
    expectSampleContent(destination(), "VELORA", true);
    EXPECT_THAT(names(links()), ElementsAre("velora"));
    EXPECT_THAT(names(shortcutFolder()), testing::SizeIs(1)) << "the launcher starts Velora, which stays";
    EXPECT_THAT(readText(destination() / "installed_files.list"), testing::Not(HasSubstr("flowmere")));

    const InstallerOutcome last = uninstall();
    ASSERT_EQ(last.exitStatus, 0) << last.transcript();
    EXPECT_THAT(last.out, HasSubstr("Removed the folder " + destination().string()));
    EXPECT_FALSE(fs::exists(destination()));
    EXPECT_THAT(names(links()), IsEmpty());
    EXPECT_THAT(names(shortcutFolder()), IsEmpty());
    EXPECT_FALSE(fs::exists(install::destination_lock::DestinationLock::getLockFile(destination())));
}

struct Refusal {
    std::string name;
    bool installFirst;
    std::vector<std::string> arguments;
    int exitStatus;
    std::string message;
};
void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class UninstallRefusalTest : public UninstallTest, public testing::WithParamInterface<Refusal> {};

TEST_P(UninstallRefusalTest, ChangesNothingAndSaysWhy) {
    if (GetParam().installFirst) install();
    fs::create_directories(destination());
    const auto before = snapshot(root(), true);
    std::unique_ptr<install::destination_lock::DestinationLock> other;
    if (GetParam().exitStatus == 3)
        other = std::make_unique<install::destination_lock::DestinationLock>(destination());

    const InstallerOutcome outcome = uninstall(GetParam().arguments);

    EXPECT_EQ(outcome.exitStatus, GetParam().exitStatus) << outcome.transcript();
    EXPECT_THAT(outcome.err, HasSubstr(GetParam().message));
    other.reset();
    auto after = snapshot(root(), true);
    after.erase("install.log");
    auto expected = before;
    expected.erase("install.log");
    EXPECT_EQ(after, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UninstallRefusalTest,
    testing::Values(Refusal{"NoInstallationThere", false, {}, 2, "There is no installation in "},
                    Refusal{"ProductNotInstalled",
                            true,
                            {"--products", "VELORA,QUARRIX_TEST"},
                            2,
                            "Product QUARRIX_TEST is not installed in "},
                    Refusal{"AnotherInstallerHoldsTheFolder", true, {}, 3, "another installer"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace velora::installer::test
