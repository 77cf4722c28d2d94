// Uninstallation in the engine's terms: an interrupt part-way, or a run killed part-way, leaves
// the installation and what it placed outside as they were; launchers and links changed since the
// installation stay and are named.
#include "ProductRemoval.h"

#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

#include "EngineRunFixture.h"

namespace install::engine {
namespace {

namespace fs = std::filesystem;
using enczip::test::snapshot;
using test::sha256Of;
using testing::ElementsAre;

// Velora installed by hand: two files, a link and three folders of its own, a launcher and a
// command link outside.
class ProductRemovalTest : public testing::Test {
protected:
    ProductRemovalTest() {
        InstallationManifest manifest;
        manifest.setCreatedFolder(true);
        InstalledProductEntry velora{u"VELORA", u"Velora", u"Velora"};
        for (const auto& [path, text] : {std::pair<std::string, std::string>{"bin/velora", "#!/bin/sh\n"},
                                         {"share/velora/manual.txt", test::content(70000, 3)}}) {
            scratch.writeFile("dest/" + path, text);
            velora.files.push_back({path, text.size(), sha256Of(text)});
        }
        fs::create_symlink("velora", folder() / "bin/vl");
        velora.links.push_back({"bin/vl", "velora"});
        velora.folders = {"share/velora", "bin", "share"};
        manifest.addProduct(velora);
        const std::string launcher = "[Desktop Entry]\nExec=" + (folder() / "bin/velora").string() + "\n";
        scratch.writeFile("outside/velora.desktop", launcher);
        fs::create_symlink(folder() / "bin/velora", outside() / "velora");
        manifest.addRegistration({InstalledRegistration::Kind::DesktopShortcut,
                                  (outside() / "velora.desktop").string(), (folder() / "bin/velora").string(),
                                  sha256Of(launcher)});
        manifest.addRegistration({InstalledRegistration::Kind::CommandLink, (outside() / "velora").string(),
                                  (folder() / "bin/velora").string(), ""});
        manifest.writeTo(folder());
    }
    ~ProductRemovalTest() override { cpputil::interrupt::reset(); }

    fs::path folder() const { return scratch.path() / "dest"; }
    fs::path outside() const { return scratch.path() / "outside"; }
    // Outside, the times change when a launcher is put back; its content and mode may not.
    std::pair<std::map<std::string, std::string>, std::map<std::string, std::string>> state() const {
        return {snapshot(folder(), true), snapshot(outside())};
    }

    workflow_test::ScratchFolder scratch;
};

TEST_F(ProductRemovalTest, AnInterruptAtTheFirstOrTheLastFilePutsEverythingBack) {
    for (const int interruptAt : {1, 2}) {
        SCOPED_TRACE("interrupted at file " + std::to_string(interruptAt));
        const auto before = state();
        int reports = 0;
        const auto connection = registerUninstallProgressCallback([&](const UninstallProgressData&) {
            if (++reports == interruptAt) cpputil::interrupt::set();
        });
        // After the last file, the launchers outside are gone and the record rewritten already.
        EXPECT_THROW(ProductRemoval(folder()).remove({}), EngineInterruptedException);
        cpputil::interrupt::reset();
        EXPECT_EQ(state(), before);
    }
}

TEST_F(ProductRemovalTest, ARunKilledPartWayIsPutBackByTheNext) {
    const auto before = state();
    const pid_t child = ::fork();
    if (child == 0) {
        const auto connection =
            registerUninstallProgressCallback([](const UninstallProgressData&) { ::_exit(9); });
        ProductRemoval(folder()).remove({});
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9) << "killed after its first file";
    ASSERT_NE(state(), before);

    const ProductRemoval next(folder());
    EXPECT_EQ(state(), before);
    EXPECT_EQ(next.manifest().getProducts().size(), 1u);
}

TEST_F(ProductRemovalTest, LaunchersAndLinksChangedSinceTheInstallationStayAndAreNamed) {
    std::ofstream(outside() / "velora.desktop", std::ios::app) << "X-Mine=1\n";
    fs::remove(outside() / "velora");
    fs::create_symlink("/usr/bin/true", outside() / "velora");

    const RemovalReport report = ProductRemoval(folder()).remove({});

    EXPECT_THAT(report.left,
                ElementsAre((outside() / "velora.desktop").string() + ": changed since the installation",
                            (outside() / "velora").string() + ": no longer a link to " +
                                (folder() / "bin/velora").string()));
    EXPECT_EQ(std::tie(report.files, report.links, report.folders, report.folderRemoved),
              std::make_tuple(2u, 1u, 3u, true));
    EXPECT_EQ(snapshot(outside()).size(), 2u);
}

}  // namespace
}  // namespace install::engine
