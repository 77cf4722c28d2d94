// The engine run of a progress step: what the engine is started with, how its progress reaches
// the model, and how each kind of engine failure is shown, logged and reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "EngineProgressPublisher.h"
#include "InstallProgressGateFixture.h"
#include "fl/i18n/Message.h"
#include "install/engine/EngineExceptions.h"
#include "support/MockRepositoryAdapter.h"

namespace {

using install::datamodels::product_installer::validationResultType;
using install::engine::EngineConfig;
using install::engine::OptionalFeatureFlags;
using testing::_;
using testing::ElementsAre;
using testing::Throw;
using workflow_test::InstallProgressGateFixture;
using workflow_test::joined;

using ProgressGateTest = InstallProgressGateFixture;

TEST_F(ProgressGateTest, TheEngineInstallsTheSelectionFromTheArchivesBesideTheInstaller) {
    auto repository = std::make_shared<workflow_test::MockRepositoryAdapter>();
    handler->setProductRepoAdapterInstance(repository);
    EXPECT_CALL(*gate.engine,
                start(ElementsAre(u"FLOWMERE", u"VELORA"), installFolder(), ElementsAre("l64pc"), "de_DE",
                      (installerFolder() / "archives").u16string(), _,
                      std::shared_ptr<install::repository_adapter::RepositoryAdapter>(repository), _, _));
    runStep();
    EXPECT_TRUE(stepCompleted());
    EXPECT_EQ(entries(gate.engineDiagnostics(), {26, 24}), "true|-");
    EXPECT_TRUE(gate.checkIfCommitsTransactions());
}

// What the model says about the kind of installation, and what the engine is told.
struct EngineStart {
    const char* name;
    std::function<void(install::product_installer::workflow_utils::DataModelHandler&,
                       const install::datamodels::product_installer::WorkflowIndependentData&)>
        prepare;
    std::string started;  // workflow type|documentation|demos|proxy user|proxy password|diagnostics 24
};
void PrintTo(const EngineStart& row, std::ostream* out) { *out << row.name; }

class EngineStartTest : public InstallProgressGateFixture, public testing::WithParamInterface<EngineStart> {};

TEST_P(EngineStartTest, TellsTheEngineWhatKindOfInstallationItRuns) {
    handler->initializeProxy();
    GetParam().prepare(*handler, independent());
    std::string started;
    EXPECT_CALL(*gate.engine, start)
        .WillOnce([&](auto&&, auto&&, auto&&, auto&&, auto&&, auto type, auto&&,
                      const OptionalFeatureFlags& flags, const EngineConfig& config) {
            started = joined(
                type, flags.documentation.value_or(-1), flags.demos.value_or(-1),
                config.hasProxySettings() ? config.getProxyUserName() + "|" + config.getProxyPassword() : "|",
                flags.reserved.has_value());
        });
    runStep();
    EXPECT_EQ(started + "|" + entries(gate.engineDiagnostics(), {24}), GetParam().started);
}

INSTANTIATE_TEST_SUITE_P(
    Installations, EngineStartTest,
    testing::Values(EngineStart{"DocumentationWithoutDemos", [](auto&, auto& m) { m.setInstallDoc(true); },
                                "0|0|1|||false|-"},
                    EngineStart{"FromAFolderRepository",
                                [](auto& h, auto&) {
                                    h.setIsFolderRepoInstance(true);
                                    h.setWorkflow(u"Interactive Install From Folder");
                                },
                                "2|1|1|||false|true"},
                    EngineStart{"ThroughAProxy",
                                [](auto&, auto& m) {
                                    m.getProxy().setUserName(u"jdoe");
                                    m.getProxy().setPassword(u"s3cr\u00e9t");
                                },
                                "0|1|1|jdoe|s3cr\xC3\xA9t|false|-"},
                    EngineStart{"ProxyUserWithoutPassword",
                                [](auto&, auto& m) { m.getProxy().setUserName(u"jdoe"); },
                                "0|1|1|||false|-"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgressGateTest, EngineProgressReachesTheModelUntilTheRunEnds) {
    EXPECT_CALL(*gate.engine, start).WillOnce([] {
        install::engine::publishDownloadProgress({u"Velora", 400, 1000, 40});
        install::engine::publishInstallProgress({u"Velora", 1, 3000, 2, 6000, 50});
    });
    runStep();
    install::engine::publishInstallProgress({u"late", 2, 6000, 2, 6000, 100});  // the connections are closed

    const auto progress = dependent().getProgressData();
    EXPECT_EQ(joined(progress.getDownloadProgressData().getBytesDownloadedSoFar(),
                     progress.getInstallProgressData().getComponentName(),
                     progress.getOverallProgressData().getPercentage()),
              "400|Velora|48");
    EXPECT_TRUE(logHas(u"50%"));
    EXPECT_EQ(entries(gate.engineDiagnostics(), {7, 68, 8, 39, 71}), "400|1000|3000|6000|50");
}

TEST_F(ProgressGateTest, AnInterruptedRunLeavesTheStepOpenWithoutAFailure) {
    EXPECT_CALL(*gate.engine, start)
        .WillOnce(Throw(install::engine::EngineInterruptedException("2180", "Interrupted", "", "Engine")));
    runStep();
    EXPECT_FALSE(stepCompleted());
    EXPECT_EQ(applicationData().getValidationStatus().getResult(),
              install::datamodels::common::Result::Unknown);
    EXPECT_TRUE(diagnostics.records().empty());
    EXPECT_EQ(entries(gate.engineDiagnostics(), {26, 8}), "false|0") << "progress figures are collected too";
}

// One row of the engine failure table: what the engine throws, and what the user, the log and
// diagnostics get.
struct FailureRow {
    const char* name;
    std::function<void()> raise;
    std::function<fl::i18n::BaseMsgID()> title;
    std::function<fl::i18n::BaseMsgID(const std::string& what)> message;
    bool textInLog;
    std::string record;  // code|message|details|location
};
void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.name; }

template <class Exception>
std::function<void()> raising(const char* code) {
    return [code] { throw Exception(code, "VELORA.enc", "detail of " + std::string(code), "Engine::start"); };
}

fl::i18n::BaseMsgID withFamily(const char* key) { return fl::i18n::BaseMsgID(key, "R2031a", "w64pc"); }

const FailureRow kFailureRows[] = {
    {"MissingComponent", raising<install::engine::EngineMissingComponentException>("2140"),
     [] { return fl::i18n::BaseMsgID("missingFileTitle"); },
     [](const std::string& what) {
         return fl::i18n::BaseMsgID("missingFileMessage", what, "R2031a", "w64pc");
     },
     false, "2140|VELORA.enc|detail of 2140|Progress::Engine::start"},
    {"Download", raising<install::engine::EngineDownloadException>("2185"),
     [] { return fl::i18n::BaseMsgID("DownloadErrorTitle"); },
     [](auto&) { return withFamily("DownloadErrorMsg"); }, true,
     "2185|VELORA.enc|detail of 2185|Progress::Engine::start"},
    {"ExtractOrRegister", raising<install::engine::EngineExtractOrRegisterException>("2160"),
     [] { return fl::i18n::BaseMsgID("ExtractErrorTitle"); },
     [](auto&) { return withFamily("ExtractErrorMsg"); }, true,
     "2160|VELORA.enc|detail of 2160|Progress::Engine::start"},
    {"InvalidSignature", raising<install::engine::EngineInvalidSignatureException>("2150"),
     [] { return fl::i18n::BaseMsgID("ExtractErrorTitle"); },
     [](auto&) { return withFamily("InvalidSignatureErrorMsg"); }, true,
     "2150|VELORA.enc|detail of 2150|Progress::Engine::start"},
    {"OtherEngineFailure", raising<install::engine::EngineInvalidInstalledProductsException>("2110"),
     [] { return fl::i18n::BaseMsgID("standardErrorTitle"); },
     [](auto&) { return withFamily("progressErrorMsg"); }, true,
     "2110|VELORA.enc|detail of 2110|Progress::Engine::start"},
    // The wrapper already names the progress step, and handleException names it once more.
    {"StandardException", [] { throw std::runtime_error("disk on fire"); },
     [] { return fl::i18n::BaseMsgID("standardErrorTitle"); },
     [](auto&) { return withFamily("progressErrorMsg"); }, true,
     "199|unknown error|disk on fire|Progress::Progress"},
};

class EngineFailureTest : public InstallProgressGateFixture,
                          public testing::WithParamInterface<FailureRow> {};

TEST_P(EngineFailureTest, IsShownLoggedReportedAndLeavesTheStepOpen) {
    std::string thrown;
    EXPECT_CALL(*gate.engine, start).WillOnce([&] {
        try {
            GetParam().raise();
        } catch (const std::exception& error) {
            thrown = error.what();
            throw;
        }
    });
    runStep();

    const auto message = GetParam().message(thrown).resolve();
    const auto status = applicationData().getValidationStatus();
    EXPECT_EQ(joined(status.getResult(), independent().getValidationResultType(), status.getTitle(),
                     status.getMessage()),
              joined(2, 13, GetParam().title().resolve(), message));
    EXPECT_TRUE(logHas(message + (GetParam().textInLog ? fl::i18n::to_u16string(thrown) : u"")));
    EXPECT_THAT(workflow_test::recordTexts(diagnostics.records()), ElementsAre(GetParam().record));
    EXPECT_FALSE(stepCompleted());
    EXPECT_EQ(entries(gate.engineDiagnostics(), {26}), "false");
}

INSTANTIATE_TEST_SUITE_P(EveryRow, EngineFailureTest, testing::ValuesIn(kFailureRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
