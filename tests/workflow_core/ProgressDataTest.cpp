// Progress records, the overall percentage and the confirmation summary, on one thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "support/ModelFixture.h"

namespace {

using install::datamodels::product_installer::ProgressData;
using testing::IsEmpty;
using workflow_test::ModelFixture;

class ProgressDataTest : public ModelFixture {
protected:
    void SetUp() override { handler->initializeProgressData(); }
    ProgressData progress() const { return dependent().getProgressData(); }

    void download(std::uint64_t soFar, std::uint64_t expected) const {
        handler->setDownloadProgressData(u"archive", soFar, expected, 0, u"", u"");
    }
    void install(std::uint64_t soFar, std::uint64_t expected) const {
        handler->setInstallProgressData(u"component", 0, soFar, 0, expected, 0, u"", u"");
    }
    void uninstall(std::uint64_t soFar, std::uint64_t expected) const {
        handler->setUninstallProgressData(u"component", soFar, expected, 0, u"", u"");
    }
    std::uint64_t overall() const { return progress().getOverallProgressData().getPercentage(); }
};

TEST_F(ProgressDataTest, SettersStoreEveryFieldUnchanged) {
    handler->setDownloadProgressData(u"velora.enc", 10, 20, 999, u"Downloading", u"Download");
    handler->setInstallProgressData(u"simulink", 1, 2, 3, 4, 5, u"Installing", u"Install");
    handler->setUninstallProgressData(u"old", 7, 8, 9, u"Removing", u"Uninstall");

    const auto d = progress().getDownloadProgressData();
    EXPECT_EQ(d.getComponentName(), u"velora.enc");
    EXPECT_EQ(d.getBytesDownloadedSoFar(), 10u);
    EXPECT_EQ(d.getExpectedBytesToBeDownloaded(), 20u);
    EXPECT_EQ(d.getPercentage(), 999u);
    EXPECT_EQ(d.getDownloadMessage(), u"Downloading");
    EXPECT_EQ(d.getDownloadTitle(), u"Download");

    const auto i = progress().getInstallProgressData();
    EXPECT_EQ(i.getComponentName(), u"simulink");
    EXPECT_EQ(i.getNumberOfComponentsInstalledSoFar(), 1u);
    EXPECT_EQ(i.getBytesInstalledSoFar(), 2u);
    EXPECT_EQ(i.getExpectedNumberOfComponentsToBeInstalled(), 3u);
    EXPECT_EQ(i.getExpectedBytesToBeInstalled(), 4u);
    EXPECT_EQ(i.getPercentage(), 5u);
    EXPECT_EQ(i.getInstallMessage(), u"Installing");
    EXPECT_EQ(i.getInstallTitle(), u"Install");

    const auto u = progress().getUninstallProgressData();
    EXPECT_EQ(u.getComponentName(), u"old");
    EXPECT_EQ(u.getBytesUninstalledSoFar(), 7u);
    EXPECT_EQ(u.getExpectedBytesToBeUninstalled(), 8u);
    EXPECT_EQ(u.getPercentage(), 9u);
    EXPECT_EQ(u.getUninstallMessage(), u"Removing");
    EXPECT_EQ(u.getUninstallTitle(), u"Uninstall");

    EXPECT_FALSE(progress().hasOverallProgressData()) << "the setters compute nothing";
}

TEST_F(ProgressDataTest, EachReportReplacesTheRecordAndLeavesTheOldOneAsItWas) {
    download(10, 100);
    const auto first = progress().getDownloadProgressData();
    download(20, 100);
    const auto second = progress().getDownloadProgressData();

    EXPECT_FALSE(first == second);
    EXPECT_EQ(first.getBytesDownloadedSoFar(), 10u);
    EXPECT_EQ(second.getBytesDownloadedSoFar(), 20u);
    EXPECT_TRUE(second.id().is_nil());
}

TEST_F(ProgressDataTest, SettersAndUpdatersLeaveNoTransactionOpen) {
    download(1, 2);
    install(1, 2);
    uninstall(1, 2);
    handler->updateOverallProgress();
    handler->updateOverallUninstallProgress();
    EXPECT_FALSE(model().isInTransaction());
}

TEST_F(ProgressDataTest, GettersReturnUnstoredDefaultsWhenThereIsNoRecord) {
    const auto d = handler->getDownloadProgressData();
    const auto i = handler->getInstallProgressData();
    const auto u = handler->getUninstallProgressData();
    const auto o = handler->getOverallProgressData();
    EXPECT_TRUE(d.getComponentName().empty());
    EXPECT_EQ(d.getBytesDownloadedSoFar(), 0u);
    EXPECT_EQ(i.getExpectedBytesToBeInstalled(), 0u);
    EXPECT_EQ(u.getPercentage(), 0u);
    EXPECT_EQ(o.getPercentage(), 0u);

    EXPECT_FALSE(progress().hasDownloadProgressData());
    EXPECT_FALSE(progress().hasInstallProgressData());
    EXPECT_FALSE(progress().hasUninstallProgressData());
    EXPECT_FALSE(progress().hasOverallProgressData());
}

TEST_F(ProgressDataTest, GettersReadTheStoredRecord) {
    handler->setDownloadProgressData(u"a", 5, 6, 83, u"m", u"t");
    EXPECT_TRUE(handler->getDownloadProgressData() == progress().getDownloadProgressData());
}

TEST_F(ProgressDataTest, InitializeProgressDataDropsEveryRecord) {
    download(1, 2);
    install(1, 2);
    handler->updateOverallProgress();
    handler->initializeProgressData();
    EXPECT_FALSE(progress().hasDownloadProgressData());
    EXPECT_FALSE(progress().hasInstallProgressData());
    EXPECT_FALSE(progress().hasOverallProgressData());
}

// --- the overall percentage ---

struct OverallCase {
    const char* label;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> download;  // so far, expected
    std::optional<std::pair<std::uint64_t, std::uint64_t>> install;
    std::uint64_t expected;
};

class OverallProgressTest : public ProgressDataTest, public testing::WithParamInterface<OverallCase> {};

TEST_P(OverallProgressTest, CombinesDownloadAndInstallBytes) {
    if (GetParam().download) download(GetParam().download->first, GetParam().download->second);
    if (GetParam().install) install(GetParam().install->first, GetParam().install->second);
    handler->updateOverallProgress();
    EXPECT_EQ(overall(), GetParam().expected);
    EXPECT_EQ(handler->getOverallProgressData().getPercentage(), GetParam().expected);
}

using Bytes = std::pair<std::uint64_t, std::uint64_t>;

INSTANTIATE_TEST_SUITE_P(
    Formula, OverallProgressTest,
    testing::Values(OverallCase{"ThirtyOfHundredAndNothingInstalled", Bytes{30, 100}, Bytes{0, 300}, 7},
                    OverallCase{"Complete", Bytes{100, 100}, Bytes{300, 300}, 100},
                    OverallCase{"NothingYet", Bytes{0, 100}, Bytes{0, 300}, 0},
                    OverallCase{"MoreThanExpectedCapsAt100", Bytes{500, 100}, Bytes{0, 0}, 100},
                    OverallCase{"JustAboveExpectedCapsAt100", Bytes{101, 100}, Bytes{300, 300}, 100},
                    OverallCase{"ZeroOfZeroDownloadGivesInstallRatio", Bytes{0, 0}, Bytes{50, 200}, 25},
                    OverallCase{"NoDownloadRecordGivesInstallRatio", std::nullopt, Bytes{2, 3}, 66},
                    OverallCase{"NoInstallRecordGivesDownloadRatio", Bytes{1, 3}, std::nullopt, 33},
                    OverallCase{"DivisionTruncates", Bytes{199, 1000}, Bytes{0, 0}, 19},
                    OverallCase{"LargeByteCounts", Bytes{1ull << 40, 1ull << 41}, Bytes{0, 1ull << 41}, 25}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProgressDataTest, BothDivisorsZeroKeepsThePreviousOverallRecord) {
    download(30, 100);
    install(0, 300);
    handler->updateOverallProgress();
    const auto previous = progress().getOverallProgressData();

    download(0, 0);
    install(0, 0);
    EXPECT_NO_THROW(handler->updateOverallProgress());
    EXPECT_TRUE(progress().getOverallProgressData() == previous);
    EXPECT_EQ(overall(), 7u);
    EXPECT_FALSE(model().isInTransaction());
}

TEST_F(ProgressDataTest, BothDivisorsZeroWithoutAnyRecordStillDoesNotFail) {
    EXPECT_NO_THROW(handler->updateOverallProgress());
    EXPECT_NO_THROW(handler->updateOverallUninstallProgress());
    EXPECT_EQ(handler->getOverallProgressData().getPercentage(), 0u);
    EXPECT_FALSE(model().isInTransaction());
}

TEST_F(ProgressDataTest, UninstallOverallUsesOnlyTheUninstallRecord) {
    download(100, 100);
    uninstall(50, 200);
    handler->updateOverallUninstallProgress();
    EXPECT_EQ(overall(), 25u);

    uninstall(201, 200);
    handler->updateOverallUninstallProgress();
    EXPECT_EQ(overall(), 100u);

    uninstall(0, 0);
    EXPECT_NO_THROW(handler->updateOverallUninstallProgress());
    EXPECT_EQ(overall(), 100u);
}

TEST_F(ProgressDataTest, UpdatersReplaceTheOverallRecord) {
    download(10, 100);
    handler->updateOverallProgress();
    const auto first = progress().getOverallProgressData();
    download(20, 100);
    handler->updateOverallProgress();
    EXPECT_FALSE(progress().getOverallProgressData() == first);
    EXPECT_EQ(first.getPercentage(), 10u);
    EXPECT_EQ(overall(), 20u);
}

// --- confirmation summary ---

class ConfirmationTest : public ModelFixture {
protected:
    void SetUp() override { handler->initializeConfirmationModel(); }
    std::vector<install::datamodels::product_installer::ConfirmationItem> items() const {
        return dependent().getConfirmationData().getConfirmationItemToDisplayList().values();
    }
};

TEST_F(ConfirmationTest, ItemsAreCreatedUnattachedAndReplaceTheListInOrder) {
    const auto folder = handler->createConfirmationItem();
    folder.setConfirmationValue(u"/opt/velora");
    const auto products = handler->createConfirmationItem();
    products.setConfirmationValue(u"VELORA, SIMULINK");
    EXPECT_THAT(items(), IsEmpty());

    handler->setConfirmationItems({handler->createConfirmationItem()});
    handler->setConfirmationItems({folder, products});
    const auto list = items();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_TRUE(list[0] == folder);
    EXPECT_TRUE(list[1] == products);
}

TEST_F(ConfirmationTest, ResetLeavesAnEmptyListAndMarksTheDataModified) {
    handler->setConfirmationItems({handler->createConfirmationItem(), handler->createConfirmationItem()});
    applicationData().setIsDataModified(false);

    handler->resetConfirmationItems();

    EXPECT_THAT(items(), IsEmpty());
    EXPECT_TRUE(applicationData().getIsDataModified());
}

}  // namespace
