// A signal during the installation: the engine stops between files and the run ends cleanly.
#include <csignal>
#include <random>

#include "InstallerEndToEndTest.h"
#include "ZipArchiveWriter.h"

namespace velora::installer::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Enough files that unpacking lasts well beyond the first progress report, even unoptimised:
// the engine looks at the interrupt flag only between files.
constexpr int kFileCount = 4000;
constexpr std::size_t kFileBytes = 8 * 1024;

void writeLargeArchive(const fs::path& archive) {
    std::mt19937_64 random(42);
    std::string pool(kFileBytes * 8, '\0');
    for (char& byte : pool) byte = static_cast<char>(random());
    ZipArchiveWriter writer(archive, ZipArchiveWriter::Compression::Store);
    writer.addFile("bin/velora", "#!/bin/sh\necho velora\n", 0755);
    for (int index = 0; index < kFileCount; ++index) {
        const std::size_t offset = (static_cast<std::size_t>(index) * 977) % (pool.size() - kFileBytes);
        writer.addFile("share/velora/data/part" + std::to_string(index) + ".bin",
                       pool.substr(offset, kFileBytes));
    }
    writer.close();
}

class InterruptTest : public InstallerEndToEndTest, public ::testing::WithParamInterface<int> {};

TEST_P(InterruptTest, SignalOnceProgressStartedEndsTheRunWith130AndNoFailure) {
    const fs::path packages = copyOfSamplePackages();
    fs::remove(packages / "VELORA.enc");
    writeLargeArchive(packages / "VELORA.enc");
    auto arguments = silentInstall(packages, destination(), "VELORA");
    arguments.push_back("--events");

    bool signalled = false;
    const InstallerOutcome outcome = runInstaller(
        arguments, std::chrono::seconds(60), [&](const std::string& line, InstallerProcess& process) {
            if (!signalled && line.find(R"("event":"progress")") != std::string::npos) {
                process.sendSignal(GetParam());
                signalled = true;
            }
        });

    ASSERT_TRUE(signalled) << outcome.transcript();
    EXPECT_EQ(outcome.exitStatus, 130) << outcome.transcript();
    EXPECT_THAT(outcome.err, HasSubstr("interrupted"));
    std::vector<nlohmann::json> events;
    ASSERT_NO_THROW(events = parseJsonLines(outcome.out)) << outcome.out;
    for (const auto& event : events) {
        EXPECT_FALSE(event.at("event") == "validation" && event.at("result") == 2) << event;
    }
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (nlohmann::json{{"event", "finished"}, {"exitStatus", 130}}));
    EXPECT_THAT(recordedBaseCodes(destination()), ::testing::Not(::testing::Contains("VELORA")));
    EXPECT_FALSE(fs::exists(destination() / "uninstall.sh"));
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == SIGINT ? std::string("SIGINT") : std::string("SIGTERM");
                         });

}  // namespace
}  // namespace velora::installer::test
