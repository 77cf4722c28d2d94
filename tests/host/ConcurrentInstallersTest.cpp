// Two installers started together into one folder.
#include <set>

#include "InstallerEndToEndTest.h"

namespace velora::installer::test {
namespace {

using ConcurrentInstallersTest = InstallerEndToEndTest;

// The one that claims the folder first installs; the other waits for it (--wait-lock), then finds
// every product installed and refuses to install them again. Whichever order they start in, the
// record matches what is on disk.
TEST_F(ConcurrentInstallersTest, OneInstallsTheOtherWaitsAndRefusesAndTheRecordMatchesTheDisk) {
    for (int trial = 0; trial < 20; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const std::filesystem::path folder = root() / ("dest" + std::to_string(trial));
        auto arguments = silentInstall(samplePackages(), folder, "VELORA,FLOWMERE");
        arguments.push_back("--wait-lock");
        const auto first = startInstaller(arguments);
        const auto second = startInstaller(arguments);
        const InstallerOutcome outcomes[] = {first->wait(kRunLimit), second->wait(kRunLimit)};

        const std::string transcripts = outcomes[0].transcript() + outcomes[1].transcript();
        ASSERT_EQ((std::multiset{outcomes[0].exitStatus, outcomes[1].exitStatus}), (std::multiset{0, 1}))
            << transcripts;
        EXPECT_THAT(outcomes[outcomes[0].exitStatus == 0 ? 1 : 0].out,
                    ::testing::HasSubstr("Failure: Products Already Installed"));
        EXPECT_THAT(recordedBaseCodes(folder), ::testing::UnorderedElementsAre("VELORA", "FLOWMERE"));
        expectSampleContent(folder, "VELORA", true);
        expectSampleContent(folder, "FLOWMERE", true);
    }
}

}  // namespace
}  // namespace velora::installer::test
