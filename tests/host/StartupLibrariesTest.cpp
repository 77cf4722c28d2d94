// What the installer loads: an installation from a folder never opens the web library and the
// thirty libraries behind it (the online tests show it opened when a workflow goes online). The
// dynamic loader's own report says which libraries were opened.
#include "InstallerEndToEndTest.h"

namespace velora::installer::test {
namespace {

using testing::HasSubstr;
using testing::Not;

struct FolderRun {
    const char* name;
    std::vector<std::string> extraArguments;
};

void PrintTo(const FolderRun& run, std::ostream* out) { *out << run.name; }

class StartupLibrariesTest : public InstallerEndToEndTest, public testing::WithParamInterface<FolderRun> {};

TEST_P(StartupLibrariesTest, AnInstallationFromAFolderNeverOpensTheWebLibrary) {
    setChildVariable("LD_DEBUG", "libs");
    std::vector<std::string> arguments = silentInstall(samplePackages(), destination(), "VELORA");
    arguments.insert(arguments.end(), GetParam().extraArguments.begin(), GetParam().extraArguments.end());
    const InstallerOutcome outcome = runInstaller(arguments);
    ASSERT_EQ(outcome.exitStatus, 0) << outcome.err;
    // The report is there: the archive library, which every folder installation needs, is in it.
    EXPECT_THAT(outcome.err, HasSubstr("libarchive.so"));
    EXPECT_THAT(outcome.err, Not(HasSubstr("libcurl")));
    EXPECT_THAT(outcome.err, Not(HasSubstr("libgnutls")));
}

INSTANTIATE_TEST_SUITE_P(Runs, StartupLibrariesTest,
                         testing::Values(FolderRun{"DryRun", {"--dry-run"}}, FolderRun{"Installation", {}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velora::installer::test
