// A change of workflow made on a page, as the runner follows it with the real switch listener and
// workflow manager: where the new workflow starts, what is not processed, what a failed switch shows;
// and a page that says its data is not ready, which ends the run before it is processed.
#include <gtest/gtest.h>

#include <set>

#include "host/WorkflowRunner.h"
#include "support/ModelFixture.h"
#include "workflow_core/SwitchWorkflowListener.h"

namespace velora::installer {
namespace {

using Names = std::vector<std::u16string>;
constexpr char16_t kOnline[] = u"Interactive Online Install";

struct SwitchCase {
    std::string name;
    std::u16string at, to;  // the user leaves page `at` for workflow `to`
    std::set<std::u16string> skipped;
    RunEnd end;
    Names processed;  // in order; never the page the switch was made on
    Names switched;   // "from>to" of the switches the installer application is told of
    Names failures;
    std::set<std::u16string> notReady = {};  // pages whose data is not ready (not enough space)
};
void PrintTo(const SwitchCase& row, std::ostream* out) { *out << row.name; }

// The fixture is the user interface too: it answers each page, and on page `at` changes workflow.
class WorkflowRunnerSwitchTest : public workflow_test::ModelFixture,
                                 public FrontEnd,
                                 public ::testing::WithParamInterface<SwitchCase> {
protected:
    // A page done once processed, skipped when listed; the sign-in and folder pages write their data.
    class Page : public install::workflow_manager::Gate {
    public:
        Page(std::u16string name, WorkflowRunnerSwitchTest& test) : name_(std::move(name)), test_(test) {}
        void processData() override {
            test_.processed.push_back(name_);
            test_.handler->setAsValid();
            test_.handler->setAsDataProcessed();
        }
        void setDefaultData() const override {
            if (name_ == u"LoginGate") test_.handler->initializeLoginModelForRequestParameters();
            if (name_ == u"LoginGate") test_.handler->setLoginEndPoint(u"https://sign-in.example");
            if (name_ == u"FolderSelectionGate") test_.handler->setUserInputFolder(u"/opt/velora");
        }
        void setRequiredData() const override { test_.handler->setDataRequired(name_); }
        bool checkIfShouldBeSkipped() const override { return GetParam().skipped.contains(name_); }
        bool checkIfDataIsReady() const override {
            if (!GetParam().notReady.contains(name_)) return true;
            test_.handler->setCurrentValidationFailure(
                install::datamodels::product_installer::validationResultType(24), u"Not enough space",
                u"Disk Space");
            return false;
        }
        void skip() const override { test_.handler->setDataProcessed(name_); }

    private:
        std::u16string name_;
        WorkflowRunnerSwitchTest& test_;
    };

    void supplyAnswers(const std::u16string& gate) override {
        if (gate == GetParam().at) handler->setWorkflow(GetParam().to);
    }
    bool acknowledgeWarning(const std::u16string&) override { return false; }
    void showFailure(const std::u16string& title, const std::u16string&) override {
        failures.push_back(title);
    }
    void showWarning(const std::u16string&, const std::u16string&) override {}
    void showInformation(const std::string&) override {}
    void stepCompleted(const std::u16string&) override {}

    Names processed, switched, failures;
};

TEST_P(WorkflowRunnerSwitchTest, GoesOnFromTheNewWorkflowsFirstOpenGate) {
    install::workflow_manager::WorkflowConfiguration configuration;
    for (const char16_t* name : {u"WelcomeGate", u"LoginGate", u"SLAGate", u"FolderSelectionGate",
                                 u"ProductSelectionGate", u"DownloadFolderGate", u"FinalGate"})
        configuration.gates[name] = std::make_shared<Page>(name, *this);
    configuration.gateOrder[kOnline] = {
        u"WelcomeGate",          u"LoginGate", u"SLAGate", u"FolderSelectionGate",
        u"ProductSelectionGate", u"FinalGate"};
    configuration.gateOrder[u"DownloadOnly"] = {u"WelcomeGate", u"SLAGate", u"DownloadFolderGate",
                                                u"FinalGate"};
    auto workflows = std::make_shared<install::workflow_manager::WorkflowHandler>(configuration);
    createPageModels(model(), installer.root);
    handler->setWorkflow(kOnline);
    const auto failureStatus =
        install::datamodels::common::ValidationStatus::create(model(), tq::zero::nilUuid());
    failureStatus.setTitle(u"Workflow Error");
    install::product_installer::workflow_utils::SwitchWorkflowListener listener(
        model(), workflows, {u"WelcomeGate", u"SLAGate"}, installer.root, applicationData(), failureStatus);
    RunSettings settings;
    settings.workflowSwitched = [this](const std::u16string& from, const std::u16string& to) {
        switched.push_back(from + u">" + to);
        createPageModels(model(), installer.root);
    };

    EXPECT_EQ(WorkflowRunner(handler, workflows, applicationData(), *this, settings).run(kOnline),
              GetParam().end);

    EXPECT_EQ(processed, GetParam().processed);
    EXPECT_EQ(switched, GetParam().switched);
    EXPECT_EQ(failures, GetParam().failures);
    // Sign-in data outlives a switch; what the first workflow chose does not.
    EXPECT_EQ(independent().getLoginRequestParameters().getEndPoint(), u"https://sign-in.example");
    if (GetParam().end == RunEnd::Completed) {
        EXPECT_EQ(handler->getUserInputFolder(), u"");
    }
}

const std::u16string kToDownload = std::u16string(kOnline) + u">DownloadOnly";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Switches, WorkflowRunnerSwitchTest, ::testing::Values(
    SwitchCase{"OnTheSignInPage", u"LoginGate", u"DownloadOnly", {}, RunEnd::Completed,
               {u"WelcomeGate", u"SLAGate", u"DownloadFolderGate", u"FinalGate"}, {kToDownload}, {}},
    SwitchCase{"AfterTheFolderPagePagesPassedThatBothShareAreNotShownAgain", u"ProductSelectionGate",
               u"DownloadOnly", {}, RunEnd::Completed, {u"WelcomeGate", u"LoginGate", u"SLAGate",
               u"FolderSelectionGate", u"DownloadFolderGate", u"FinalGate"}, {kToDownload}, {}},
    SwitchCase{"ANewFirstGateThatAsksToBeSkippedIsSkipped", u"LoginGate", u"DownloadOnly", {u"SLAGate"},
               RunEnd::Completed, {u"WelcomeGate", u"DownloadFolderGate", u"FinalGate"}, {kToDownload}, {}},
    SwitchCase{"ToAnUnknownWorkflowFailsWithThePreparedStatus", u"LoginGate", u"Nope", {}, RunEnd::Failed,
               {u"WelcomeGate"}, {}, {u"Workflow Error"}},
    // What the page checks on its own (the runtime's space check) stops the run as its failure.
    SwitchCase{"APageWhoseDataIsNotReadyIsNotProcessed", u"", u"", {}, RunEnd::Failed,
               {u"WelcomeGate", u"LoginGate", u"SLAGate"}, {}, {u"Disk Space"}, {u"FolderSelectionGate"}}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
}  // namespace velora::installer
