// The engine run of a progress step: what the engine is started with, how its progress reaches
// the model, and how each kind of engine failure is shown, logged and reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "EngineProgressPublisher.h"
#include "InstallProgressGateFixture.h"
#include "fl/i18n/Message.h"
#include "install/engine/EngineExceptions.h"
#include "support/MockRepositoryAdapter.h"

namespace {

using install::datamodels::common::Result;
using install::datamodels::product_installer::validationResultType;
using install::engine::EngineConfig;
using install::engine::OptionalFeatureFlags;
using install::engine::WorkflowType;
using testing::_;
using testing::ElementsAre;
using testing::Invoke;
using testing::Throw;
using workflow_test::InstallProgressGateFixture;

using ProgressGateTest = InstallProgressGateFixture;

TEST_F(ProgressGateTest, EngineGetsEverythingTheModelHolds) {
    auto repository = std::make_shared<workflow_test::MockRepositoryAdapter>();
    handler->setProductRepoAdapterInstance(repository);
    independent().setInstallDoc(true);
    independent().setInstallDemo(false);
    EXPECT_CALL(*gate.engine,
                start(ElementsAre(u"FLOWMERE", u"VELORA"), installFolder(), ElementsAre("l64pc"), "de_DE",
                      (installerFolder() / "archives").u16string(), WorkflowType::Install,
                      std::shared_ptr<install::repository_adapter::RepositoryAdapter>(repository), _, _))
        .WillOnce(Invoke([](auto&&, auto&&, auto&&, auto&&, auto&&, auto, auto&&,
                            const OptionalFeatureFlags& flags, const EngineConfig& config) {
            EXPECT_EQ(flags.documentation, 0);
            EXPECT_EQ(flags.demos, 1);
            EXPECT_FALSE(flags.reserved.has_value());
            EXPECT_FALSE(config.hasProxySettings());
        }));
    runStep();
    EXPECT_TRUE(stepCompleted());
    EXPECT_EQ(at(gate.engineDiagnostics(), 26), true);
    EXPECT_FALSE(has(gate.engineDiagnostics(), 24));
}

TEST_F(ProgressGateTest, FolderRepositoryRunsTheFolderWorkflowAndAnInteractiveOneIsRecorded) {
    handler->setIsFolderRepoInstance(true);
    handler->setWorkflow(u"Interactive Install From Folder");
    EXPECT_CALL(*gate.engine, start(_, _, _, _, _, WorkflowType::InstallFromFolder, _, _, _));
    runStep();
    EXPECT_EQ(at(gate.engineDiagnostics(), 24), true);
}

struct ProxyCase {
    std::u16string user;
    std::u16string password;
    bool passed;
};

class ProxySettingsTest : public InstallProgressGateFixture, public testing::WithParamInterface<ProxyCase> {};

TEST_P(ProxySettingsTest, ReachTheEngineOnlyWithBothValues) {
    handler->initializeProxy();
    independent().getProxy().setUserName(GetParam().user);
    independent().getProxy().setPassword(GetParam().password);
    EXPECT_CALL(*gate.engine, start)
        .WillOnce(Invoke(
            [](auto&&, auto&&, auto&&, auto&&, auto&&, auto, auto&&, auto&&, const EngineConfig& config) {
                ASSERT_EQ(config.hasProxySettings(), GetParam().passed);
                if (GetParam().passed) {
                    EXPECT_EQ(config.getProxyUserName(), fl::i18n::to_string(GetParam().user));
                    EXPECT_EQ(config.getProxyPassword(), fl::i18n::to_string(GetParam().password));
                }
            }));
    runStep();
}

INSTANTIATE_TEST_SUITE_P(UserAndPassword, ProxySettingsTest,
                         testing::Values(ProxyCase{u"", u"", false}, ProxyCase{u"jdoe", u"", false},
                                         ProxyCase{u"", u"s3cret", false},
                                         ProxyCase{u"jdoe", u"s3cr\u00e9t", true}));

TEST_F(ProgressGateTest, EngineProgressReachesTheModelAndDiagnostics) {
    EXPECT_CALL(*gate.engine, start).WillOnce(Invoke([] {
        install::engine::publishDownloadProgress({u"Velora", 400, 1000, 40});
        install::engine::publishInstallProgress({u"Velora", 1, 3000, 2, 6000, 50});
    }));
    runStep();
    // The connections are closed once the run is over.
    install::engine::publishInstallProgress({u"late", 2, 6000, 2, 6000, 100});

    const auto install = dependent().getProgressData().getInstallProgressData();
    EXPECT_EQ(install.getComponentName(), u"Velora");
    EXPECT_EQ(install.getPercentage(), 50u);
    EXPECT_EQ(dependent().getProgressData().getDownloadProgressData().getBytesDownloadedSoFar(), 400u);
    EXPECT_EQ(dependent().getProgressData().getOverallProgressData().getPercentage(), 48u);
    EXPECT_TRUE(logHas(u"50%"));

    const auto figures = gate.engineDiagnostics();
    EXPECT_EQ(at(figures, 7), 400);
    EXPECT_EQ(at(figures, 68), 1000);
    EXPECT_EQ(at(figures, 8), 3000);
    EXPECT_EQ(at(figures, 39), 6000);
    EXPECT_EQ(at(figures, 71), 50);
}

TEST_F(ProgressGateTest, AnInterruptedRunLeavesTheStepOpenWithoutAFailure) {
    EXPECT_CALL(*gate.engine, start)
        .WillOnce(Throw(
            install::engine::EngineInterruptedException("2180", "Installation interrupted", "", "Engine")));
    runStep();
    EXPECT_FALSE(stepCompleted());
    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Unknown);
    EXPECT_TRUE(diagnostics.records().empty());
    EXPECT_EQ(at(gate.engineDiagnostics(), 26), false);
    EXPECT_TRUE(has(gate.engineDiagnostics(), 8))
        << "progress figures are collected after an interruption too";
}

// One row of the engine failure table: what the engine throws and what the user, the log and
// diagnostics get.
struct FailureRow {
    const char* name;
    std::function<void()> raise;
    std::function<fl::i18n::BaseMsgID()> title;
    std::function<fl::i18n::BaseMsgID(const std::string& what)> message;
    bool textInLog;
    std::vector<std::string> record;  // code, message, details, location
};

void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.name; }

template <class Exception>
std::function<void()> raising(const char* code) {
    return [code] { throw Exception(code, "VELORA.enc", "detail of " + std::string(code), "Engine::start"); };
}

const std::vector<FailureRow>& failureRows() {
    static const std::vector<FailureRow> rows{
        {"MissingComponent",
         raising<install::engine::EngineMissingComponentException>("2140"),
         [] { return fl::i18n::BaseMsgID("missingFileTitle"); },
         [](const std::string& what) {
             return fl::i18n::BaseMsgID("missingFileMessage", what, "R2031a", "w64pc");
         },
         false,
         {"2140", "VELORA.enc", "detail of 2140", "Progress::Engine::start"}},
        {"Download",
         raising<install::engine::EngineDownloadException>("2185"),
         [] { return fl::i18n::BaseMsgID("DownloadErrorTitle"); },
         [](const std::string&) { return fl::i18n::BaseMsgID("DownloadErrorMsg", "R2031a", "w64pc"); },
         true,
         {"2185", "VELORA.enc", "detail of 2185", "Progress::Engine::start"}},
        {"ExtractOrRegister",
         raising<install::engine::EngineExtractOrRegisterException>("2160"),
         [] { return fl::i18n::BaseMsgID("ExtractErrorTitle"); },
         [](const std::string&) { return fl::i18n::BaseMsgID("ExtractErrorMsg", "R2031a", "w64pc"); },
         true,
         {"2160", "VELORA.enc", "detail of 2160", "Progress::Engine::start"}},
        {"InvalidSignature",
         raising<install::engine::EngineInvalidSignatureException>("2150"),
         [] { return fl::i18n::BaseMsgID("ExtractErrorTitle"); },
         [](const std::string&) {
             return fl::i18n::BaseMsgID("InvalidSignatureErrorMsg", "R2031a", "w64pc");
         },
         true,
         {"2150", "VELORA.enc", "detail of 2150", "Progress::Engine::start"}},
        {"OtherEngineFailure",
         raising<install::engine::EngineInvalidInstalledProductsException>("2110"),
         [] { return fl::i18n::BaseMsgID("standardErrorTitle"); },
         [](const std::string&) { return fl::i18n::BaseMsgID("progressErrorMsg", "R2031a", "w64pc"); },
         true,
         {"2110", "VELORA.enc", "detail of 2110", "Progress::Engine::start"}},
        {"StandardException",
         [] { throw std::runtime_error("disk on fire"); },
         [] { return fl::i18n::BaseMsgID("standardErrorTitle"); },
         [](const std::string&) { return fl::i18n::BaseMsgID("progressErrorMsg", "R2031a", "w64pc"); },
         true,
         // The wrapper already names the progress step, and handleException names it once more.
         {"199", "unknown error", "disk on fire", "Progress::Progress"}},
    };
    return rows;
}

class EngineFailureTest : public InstallProgressGateFixture, public testing::WithParamInterface<FailureRow> {
protected:
    std::string thrownText;
};

TEST_P(EngineFailureTest, IsShownLoggedReportedAndLeavesTheStepOpen) {
    EXPECT_CALL(*gate.engine, start).WillOnce(Invoke([this] {
        try {
            GetParam().raise();
        } catch (const std::exception& error) {
            thrownText = error.what();
            throw;
        }
    }));
    runStep();

    const auto title = GetParam().title().resolve();
    const auto message = GetParam().message(thrownText).resolve();
    const auto status = applicationData().getValidationStatus();
    EXPECT_EQ(status.getResult(), Result::Failure);
    EXPECT_EQ(status.getTitle(), title);
    EXPECT_EQ(status.getMessage(), message);
    EXPECT_EQ(independent().getValidationResultType(), validationResultType(13));
    EXPECT_TRUE(logHas(message + (GetParam().textInLog ? fl::i18n::to_u16string(thrownText) : u"")));

    const auto records = diagnostics.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["error.1"], GetParam().record[0]);
    EXPECT_EQ(records[0]["error.2"], GetParam().record[1]);
    EXPECT_EQ(records[0]["error.3"], GetParam().record[2]);
    EXPECT_EQ(records[0]["error.4"], GetParam().record[3]);

    EXPECT_FALSE(stepCompleted());
    EXPECT_EQ(at(gate.engineDiagnostics(), 26), false);
}

INSTANTIATE_TEST_SUITE_P(EveryRow, EngineFailureTest, testing::ValuesIn(failureRows()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
