// The download progress step: the time-stamped run folder, what the engine and then the installer
// downloader are given, how the engine's reports reach the model, and the failure table of both
// steps. Engine, installer downloader and time stamp are the test's; callback and handler are real.
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "DownloadTesting.h"
#include "EngineProgressPublisher.h"
#include "gates/download/DownloadProgressGate.h"
#include "support/MockEngine.h"
#include "support/MockInstallerDownloader.h"
#include "support/ScratchFolder.h"
#include "workflow_core/PathJoin.h"

namespace download_test {
namespace {

using download_test::PrintTo;

namespace wu = install::product_installer::workflow_utils;
namespace engine = install::engine;
using Urls = wu::DownloadProgressGate::InstallerUrls;
constexpr char16_t kGateName[] = u"DownloadProgressGate";

struct FixedClock : install::platformutil::DefaultDirectoryProvider {
    std::u16string getCurrentTimestamp() const override { return u"2031_01_02_03_04_05"; }
};

struct TestGate : wu::DownloadProgressGate {
    using DownloadProgressGate::DownloadProgressGate;
    using DownloadProgressGate::getDiagnosticsData;
    std::unique_ptr<engine::Engine> getEngineInstance() const override { return std::move(engine); }
    std::unique_ptr<install::platformutil::DefaultDirectoryProvider> getDefaultDirectoryProvider()
        const override {
        return std::make_unique<FixedClock>();
    }
    std::unique_ptr<wu::InstallerDownloaderInterface> getInstallerDownloader(
        const std::shared_ptr<wu::DataModelHandler>&, const Urls& windows, const Urls& others,
        const std::u16string& folder) const override {
        installersMadeWith = joined(windows.size(), others.begin()->first, others.size(), folder);
        return std::move(installers);
    }
    mutable std::unique_ptr<workflow_test::MockEngine> engine =
        std::make_unique<testing::NiceMock<workflow_test::MockEngine>>();
    mutable std::unique_ptr<workflow_test::MockInstallerDownloader> installers =
        std::make_unique<testing::NiceMock<workflow_test::MockInstallerDownloader>>();
    mutable std::string installersMadeWith;
};

class DownloadProgressGateTest : public DownloadFixture {
protected:
    DownloadProgressGateTest() {
        ON_CALL(*repository, getAdditionalLanguages).WillByDefault(testing::Return(Codes{u"ja_JP"}));
        ON_CALL(*repository, getInstallerUrls(std::vector<std::string>{"w64pc"}))
            .WillByDefault(testing::Return(Urls{{"velora_win64.zip", "https://dl/w"}}));
        ON_CALL(*repository, getInstallerUrls(std::vector<std::string>{"l64pc", "m64ar"}))
            .WillByDefault(testing::Return(Urls{{"velora_mac.zip", "https://dl/m"}}));
        independent().setLocale(u"de_DE");
        handler->setUserGivenDownloadFolder(scratch.u16());
        select({u"VELORA", u"FLOWMERE"});
        gate.setDefaultData();
    }

    workflow_test::ScratchFolder scratch;
    const std::u16string runFolder = wu::joinPath(scratch.u16(), u"2031_01_02_03_04_05");
    TestGate gate{kGateName, handler};
};

// The engine's reports show the sizes below 99 percent, then the installers' text.
TEST_F(DownloadProgressGateTest, FetchesTheArchivesThenTheInstallersIntoATimeStampedFolder) {
    const auto shown = [this] {
        const auto progress = dependent().getProgressData();
        const auto d = progress.getDownloadProgressData();
        const auto i = progress.getInstallProgressData();
        return joined(d.getComponentName(), d.getPercentage(), d.getDownloadMessage(), d.getDownloadTitle(),
                      i.getInstallMessage(), i.getInstallTitle(),
                      progress.getOverallProgressData().getPercentage());
    };
    std::vector<std::string> events;
    EXPECT_CALL(*gate.engine, startForDownloadOnly)
        .WillOnce([&](const Codes& products, const std::u16string& folder, const auto& platforms,
                      const auto& languages, auto type, const auto& adapter,
                      const engine::EngineConfig& config) {
            engine::publishDownloadProgress({u"Velora", 5, 100, 98});
            events.push_back(shown());
            engine::publishDownloadProgress({u"Velora", 99, 100, 99});
            events.push_back(joined(products, folder, platforms, languages, type, adapter == repository,
                                    config.getProxyUserName(), config.getProxyPassword()));
        });
    EXPECT_CALL(*gate.installers,
                downloadAndExtractInstallers(std::u16string(u"jdoe"), std::u16string(u"p4ss")))
        .WillOnce([&] { events.push_back("installers"); });
    submit(gate);
    engine::publishDownloadProgress({u"late", 1000, 1000, 100});  // the connection is closed

    const auto archives = wu::joinPath(runFolder, u"archives");
    EXPECT_EQ(
        joined(events),
        joined(std::vector{joined("Velora", 98, fl::i18n::message("progressMessage", "         5 B", "100 B"),
                                  fl::i18n::message("downloadTitle"), "", "", 5),
                           joined(Codes{u"FLOWMERE", u"VELORA"}, archives,
                                  "[w64pc,l64pc,m64ar]|[de_DE,ja_JP]|1|true|jdoe|p4ss"),
                           std::string("installers")}));
    EXPECT_EQ(shown(), joined("Velora", 99, "", fl::i18n::message("downloadInstallerTitle"),
                              fl::i18n::message("downloadInstallerMessage"), "", 99));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(archives)));
    EXPECT_EQ(gate.installersMadeWith, joined(1, "velora_mac.zip", 1, runFolder));
    EXPECT_EQ(
        joined(processed(kGateName), log.lines(), entries(gate.getDiagnosticsData())),
        joined(true,
               std::vector{u"Starting to download products: " + runFolder,
                           std::u16string(u"Products download completed successfully")},
               "session.7=99 session.16=true session.45=time session.46=time session.59=time session.60=time "
               "session.68=100"));
}

// Texts the engine or a downloader gives may echo the proxy password: log and records mask it.
struct FailureRow {
    const char* name;
    std::function<void()> engineRun, installersRun;  // what each throws; empty: it succeeds
    const char *titleKey, *messageKey;               // null: no failure is shown
    const char* missingFile;                         // the message's first argument, when it names one
    const char16_t* logTail;                         // after the message in the log; null: no line
    std::string record, entries;
};

template <class Failure>
std::function<void()> raising(const char* code) {
    return [code] { throw Failure(code, "VELORA.enc", "via p4ss", "Engine"); };
}
std::function<void()> raisingStandard(const char* text) {
    return [text] { throw std::runtime_error(text); };
}

const std::string kEngineFailed = "session.7=0 session.16=false session.59=time session.60=time session.68=0";
const std::string kInstallersFailed =
    "session.7=0 session.16=true session.45=time session.46=time session.59=time session.60=time "
    "session.68=0";
// clang-format off
const FailureRow kFailureRows[] = {
    {"MissingComponent", raising<engine::EngineMissingComponentException>("2140"), {}, "missingFileTitle", "missingFileMessage", "Engine: 2140: VELORA.enc (via ********)", u"", "[2140|VELORA.enc|via ********|DownloadProgress::Engine]", kEngineFailed},
    {"Interrupted", raising<engine::EngineInterruptedException>("2180"), {}, nullptr, nullptr, nullptr, nullptr, "[]", kEngineFailed},
    {"Download", raising<engine::EngineDownloadException>("2185"), {}, "DownloadErrorTitle", "DownloadErrorMsg", nullptr, u"Engine: 2185: VELORA.enc (via ********)", "[2185|VELORA.enc|via ********|DownloadProgress::Engine]", kEngineFailed},
    {"InvalidSignature", raising<engine::EngineInvalidSignatureException>("2190"), {}, "DownloadErrorTitle", "InvalidSignatureErrorMsg", nullptr, u"Engine: 2190: VELORA.enc (via ********)", "[2190|VELORA.enc|via ********|DownloadProgress::Engine]", kEngineFailed},
    {"OtherEngineFailure", raising<engine::EngineExtractOrRegisterException>("2150"), {}, "standardErrorTitle", "progressErrorMsg", nullptr, u"Engine: 2150: VELORA.enc (via ********)", "[2150|VELORA.enc|via ********|DownloadProgress::Engine]", kEngineFailed},
    {"EngineStandardException", raisingStandard("disk on fire"), {}, "standardErrorTitle", "progressErrorMsg", nullptr, u"disk on fire", "[199|unknown error|disk on fire|DownloadProgress::DownloadProgress]", kEngineFailed},
    // The downloader has logged its failure and named its place.
    {"InstallerDownload", {}, [] { throw install::cpputil::InstallerException("20", "Installer download failed.", "Failed to download: p4ss timed out", "DownloadProgress::InstallerDownloader::DownloadInstaller"); }, "installerDownloadFailedTitle", "installerDownloadFailedMessage", nullptr, nullptr, "[20|Installer download failed.|Failed to download: ******** timed out|DownloadProgress::InstallerDownloader::DownloadInstaller]", kInstallersFailed},
    {"InstallersStandardException", {}, raisingStandard("no route"), "standardErrorTitle", "progressErrorMsg", nullptr, u"no route", "[199|unknown error|no route|DownloadProgress::DownloadProgress]", kInstallersFailed},
};
// clang-format on

class FailureTest : public DownloadProgressGateTest, public testing::WithParamInterface<FailureRow> {};

TEST_P(FailureTest, IsShownLoggedReportedAndLeavesTheStepOpen) {
    const auto& row = GetParam();
    if (row.engineRun) ON_CALL(*gate.engine, startForDownloadOnly).WillByDefault([&] { row.engineRun(); });
    if (row.installersRun)
        ON_CALL(*gate.installers, downloadAndExtractInstallers).WillByDefault([&] { row.installersRun(); });

    submit(gate);

    std::vector<std::u16string> logged{u"Starting to download products: " + runFolder};
    if (row.installersRun) logged.push_back(u"Products download completed successfully");
    auto shown = earlierStatus();
    if (row.titleKey) {
        shown = {Result::Failure, 13,
                 row.missingFile ? fl::i18n::message(row.messageKey, row.missingFile, "2031.1", "w64pc")
                                 : fl::i18n::message(row.messageKey, "2031.1", "w64pc"),
                 fl::i18n::message(row.titleKey)};
    }
    if (row.logTail) logged.push_back(shown.message + row.logTail);
    EXPECT_EQ(status(), shown);
    EXPECT_EQ(joined(processed(kGateName), log.lines(), records(), entries(gate.getDiagnosticsData())),
              joined(false, logged, row.record, row.entries));
}

INSTANTIATE_TEST_SUITE_P(BothSteps, FailureTest, testing::ValuesIn(kFailureRows), rowName);

}  // namespace
}  // namespace download_test
