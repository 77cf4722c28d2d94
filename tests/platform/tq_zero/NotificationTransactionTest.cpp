#include <gtest/gtest.h>

#include "RecordingListeners.h"
#include "install/datamodels/DataModel.h"
#include "tq_zero/LiveNodeCount.h"

namespace tq_zero_test {
namespace {

using install::datamodels::common::ApplicationData;
using install::datamodels::product_installer::ProductInstaller;
using install::datamodels::product_installer::ProductSelection;
using install::datamodels::product_installer::WorkflowDependentData;
using install::datamodels::product_installer::WorkflowIndependentData;
using tq::zero::Model;
using tq::zero::nilUuid;

// Reacts to a committed change of the workflow name the way the installer's workflow switch
// does: in a transaction of its own, begun inside the notification.
class WorkflowNameListener : public tq::zero::Listener {
public:
    static constexpr bool IsObserver = true;

    WorkflowNameListener(Model model, ProductInstaller root, ApplicationData data)
        : model_(std::move(model)), root_(std::move(root)), data_(std::move(data)) {
        model_.addListener(*this);
    }
    ~WorkflowNameListener() override { model_.removeListener(*this); }

    void transactionCommitted(const tq::zero::ShallowChangeReport<ApplicationData>& report) {
        const auto& workflowName = ApplicationData::meta().property("workflowName");
        for (const auto& entry : report) {
            if (!entry.isChanged(workflowName)) continue;
            model_.beginTransaction(false);
            root_.setWorkflowDependentData(WorkflowDependentData::create(model_, nilUuid()));
            data_.setIsDataModified(false);
            data_.setDataRequired(u"first gate of " + data_.getWorkflowName());
            model_.commit();
            model_.endTransaction();
            ++switches;
        }
    }

    int switches = 0;

private:
    Model model_;
    ProductInstaller root_;
    ApplicationData data_;
};

class NotificationTransactionTest : public ::testing::Test {
protected:
    NotificationTransactionTest() {
        auto independent = WorkflowIndependentData::create(model, nilUuid());
        independent.setApplicationData(data);
        independent.setLocale(u"en");
        root.setWorkflowIndependentData(independent);
        auto dependent = WorkflowDependentData::create(model, nilUuid());
        dependent.setProductSelection(ProductSelection::create(model, nilUuid()));
        modifyAndCommit(dependent.getProductSelection().getSelectedProducts(),
                        [&](auto& edit) { edit.insert(u"core"); });
        root.setWorkflowDependentData(dependent);
        data.setIsDataModified(true);
        model.addListener(observer);
    }
    ~NotificationTransactionTest() override { model.removeListener(observer); }

    Model model;
    ProductInstaller root = ProductInstaller::create(model, nilUuid());
    ApplicationData data = ApplicationData::create(model, nilUuid());
    RecordingObserver<ApplicationData> observer;
    WorkflowNameListener listener{model, root, data};
};

TEST_F(NotificationTransactionTest, ACommittedWorkflowNameChangeRunsTheListenersOwnTransaction) {
    model.beginTransaction(false);
    data.setWorkflowName(u"DownloadOnly");
    model.commit();
    model.endTransaction();

    EXPECT_EQ(listener.switches, 1);
    EXPECT_FALSE(data.getIsDataModified());
    EXPECT_EQ(data.getDataRequired(), u"first gate of DownloadOnly");
    EXPECT_FALSE(root.getWorkflowDependentData().hasProductSelection());
    EXPECT_EQ(root.getWorkflowIndependentData().getLocale(), u"en");
    // The listener's own commit is reported while the first one is being dispatched.
    const auto commits = observer.commits();
    ASSERT_EQ(commits.size(), 2u);
    EXPECT_EQ(commits[0], (SeenCommit{{&ApplicationData::meta(), {"isDataModified", "dataRequired"}}}));
    EXPECT_EQ(commits[1], (SeenCommit{{&ApplicationData::meta(), {"workflowName"}}}));
}

TEST_F(NotificationTransactionTest, AWorkflowNameWrittenOutsideATransactionSwitchesToo) {
    data.setWorkflowName(u"License Manager");
    EXPECT_EQ(listener.switches, 1);
    EXPECT_FALSE(model.isInTransaction());
}

TEST_F(NotificationTransactionTest, OtherApplicationDataChangesDoNotSwitch) {
    data.setDataRequired(u"gate");
    EXPECT_EQ(listener.switches, 0);
    EXPECT_TRUE(root.getWorkflowDependentData().hasProductSelection());
}

TEST_F(NotificationTransactionTest, ARolledBackWorkflowNameChangeDoesNotSwitch) {
    model.beginTransaction(false);
    data.setWorkflowName(u"DownloadOnly");
    model.endTransaction();
    EXPECT_EQ(listener.switches, 0);
    EXPECT_EQ(data.getWorkflowName(), u"");
}

TEST_F(NotificationTransactionTest, TheDiscardedWorkflowDependentDataIsFreed) {
    const auto before = tq::zero::detail::liveNodeCount(root);
    data.setWorkflowName(u"DownloadOnly");
    // The old dependent data and its product selection are gone, one new element came.
    EXPECT_EQ(tq::zero::detail::liveNodeCount(root), before - 1);
}

}  // namespace
}  // namespace tq_zero_test
