// The licence agreement page: who sees it, what a refusal reports, and that acceptance waits for
// the archive reader before the step completes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "fl/i18n/Message.h"
#include "gates/selection/SLAGate.h"
#include "host/InstallerModel.h"
#include "install/cpputil/Logger.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "support/ModelFixture.h"

namespace {

using install::datamodels::common::Result;
using install::datamodels::product_installer::UpdateScenario;
using install::datamodels::product_installer::validationResultType;
using install::product_installer::workflow_utils::DataModelHandler;
using install::product_installer::workflow_utils::SLAGate;
using testing::ElementsAre;
using testing::IsEmpty;

// What happened, in order, across the workflow thread and the archive reader.
class EventLog {
public:
    void add(const std::string& event) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(event);
    }
    std::vector<std::string> events() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

// A handler over its own model whose archive reader takes a moment, noting when the step
// protocol is touched.
class RecordingHandler : public DataModelHandler {
public:
    RecordingHandler(velora::installer::InstallerModel installer, EventLog& log)
        : DataModelHandler(installer.model, installer.root, std::thread([&log] {
                               std::this_thread::sleep_for(std::chrono::milliseconds(50));
                               log.add("archives read");
                           })),
          installer_(std::move(installer)),
          log_(log) {}

    void joinArchiveReadingThread() override {
        log_.add("join");
        DataModelHandler::joinArchiveReadingThread();
    }
    void setAsValid() const override {
        log_.add("valid");
        DataModelHandler::setAsValid();
    }
    void setAsDataProcessed() const override {
        log_.add("processed");
        DataModelHandler::setAsDataProcessed();
    }
    const velora::installer::InstallerModel& installer() const { return installer_; }

private:
    velora::installer::InstallerModel installer_;
    EventLog& log_;
};

class SLAGateTest : public testing::Test {
protected:
    install::datamodels::product_installer::WorkflowIndependentData independent() const {
        return handler->installer().root.getWorkflowIndependentData();
    }
    install::datamodels::common::ApplicationData applicationData() const {
        return independent().getApplicationData();
    }
    void submit() {
        gate.setRequiredData();
        handler->setAsDataAvailable();
        gate.processData();
    }

    EventLog events;
    std::shared_ptr<RecordingHandler> handler =
        std::make_shared<RecordingHandler>(velora::installer::createInstallerModel(), events);
    SLAGate gate{u"SLAGate", handler};
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
};

TEST_F(SLAGateTest, AcceptingWaitsForTheArchivesBeforeTheStepCompletes) {
    independent().setIsAgreeToLicense(true);

    submit();

    EXPECT_THAT(events.events(), ElementsAre("join", "archives read", "valid", "processed"));
    EXPECT_EQ(applicationData().getDataProcessed(), u"SLAGate");
    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Valid);
    EXPECT_THAT(log.lines(), ElementsAre(u"License Agreement validation is successful."));
    EXPECT_THAT(diagnostics.records(), IsEmpty());
}

TEST_F(SLAGateTest, EachDeclineIsShownLoggedAndReportedOnceWithoutWaitingForTheArchives) {
    const auto message = fl::i18n::message("agreeToLicenseErrorMsg");

    submit();
    submit();

    const auto recorded = events.events();
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), "join"), 0);
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), "processed"), 0);
    EXPECT_NE(applicationData().getDataProcessed(), u"SLAGate");
    const auto status = applicationData().getValidationStatus();
    EXPECT_EQ(status.getResult(), Result::Failure);
    EXPECT_EQ(independent().getValidationResultType(), validationResultType(11));
    EXPECT_EQ(status.getMessage(), message);
    EXPECT_EQ(status.getTitle(), u"");
    EXPECT_THAT(log.lines(), ElementsAre(message, message));

    const auto records = diagnostics.records();
    ASSERT_EQ(records.size(), 2U);
    for (const auto& record : records) {
        EXPECT_EQ(record["error.1"], "1850");
        EXPECT_EQ(record["error.2"], "User declined license agreement");
        EXPECT_EQ(record["error.3"], "");
        EXPECT_EQ(record["error.4"], "SLAGate::AgreeToLicense");
    }
}

TEST_F(SLAGateTest, AnAcceptedAgreementIsNotAskedAgain) {
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    independent().setIsAgreeToLicense(true);
    EXPECT_TRUE(gate.checkIfShouldBeSkipped());
}

struct ScenarioCase {
    const char* label;
    UpdateScenario scenario;
    bool skipped;
};

class PackagedApplicationTest : public SLAGateTest, public testing::WithParamInterface<ScenarioCase> {};

TEST_P(PackagedApplicationTest, OnlyAFreshInstallationOfAPackagedApplicationShowsTheAgreement) {
    handler->installer().root.getWorkflowDependentData().setIsVantapakInstallation(true);
    handler->setUpdateScenario(GetParam().scenario);
    EXPECT_EQ(gate.checkIfShouldBeSkipped(), GetParam().skipped);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, PackagedApplicationTest,
                         testing::Values(ScenarioCase{"Unknown", UpdateScenario::Unknown, true},
                                         ScenarioCase{"UpToDate", UpdateScenario::AlreadyUpToDate, true},
                                         ScenarioCase{"Fresh", UpdateScenario::FreshInstallation, false},
                                         ScenarioCase{"ProductsAdded", UpdateScenario::ProductsAdded, true},
                                         ScenarioCase{"Newer", UpdateScenario::UpdateToNewerLevel, true},
                                         ScenarioCase{"NotFromFolder",
                                                      UpdateScenario::UpdateNotPossibleFromFolderRepository,
                                                      true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(SLAGateTest, AnInstallationWithoutPackagedApplicationShowsTheAgreementWhateverTheScenario) {
    handler->setUpdateScenario(UpdateScenario::AlreadyUpToDate);
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
}

TEST_F(SLAGateTest, SkippingMarksTheStepProcessedAndCopiesShareTheHandler) {
    SLAGate copy(gate);
    SLAGate moved(std::move(copy));
    moved.skip();
    EXPECT_EQ(applicationData().getDataProcessed(), u"SLAGate");
    gate.setRequiredData();
    EXPECT_EQ(applicationData().getDataRequired(), u"SLAGate");
}

}  // namespace
