// A password given the installer the way it accepts one shows up nowhere it writes: output,
// events, log, diagnostics, the installation, the temporary folder.
#include "InstallerEndToEndTest.h"

namespace velora::installer::test {
namespace {

namespace fs = std::filesystem;

constexpr char kSentinel[] = "SENTINEL-pw-7f3a9c";

using SecretsTest = InstallerEndToEndTest;

TEST_F(SecretsTest, AProxyPasswordAppearsNowhereTheInstallerWrites) {
    setChildVariable("VELORA_PROXY_PASSWORD", kSentinel);
    auto arguments = silentInstall(samplePackages(), destination(), "VELORA");
    arguments.insert(arguments.end(), {"--proxy-user", "someone", "--events"});

    const InstallerOutcome outcome = runInstaller(arguments);

    ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    EXPECT_EQ(outcome.transcript().find(kSentinel), std::string::npos);
    // The scratch folder holds the installation, the log, the diagnostics and the temporary folder.
    for (const auto& entry : fs::recursive_directory_iterator(root())) {
        if (!entry.is_regular_file()) continue;
        EXPECT_EQ(readText(entry.path()).find(kSentinel), std::string::npos) << entry.path();
    }
}

}  // namespace
}  // namespace velora::installer::test
