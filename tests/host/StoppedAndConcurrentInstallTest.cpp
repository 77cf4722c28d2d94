// An installation stopped in the middle of a large product, by the user's interrupt, a request to
// end or killed outright: the same installation run again succeeds. Two installers started
// together into one folder.
#include <csignal>
#include <cstring>
#include <set>

#include "InstallerEndToEndTest.h"
#include "install/destination_lock/DestinationLock.h"

namespace velora::installer::test {
namespace {

constexpr std::size_t kProductBytes = 50u << 20;

class StoppedInstallTest : public InstallerEndToEndTest, public ::testing::WithParamInterface<int> {};

TEST_P(StoppedInstallTest, TheSameInstallationRunAgainSucceeds) {
    const fs::path packages = copyOfSamplePackages();
    {
        ZipArchiveWriter writer(packages / "VELORA.enc", ZipArchiveWriter::Compression::Store);
        writer.addFile("bin/velora", "#!/bin/sh\necho velora\n", 0755);
        writer.addFile("share/velora/data.bin", std::string(kProductBytes, 'v'));
        writer.close();
    }
    auto arguments = silentInstall(packages, destination(), "VELORA,FLOWMERE");
    arguments.push_back("--events");

    bool signalled = false;
    const InstallerOutcome stopped =
        runInstaller(arguments, kRunLimit, [&](const std::string& line, InstallerProcess& process) {
            const bool midway =
                line.find(R"("event":"progress")") != std::string::npos &&
                nlohmann::json::parse(line).at("bytesDone").get<std::uint64_t>() > kProductBytes / 4;
            if (!signalled && midway) {
                process.sendSignal(GetParam());
                signalled = true;
            }
        });
    ASSERT_TRUE(signalled) << stopped.transcript();
    EXPECT_THAT(recordedBaseCodes(destination()), ::testing::IsEmpty());
    EXPECT_EQ(stopped.exitStatus, GetParam() == SIGINT ? 130 : 128 + GetParam()) << stopped.transcript();
    if (GetParam() != SIGKILL) {
        // Asked to stop, the installer takes back the folder it made and its lock.
        EXPECT_THAT(stopped.out + stopped.err, ::testing::HasSubstr("interrupted"));
        EXPECT_FALSE(fs::exists(destination()));
        EXPECT_FALSE(fs::exists(install::destination_lock::DestinationLock::getLockFile(destination())));
    }

    const InstallerOutcome again = runInstaller(silentInstall(packages, destination(), "VELORA,FLOWMERE"));

    ASSERT_EQ(again.exitStatus, 0) << again.transcript();
    EXPECT_EQ(fs::file_size(destination() / "share/velora/data.bin"), kProductBytes);
    EXPECT_THAT(recordedBaseCodes(destination()), ::testing::UnorderedElementsAre("VELORA", "FLOWMERE"));
    for (const auto& [path, content] : snapshot(destination()))
        EXPECT_THAT(path, ::testing::Not(::testing::HasSubstr(".velora-staging-")));
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedInstallTest, ::testing::Values(SIGINT, SIGTERM, SIGKILL),
                         [](const auto& info) { return std::string("SIG") + sigabbrev_np(info.param); });

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
