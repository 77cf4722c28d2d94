// Progress records, the overall percentage and the confirmation summary, on one thread.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "support/ModelFixture.h"
#include "support/ValueText.h"

namespace {

using workflow_test::joined;
using Bytes = std::optional<std::pair<std::uint64_t, std::uint64_t>>;  // so far, expected

class ProgressDataTest : public workflow_test::ModelFixture {
protected:
    void SetUp() override { handler->initializeProgressData(); }
    install::datamodels::product_installer::ProgressData progress() const {
        return dependent().getProgressData();
    }
    void download(std::uint64_t soFar, std::uint64_t expected) const {
        handler->setDownloadProgressData(u"archive", soFar, expected, 0, u"", u"");
    }
    void install(std::uint64_t soFar, std::uint64_t expected) const {
        handler->setInstallProgressData(u"component", 0, soFar, 0, expected, 0, u"", u"");
    }
    std::uint64_t overall() const { return handler->getOverallProgressData().getPercentage(); }
};

TEST_F(ProgressDataTest, EachSetterReplacesItsRecordWithEveryFieldInArgumentOrder) {
    handler->setDownloadProgressData(u"velora.enc", 10, 20, 999, u"Downloading", u"Download");
    const auto first = progress().getDownloadProgressData();
    handler->setDownloadProgressData(u"velora.enc", 11, 20, 55, u"Downloading", u"Download");
    handler->setInstallProgressData(u"blocks", 1, 2, 3, 4, 5, u"Installing", u"Install");
    handler->setUninstallProgressData(u"old", 7, 8, 9, u"Removing", u"Uninstall");

    const auto d = handler->getDownloadProgressData();
    const auto i = handler->getInstallProgressData();
    const auto u = handler->getUninstallProgressData();
    EXPECT_EQ(joined(d.getComponentName(), d.getBytesDownloadedSoFar(), d.getExpectedBytesToBeDownloaded(),
                     d.getPercentage(), d.getDownloadMessage(), d.getDownloadTitle(), d.id().is_nil()),
              "velora.enc|11|20|55|Downloading|Download|true");
    EXPECT_EQ(
        joined(i.getComponentName(), i.getNumberOfComponentsInstalledSoFar(), i.getBytesInstalledSoFar(),
               i.getExpectedNumberOfComponentsToBeInstalled(), i.getExpectedBytesToBeInstalled(),
               i.getPercentage(), i.getInstallMessage(), i.getInstallTitle()),
        "blocks|1|2|3|4|5|Installing|Install");
    EXPECT_EQ(joined(u.getComponentName(), u.getBytesUninstalledSoFar(), u.getExpectedBytesToBeUninstalled(),
                     u.getPercentage(), u.getUninstallMessage(), u.getUninstallTitle()),
              "old|7|8|9|Removing|Uninstall");
    EXPECT_EQ(first.getBytesDownloadedSoFar(), 10u) << "an earlier record is replaced, not changed";
    EXPECT_FALSE(progress().hasOverallProgressData()) << "the setters compute nothing";
    EXPECT_FALSE(model().isInTransaction());
}

TEST_F(ProgressDataTest, WithoutRecordsTheGettersAnswerDefaultsWithoutStoringThem) {
    EXPECT_EQ(joined(handler->getDownloadProgressData().getBytesDownloadedSoFar(),
                     handler->getInstallProgressData().getExpectedBytesToBeInstalled(),
                     handler->getUninstallProgressData().getComponentName(), overall()),
              "0|0||0");
    EXPECT_EQ(joined(progress().hasDownloadProgressData(), progress().hasInstallProgressData(),
                     progress().hasUninstallProgressData(), progress().hasOverallProgressData()),
              "false|false|false|false");
}

struct Overall {
    const char* name;
    Bytes download;
    Bytes install;
    std::uint64_t percentage;
};
void PrintTo(const Overall& row, std::ostream* out) { *out << row.name; }

class OverallProgressTest : public ProgressDataTest, public testing::WithParamInterface<Overall> {};

TEST_P(OverallProgressTest, CombinesDownloadAndInstallBytesTruncatedAndCapped) {
    if (GetParam().download) download(GetParam().download->first, GetParam().download->second);
    if (GetParam().install) install(GetParam().install->first, GetParam().install->second);
    handler->updateOverallProgress();
    EXPECT_EQ(progress().getOverallProgressData().getPercentage(), GetParam().percentage);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, OverallProgressTest,
    testing::Values(
        Overall{"ThirtyOfHundredAndNoneOfThreeHundred", std::pair{30, 100}, std::pair{0, 300}, 7},
        Overall{"MoreThanExpectedIsExactlyHundred", std::pair{500, 100}, std::pair{101, 100}, 100},
        Overall{"ZeroOfZeroDownloadGivesTheInstallRatio", std::pair{0, 0}, std::pair{50, 200}, 25},
        Overall{"NoDownloadRecordGivesTheInstallRatio", std::nullopt, std::pair{2, 3}, 66},
        Overall{"LargeCountsDoNotOverflow", std::pair{1ull << 40, 1ull << 41}, std::pair{0, 1ull << 41}, 25}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgressDataTest, WithoutExpectedBytesTheUpdatersKeepThePreviousOverallRecord) {
    download(30, 100);
    install(0, 300);
    handler->updateOverallProgress();
    download(0, 0);
    install(0, 0);
    EXPECT_NO_THROW(handler->updateOverallProgress());
    EXPECT_NO_THROW(handler->updateOverallUninstallProgress());
    EXPECT_EQ(overall(), 7u);
    EXPECT_FALSE(model().isInTransaction());
}

TEST_F(ProgressDataTest, UninstallOverallUsesOnlyTheUninstallRecord) {
    download(100, 100);
    handler->setUninstallProgressData(u"old", 50, 200, 0, u"", u"");
    handler->updateOverallUninstallProgress();
    EXPECT_EQ(overall(), 25u);
    handler->setUninstallProgressData(u"old", 201, 200, 0, u"", u"");
    handler->updateOverallUninstallProgress();
    EXPECT_EQ(overall(), 100u);
}

TEST_F(ProgressDataTest, ConfirmationItemsAreCreatedUnattachedReplacedInOrderAndResetToNone) {
    handler->initializeConfirmationModel();
    const auto folder = handler->createConfirmationItem();
    const auto products = handler->createConfirmationItem();
    const auto items = [this] {
        return dependent().getConfirmationData().getConfirmationItemToDisplayList().values();
    };
    EXPECT_TRUE(items().empty());
    handler->setConfirmationItems({handler->createConfirmationItem()});
    handler->setConfirmationItems({products, folder});
    ASSERT_EQ(items().size(), 2u);
    EXPECT_TRUE(items()[0] == products && items()[1] == folder);

    applicationData().setIsDataModified(false);
    handler->resetConfirmationItems();
    EXPECT_TRUE(items().empty());
    EXPECT_TRUE(applicationData().getIsDataModified());
}

}  // namespace
