// Installation runs that stop: missing, damaged and unreadable archives, links that lead out, the
// user's cancel, runs killed half-way. Every one leaves the installation folder as it was.
#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "EngineRunFixture.h"
#include "ProductMover.h"
#include "StagingArea.h"
#include "install/enczip/Extract.h"
#include "install/engine/EngineExceptions.h"

namespace install::engine::test {
namespace {

using enczip::test::snapshot;
using testing::ElementsAre, testing::HasSubstr;

constexpr std::size_t kKiB = 1024;

// The earlier installation the cases start from is FLOWMERE, with links that are harmless as
// long as "q" leads to a folder inside; VELORA replaces one of its files.
class EarlierInstallationFixture : public EngineRunFixture {
public:
    EarlierInstallationFixture() {
        addProduct("FLOWMERE", {{"bin/flowmere", "flow"},
                                {"share/doc/f.txt", "doc"},
                                {"q", "->share"},
                                {"up-link", "->q/.."},
                                {"q/doc/through-q.txt", "q"}});
        addProduct("VELORA", {{"bin/a.bin", content(256 * kKiB, 5)},
                              {"bin/flowmere", "replaced"},
                              {"bin/c.bin", content(3 * 1024 * kKiB, 7)}});
        run({u"FLOWMERE"}, WorkflowType::InstallFromFolder);
    }
};

struct FailureCase {
    std::string name;
    std::vector<std::u16string> products;
    std::vector<TestEntry> velora;   // VELORA's archive instead of the usual one
    std::vector<TestEntry> quarrix;  // a third product
    enum { Kept, Damaged, Cancelled } archive = Kept;
    std::string code;
    std::string detail;  // in "primary message | secondary message"
};

void PrintTo(const FailureCase& failure, std::ostream* out) { *out << failure.name; }

// clang-format off
std::vector<FailureCase> failureCases() {
    using Case = FailureCase;
    return {
        {"MissingArchive", {u"VELORA", u"GHOST"}, {}, {}, Case::Kept, "2140", "GHOST.enc"},
        {"ProductUnknownToTheCatalogue", {u"NOT_A_PRODUCT"}, {}, {}, Case::Kept, "2130", "NOT_A_PRODUCT"},
        {"UnreadableArchiveInTheRepository", {u"FLOWMERE"}, {}, {{"", "not a zip"}}, Case::Kept, "1420", "Unable to read"},
        {"DamagedArchiveWithAChecksum", {u"VELORA"}, {}, {}, Case::Damaged, "2150", "VELORA.enc |"},
        {"CancelledBeforeTheRun", {u"VELORA"}, {}, {}, Case::Cancelled, "2180", "VELORA"},
        {"ALaterArchiveRepointsALinkOfTheEarlierInstallation", {u"VELORA"}, {{"bin/flowmere", "replaced"}, {"q", "->."}},
         {}, Case::Kept, "2160", "| up-link"},
        {"TwoArchivesTogetherLeadOut", {u"QUARRIX", u"VELORA"}, {{"l", "->."}, {"q", "->."}, {"share/doc/f.txt", "new"}},
         {{"r/", ""}, {"l", "->r"}, {"b-link", "->l/.."}}, Case::Kept, "2160", "| b-link, up-link"},
        {"ANameKeptForTheRecord", {u"VELORA"}, {{"bin/v", "v"}, {InstallationManifest::kFileName, "{}"}}, {}, Case::Kept,
         "2170", InstallationManifest::kFileName},
    };
}
// clang-format on

class EngineRunFailureTest : public EarlierInstallationFixture,
                             public testing::WithParamInterface<std::tuple<FailureCase, WorkflowType>> {};

TEST_P(EngineRunFailureTest, StopsTheRunAndLeavesTheEarlierInstallationAsItWas) {
    const auto& [failure, workflow] = GetParam();
    const auto before = snapshot(folder(), true);
    if (!failure.velora.empty()) addProduct("VELORA", failure.velora);
    // A third product, or one that is not even a zip archive.
    if (!failure.quarrix.empty() && failure.quarrix[0].name.empty()) {
        enczip::test::writeText(packages() / "QUARRIX.enc", failure.quarrix[0].content);
        checksums["QUARRIX"] = "";
    } else if (!failure.quarrix.empty()) {
        addProduct("QUARRIX", failure.quarrix);
    }
    checksums["GHOST"] = "";
    // Damage the checksum finds before a byte is unpacked.
    if (failure.archive == FailureCase::Damaged) {
        std::fstream stream(packages() / "VELORA.enc", std::ios::in | std::ios::out | std::ios::binary);
        stream.seekp(static_cast<std::streamoff>(std::filesystem::file_size(packages() / "VELORA.enc") / 6));
        stream << std::string(4096, '\x5a');
    }
    if (failure.archive == FailureCase::Cancelled) cpputil::interrupt::set();

    try {
        run(failure.products, workflow);
        FAIL() << "the run succeeded";
    } catch (const EngineException& error) {
        EXPECT_EQ(error.getErrorCode(), failure.code) << error.what();
        EXPECT_THAT(error.getPrimaryErrorMessage() + " | " + error.getSecondaryErrorMessage(),
                    HasSubstr(failure.detail));
        EXPECT_THAT(error.getLocation(), testing::StartsWith("Engine::start"));
    }
    EXPECT_EQ(snapshot(folder(), true), before);
}

INSTANTIATE_TEST_SUITE_P(Failures, EngineRunFailureTest,
                         testing::Combine(testing::ValuesIn(failureCases()),
                                          testing::Values(WorkflowType::Install,
                                                          WorkflowType::InstallFromFolder)),
                         [](const auto& info) {
                             return std::get<0>(info.param).name +
                                    (std::get<1>(info.param) == WorkflowType::Install ? "Install"
                                                                                      : "FromFolder");
                         });

// A run killed while it moved VELORA into place (or just after it finished) leaves its staging
// folder; the next run takes back what the journal shows unfinished before it starts.
class KilledRunTest : public EarlierInstallationFixture, public testing::WithParamInterface<bool> {};

TEST_P(KilledRunTest, TheNextRunTakesBackWhatWasNotFinished) {
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            const enczip::ConfinedFolder destination(folder());
            StagingArea staging(destination);
            const auto placed =
                enczip::extract((packages() / "VELORA.enc").string(), staging.productFolder(0).string());
            InstalledProductEntry entry;
            ProductMover(destination, staging).move(staging.productFolder(0), placed, entry);
            if (GetParam()) staging.finish();
            ::_exit(0);  // killed: no destructor runs
        } catch (...) {
            ::_exit(1);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(installed("bin/flowmere"), "replaced");

    addProduct("QUARRIX", {{"bin/quarrix", "x"}});
    run({u"QUARRIX"}, WorkflowType::InstallFromFolder);

    EXPECT_EQ(installed("bin/flowmere"), GetParam() ? "replaced" : "flow");
    EXPECT_EQ(installed("bin/a.bin") != "<missing>", GetParam());
    EXPECT_THAT(recordedProducts(), ElementsAre(u"FLOWMERE", u"QUARRIX"));
}

INSTANTIATE_TEST_SUITE_P(Moments, KilledRunTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "AfterFinishing" : "WhileMoving"; });

}  // namespace
}  // namespace install::engine::test
