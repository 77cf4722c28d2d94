// The engine's installation from web addresses, against the repository server, one failed run per
// row: a cut download, an archive that is not what the index or the catalogue says, an interrupt.
// The installation folder stays as it was, no refused archive stays in the archive cache below
// TMPDIR, and after a cut the next run resumes from the cache, which goes once the run succeeds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "InstallationManifest.h"
#include "LocalEngine.h"
#include "Sha256.h"
#include "TestArchive.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Interrupt.h"
#include "install/engine/EngineExceptions.h"
#include "install/engine/ProgressRegistration.h"
#include "support/MockRepositoryAdapter.h"
#include "support/RepoServerProcess.h"
#include "support/ScopedEnvironmentVariable.h"

namespace install::engine {
namespace {

namespace fs = std::filesystem;
using enczip::test::readText;
using testing::EndsWith;
using testing::Pair;

const std::string kWrongChecksum(64, '0');

std::string published(const std::string& code) {
    return readText(fs::path(VELORA_SAMPLE_REPOSITORY) / "archives/2025.1" / (code + ".enc"));
}

std::string failureOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const EngineInterruptedException&) {
        return "interrupted";
    } catch (const EngineInvalidSignatureException&) {
        return "refused";
    } catch (const EngineDownloadException&) {
        return "download failed";
    }
    return "none";
}

struct FailedRun {
    const char* name;
    // The server's fault in the first run; a stalling server is interrupted.
    const char* fault;
    // VELORA's archive checksum as the repository gives it (empty: the right one), and as the
    // catalogue gives it.
    std::string indexed;
    std::string catalogued;
    std::string failure;
};

void PrintTo(const FailedRun& run, std::ostream* out) { *out << run.name; }

class OnlineInstallRunTest : public testing::TestWithParam<FailedRun> {
protected:
    OnlineInstallRunTest() { fs::create_directories(scratch.path() / "tmp"); }
    ~OnlineInstallRunTest() override { cpputil::interrupt::reset(); }

    fs::path destination() const { return scratch.path() / "dest"; }
    // File names in the archive cache, with their sizes.
    std::map<std::string, std::uintmax_t> cached() const {
        std::map<std::string, std::uintmax_t> files;
        for (const auto& entry : fs::recursive_directory_iterator(scratch.path() / "tmp"))
            if (entry.is_regular_file()) files[entry.path().filename().string()] = entry.file_size();
        return files;
    }

    workflow_test::ScratchFolder scratch;
    workflow_test::ScopedEnvironmentVariable temporary{"TMPDIR", (scratch.path() / "tmp").string()};
};

TEST_P(OnlineInstallRunTest, LeavesTheFolderAsItWasAndOnlyWhatTheNextRunMayResume) {
    const FailedRun& row = GetParam();
    std::vector<std::string> arguments{"--root", VELORA_SAMPLE_REPOSITORY};
    if (*row.fault) arguments.insert(arguments.end(), {"--fault", row.fault});
    auto server = std::make_unique<workflow_test::RepoServerProcess>(VELORA_REPO_SERVER, arguments);
    auto repository = std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
    const auto address = [&](const std::u16string& code) {
        return server->url("archives/2025.1/" + fl::i18n::to_string(code) + ".enc");
    };
    ON_CALL(*repository, getProductArchivePath).WillByDefault([&](const std::u16string& code) {
        return fl::i18n::to_u16string(address(code));
    });
    ON_CALL(*repository, getProductArchive)
        .WillByDefault([&](const std::u16string& code, const std::string&) {
            const std::string bytes = published(fl::i18n::to_string(code));
            const bool velora = code == u"VELORA";
            return repository_adapter::ArchiveSource{
                address(code), bytes.size(),
                velora && !row.indexed.empty() ? row.indexed : enczip::Sha256::ofBytes(bytes), ""};
        });
    auto records = productidentifier::ProductCatalogue::fromFile(VELORA_SAMPLE_CATALOGUE).getProducts();
    for (auto& record : records)
        if (record.baseCode == u"VELORA") record.archiveSha256 = row.catalogued;
    const auto install = [&] {
        LocalEngine(std::make_shared<productidentifier::ProductCatalogue>(records))
            .start({u"VELORA", u"FLOWMERE"}, destination().u16string(), {"l64pc"}, "en_US",
                   (scratch.path() / "installer").u16string(), WorkflowType::Install, repository,
                   OptionalFeatureFlags{}, EngineConfig{});
    };
    std::thread user([stall = std::string(row.fault) == "stall"] {
        if (!stall) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cpputil::interrupt::set();
    });
    EXPECT_EQ(failureOf(install), row.failure);
    user.join();
    EXPECT_FALSE(fs::exists(destination()));
    for (const auto& [name, size] : cached())
        EXPECT_FALSE(name.starts_with("VELORA-") && name.ends_with(".enc"));
    if (row.failure != "download failed") return;

    ASSERT_THAT(cached(), testing::Contains(Pair(EndsWith(".enc.part"), 300u)));
    server = std::make_unique<workflow_test::RepoServerProcess>(
        VELORA_REPO_SERVER, std::vector<std::string>{"--root", VELORA_SAMPLE_REPOSITORY});
    DownloadProgressData last;
    const auto connection =
        registerDownloadProgressCallback([&](const DownloadProgressData& data) { last = data; });
    install();
    EXPECT_TRUE(server->sawRequest("range bytes=300-"));
    EXPECT_EQ(InstallationManifest::readFrom(destination()).value().getProducts().size(), 2u);
    EXPECT_THAT(cached(), testing::IsEmpty());
    // Download progress counts the bytes of every archive.
    const std::uint64_t archives = published("VELORA").size() + published("FLOWMERE").size();
    EXPECT_EQ(std::tie(last.doneSize, last.totalSize, last.percent),
              std::make_tuple(archives, archives, std::uint64_t{100}));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, OnlineInstallRunTest,
    testing::Values(FailedRun{"CutDownloadIsResumedByTheNextRun", "cut-after=300", "", "", "download failed"},
                    FailedRun{"DownloadDiffersFromTheIndex", "", kWrongChecksum, "", "refused"},
                    FailedRun{"IndexDisagreesWithTheCatalogue", "", "", kWrongChecksum, "refused"},
                    FailedRun{"InterruptedWhileTheServerStalls", "stall", "", "", "interrupted"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace install::engine
