// Workflow names compared code unit by code unit, the handler operations that ask their
// siblings through the virtual table, and the one step operation with a transaction of its own.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "support/ModelFixture.h"
#include "support/SubstituteHandler.h"
#include "support/ValueText.h"

namespace {

using install::datamodels::common::ApplicationData;
using install::datamodels::product_installer::ProductSelection;
using install::product_installer::workflow_utils::DataModelHandler;
using workflow_test::joined;
using workflow_test::ModelFixture;

// Online, from folder, download only, packaged application, licence manager.
std::string workflowAnswers(const DataModelHandler& h) {
    return joined(h.isOnlineInstallWorkflow(), h.isInteractiveInstallFromFolderWorkflow(),
                  h.isDownloadOnlyWorkflow(), h.isVantapakWorkflow(), h.isLicenseManagerWorkflow());
}

struct WorkflowName {
    const char* name;
    std::u16string workflow;
    std::string answers;
};
void PrintTo(const WorkflowName& row, std::ostream* out) { *out << row.name; }

class WorkflowNameTest : public ModelFixture, public testing::WithParamInterface<WorkflowName> {};

TEST_P(WorkflowNameTest, OnlyTheExactNameMatches) {
    handler->setWorkflow(GetParam().workflow);
    EXPECT_EQ(workflowAnswers(*handler), GetParam().answers);
}

INSTANTIATE_TEST_SUITE_P(
    Names, WorkflowNameTest,
    testing::Values(
        WorkflowName{"Online", u"Interactive Online Install", "true|false|false|false|false"},
        WorkflowName{"FromFolder", u"Interactive Install From Folder", "false|true|false|false|false"},
        WorkflowName{"DownloadOnly", u"DownloadOnly", "false|false|true|false|false"},
        WorkflowName{"Vantapak", u"Vantapak Install", "false|false|false|true|false"},
        WorkflowName{"LicenseManager", u"License Manager", "false|false|false|false|true"},
        WorkflowName{"LowerCase", u"downloadonly", "false|false|false|false|false"},
        WorkflowName{"TrailingBlank", u"DownloadOnly ", "false|false|false|false|false"},
        WorkflowName{"TrailingNul", std::u16string(u"DownloadOnly\0", 13), "false|false|false|false|false"},
        WorkflowName{"Prefix", u"Interactive Online", "false|false|false|false|false"}),
    [](const auto& info) { return std::string(info.param.name); });

// Answers three reads itself while the model holds something else; the operations built on them
// must follow.
class RedirectingHandler : public workflow_test::SubstituteHandler {
public:
    std::u16string getWorkflow() const override { return u"DownloadOnly"; }
    std::u16string getAccessToken() const override { return u"token-from-elsewhere"; }
    ProductSelection getProductSelectionObjectFromDataModel() const override { return redirected; }
    ProductSelection redirected = ProductSelection::create(getModelInstance(), tq::zero::nilUuid());
};

TEST(SubstituteHandlerTest, OperationsAskTheirSiblingsThroughTheVirtualTable) {
    RedirectingHandler handler;
    handler.setWorkflow(u"Interactive Online Install");
    handler.setMissingProductWarning(true);
    handler.setMissingNotInstalledShown(true);
    EXPECT_EQ(workflowAnswers(handler), "false|false|true|false|false");
    EXPECT_TRUE(handler.isUserLoggedIn());
    EXPECT_EQ(joined(handler.redirected.getIsMissingProducts(), handler.redirected.getIsMissingNotInstalled(),
                     handler.isMissingProductWarningShown(), handler.isMissingNotInstalledShown()),
              "true|true|true|true");
}

// Rejects every commit that touches the application data.
class RejectingValidator : public tq::zero::Listener {
public:
    static constexpr bool IsValidator = true;
    std::optional<std::string> validateTransaction(const tq::zero::ShallowChangeReport<ApplicationData>&) {
        return std::string("rejected by the test");
    }
};

class DataAvailableToUnsetTest : public ModelFixture {
protected:
    void SetUp() override { applicationData().setDataAvailable(u"LoginGate"); }
};

TEST_F(DataAvailableToUnsetTest, CommitsInATransactionOfItsOwnInsideTheCallersOne) {
    handler->setDataAvailableToUnset();
    EXPECT_FALSE(model().isInTransaction());
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");

    applicationData().setDataAvailable(u"LoginGate");
    model().beginTransaction(false);
    handler->setDataAvailableToUnset();
    EXPECT_TRUE(model().isInTransaction()) << "the caller's transaction stays open";
    (void)model().commit();
    model().endTransaction();
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");
}

TEST_F(DataAvailableToUnsetTest, ARejectedCommitIsIgnoredAndAFailedWriteStillEndsTheTransaction) {
    RejectingValidator validator;
    model().addListener(validator);
    EXPECT_NO_THROW(handler->setDataAvailableToUnset());
    EXPECT_FALSE(model().isInTransaction());
    EXPECT_EQ(applicationData().getDataAvailable(), u"LoginGate") << "the model undoes what it refused";
    model().removeListener(validator);

    independent().setApplicationData(ApplicationData());
    EXPECT_THROW(handler->setDataAvailableToUnset(), std::exception);
    EXPECT_FALSE(model().isInTransaction());
}

}  // namespace
