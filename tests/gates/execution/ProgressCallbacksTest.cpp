// The engine's progress reports as the callbacks turn them into model records, page texts and
// log lines.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fl/i18n/Message.h"
#include "gates/execution/ProgressGateDownloadCallback.h"
#include "gates/execution/ProgressGateInstallCallback.h"
#include "gates/execution/ProgressGateUninstallCallback.h"
#include "install/cpputil/Logger.h"
#include "install/platformutil/SizeFormatter.h"
#include "support/ModelFixture.h"

namespace {

using install::platformutil::SizeFormatter;
using install::product_installer::workflow_utils::ProgressGateDownloadCallback;
using install::product_installer::workflow_utils::ProgressGateInstallCallback;
using install::product_installer::workflow_utils::ProgressGateUninstallCallback;
using testing::ElementsAre;
using testing::IsEmpty;
using workflow_test::ModelFixture;

constexpr std::uint64_t kMiB = 1024 * 1024;

// "progressMessage" as the page must show it: the done size padded on the left to 12 characters.
std::u16string sizesText(std::uint64_t done, std::uint64_t total) {
    std::string padded = SizeFormatter::format(done);
    padded.insert(0, 12 - padded.size(), ' ');
    return fl::i18n::message("progressMessage", padded, SizeFormatter::format(total));
}

class ProgressCallbacksTest : public ModelFixture {
protected:
    ProgressCallbacksTest() { handler->initializeProgressData(); }

    install::datamodels::product_installer::ProgressData progress() const {
        return dependent().getProgressData();
    }

    install::cpputil::logger::ScopedCapture log;
};

TEST_F(ProgressCallbacksTest, InstallReportBecomesTheModelsRecordWithTheSizesMessage) {
    ProgressGateInstallCallback callback(handler);
    callback({u"Velora", 2, 3 * kMiB, 5, 300 * kMiB, 1});

    const auto record = progress().getInstallProgressData();
    EXPECT_EQ(record.getComponentName(), u"Velora");
    EXPECT_EQ(record.getNumberOfComponentsInstalledSoFar(), 2u);
    EXPECT_EQ(record.getBytesInstalledSoFar(), 3 * kMiB);
    EXPECT_EQ(record.getExpectedNumberOfComponentsToBeInstalled(), 5u);
    EXPECT_EQ(record.getExpectedBytesToBeInstalled(), 300 * kMiB);
    EXPECT_EQ(record.getPercentage(), 1u);
    EXPECT_EQ(record.getInstallMessage(), sizesText(3 * kMiB, 300 * kMiB));
    EXPECT_EQ(record.getInstallMessage().substr(0, 12), u"     3.0 MiB");
    EXPECT_EQ(record.getInstallTitle(), fl::i18n::message("installTitle"));
    EXPECT_EQ(progress().getOverallProgressData().getPercentage(), 1u);
}

TEST_F(ProgressCallbacksTest, DownloadReportBecomesTheModelsRecordAndIsNotLogged) {
    ProgressGateDownloadCallback callback(handler);
    callback({u"Flowmere", 30, 100, 30});

    const auto record = progress().getDownloadProgressData();
    EXPECT_EQ(record.getComponentName(), u"Flowmere");
    EXPECT_EQ(record.getBytesDownloadedSoFar(), 30u);
    EXPECT_EQ(record.getExpectedBytesToBeDownloaded(), 100u);
    EXPECT_EQ(record.getPercentage(), 30u);
    EXPECT_EQ(record.getDownloadMessage(), sizesText(30, 100));
    EXPECT_EQ(record.getDownloadTitle(), fl::i18n::message("downloadTitle"));
    EXPECT_EQ(progress().getOverallProgressData().getPercentage(), 30u);
    EXPECT_THAT(log.lines(), IsEmpty());
}

TEST_F(ProgressCallbacksTest, OverallPercentageWeighsDownloadAndInstallBytes) {
    ProgressGateDownloadCallback download(handler);
    ProgressGateInstallCallback install(handler);
    download({u"Velora", 30, 100, 30});
    install({u"Velora", 0, 0, 1, 300, 0});
    EXPECT_EQ(progress().getOverallProgressData().getPercentage(), 7u);
}

TEST_F(ProgressCallbacksTest, UninstallReportBecomesTheUninstallRecordAndItsOwnOverallPercentage) {
    ProgressGateUninstallCallback callback(handler);
    callback({u"Velora", 50, 200, 25});

    const auto record = progress().getUninstallProgressData();
    EXPECT_EQ(record.getComponentName(), u"Velora");
    EXPECT_EQ(record.getBytesUninstalledSoFar(), 50u);
    EXPECT_EQ(record.getExpectedBytesToBeUninstalled(), 200u);
    EXPECT_EQ(record.getPercentage(), 25u);
    EXPECT_EQ(record.getUninstallMessage(), sizesText(50, 200));
    EXPECT_EQ(record.getUninstallTitle(), fl::i18n::message("uninstallTitle"));
    EXPECT_EQ(progress().getOverallProgressData().getPercentage(), 25u);
    EXPECT_THAT(log.lines(), ElementsAre(u"25%"));
}

// Each kind's texts around the 99 percent threshold, read back from the model.
struct Threshold {
    std::uint64_t percent;
    bool completed;
};

class ProgressTextThresholdTest : public ProgressCallbacksTest,
                                  public testing::WithParamInterface<Threshold> {};

TEST_P(ProgressTextThresholdTest, InstallTexts) {
    ProgressGateInstallCallback callback(handler);
    callback({u"Velora", 0, 98, 1, 100, GetParam().percent});
    const auto record = progress().getInstallProgressData();
    if (GetParam().completed) {
        EXPECT_EQ(record.getInstallMessage(), fl::i18n::message("installCompletedMessage"));
        EXPECT_EQ(record.getInstallTitle(), u"");
    } else {
        EXPECT_EQ(record.getInstallMessage(), sizesText(98, 100));
        EXPECT_EQ(record.getInstallTitle(), fl::i18n::message("installTitle"));
    }
}

TEST_P(ProgressTextThresholdTest, DownloadTexts) {
    ProgressGateDownloadCallback callback(handler);
    callback({u"Velora", 98, 100, GetParam().percent});
    const auto record = progress().getDownloadProgressData();
    if (GetParam().completed) {
        EXPECT_EQ(record.getDownloadMessage(), fl::i18n::message("downloadCompletedMessage"));
        EXPECT_EQ(record.getDownloadTitle(), u"");
    } else {
        EXPECT_EQ(record.getDownloadMessage(), sizesText(98, 100));
        EXPECT_EQ(record.getDownloadTitle(), fl::i18n::message("downloadTitle"));
    }
}

TEST_P(ProgressTextThresholdTest, UninstallTexts) {
    ProgressGateUninstallCallback callback(handler);
    callback({u"Velora", 98, 100, GetParam().percent});
    const auto record = progress().getUninstallProgressData();
    if (GetParam().completed) {
        EXPECT_EQ(record.getUninstallMessage(), fl::i18n::message("uninstallCompletedMessage"));
        EXPECT_EQ(record.getUninstallTitle(), u"");
    } else {
        EXPECT_EQ(record.getUninstallMessage(), sizesText(98, 100));
        EXPECT_EQ(record.getUninstallTitle(), fl::i18n::message("uninstallTitle"));
    }
}

INSTANTIATE_TEST_SUITE_P(AroundNinetyNine, ProgressTextThresholdTest,
                         testing::Values(Threshold{0, false}, Threshold{98, false}, Threshold{99, true},
                                         Threshold{100, true}, Threshold{150, true}));

TEST_F(ProgressCallbacksTest, InstallLogsEachNewPercentOnceAndNothingOutsideOneToHundred) {
    ProgressGateInstallCallback callback(handler);
    for (const std::uint64_t percent : {0, 1, 1, 2, 2, 2, 50, 101, 50, 100, 100}) {
        callback({u"Velora", 0, percent, 1, 100, percent});
    }
    EXPECT_THAT(log.lines(), ElementsAre(u"1%", u"2%", u"50%", u"100%"));
    // Out-of-range reports still reach the model.
    callback({u"Velora", 0, 0, 1, 100, 0});
    EXPECT_EQ(progress().getInstallProgressData().getPercentage(), 0u);
    callback({u"Velora", 0, 0, 1, 100, 101});
    EXPECT_EQ(progress().getInstallProgressData().getPercentage(), 101u);
    EXPECT_EQ(log.lines().size(), 4u);
}

TEST_F(ProgressCallbacksTest, APercentComingBackAfterAnotherIsLoggedAgain) {
    ProgressGateInstallCallback callback(handler);
    for (const std::uint64_t percent : {10, 20, 10}) callback({u"Velora", 0, percent, 1, 100, percent});
    EXPECT_THAT(log.lines(), ElementsAre(u"10%", u"20%", u"10%"));
}

TEST_F(ProgressCallbacksTest, UninstallLogsLikeInstall) {
    ProgressGateUninstallCallback callback(handler);
    for (const std::uint64_t percent : {0, 5, 5, 100, 101}) callback({u"Velora", percent, 100, percent});
    EXPECT_THAT(log.lines(), ElementsAre(u"5%", u"100%"));
}

TEST_F(ProgressCallbacksTest, EveryPercentOfAFullRunIsLoggedExactlyOnce) {
    ProgressGateInstallCallback callback(handler);
    for (std::uint64_t bytes = 0; bytes <= 1000; ++bytes) {
        callback({u"Velora", 0, bytes, 1, 1000, bytes / 10});
    }
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines.front(), u"1%");
    EXPECT_EQ(lines.back(), u"100%");
}

}  // namespace
