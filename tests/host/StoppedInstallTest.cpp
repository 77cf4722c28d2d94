// An installation stopped in the middle of a large product, by the user's interrupt or killed
// outright: the same installation run again succeeds.
#include <csignal>
#include <cstring>
#include <random>

#include "FolderSnapshot.h"
#include "InstallerEndToEndTest.h"
#include "ZipArchiveWriter.h"

namespace velora::installer::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kProductBytes = 50u << 20;

class StoppedInstallTest : public InstallerEndToEndTest, public ::testing::WithParamInterface<int> {};

TEST_P(StoppedInstallTest, TheSameInstallationRunAgainSucceeds) {
    const fs::path packages = copyOfSamplePackages();
    std::string data(kProductBytes, '\0');
    std::mt19937_64 random(42);
    for (std::size_t at = 0; at + 8 <= data.size(); at += 8) {
        const std::uint64_t bits = random();
        std::memcpy(data.data() + at, &bits, 8);
    }
    {
        ZipArchiveWriter writer(packages / "VELORA.enc", ZipArchiveWriter::Compression::Store);
        writer.addFile("bin/velora", "#!/bin/sh\necho velora\n", 0755);
        writer.addFile("share/velora/data.bin", data);
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
    EXPECT_EQ(stopped.exitStatus, 128 + GetParam()) << stopped.transcript();
    EXPECT_THAT(recordedBaseCodes(destination()), ::testing::IsEmpty());

    const InstallerOutcome again = runInstaller(silentInstall(packages, destination(), "VELORA,FLOWMERE"));

    ASSERT_EQ(again.exitStatus, 0) << again.transcript();
    EXPECT_EQ(fs::file_size(destination() / "share/velora/data.bin"), kProductBytes);
    EXPECT_THAT(recordedBaseCodes(destination()), ::testing::UnorderedElementsAre("VELORA", "FLOWMERE"));
    const FolderSnapshot installed = FolderSnapshot::take(destination());
    for (const auto& [path, state] : installed.entries())
        EXPECT_THAT(path, ::testing::Not(::testing::HasSubstr(".velora-staging-")));
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedInstallTest, ::testing::Values(SIGINT, SIGKILL),
                         [](const auto& info) { return info.param == SIGINT ? "SIGINT" : "SIGKILL"; });

}  // namespace
}  // namespace velora::installer::test
