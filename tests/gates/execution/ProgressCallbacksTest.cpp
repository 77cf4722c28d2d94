// The engine's progress reports as the callbacks turn them into model records, page texts and
// log lines.
#include <gmock/gmock.h>

#include <string>

#include "fl/i18n/Message.h"
#include "gates/execution/ProgressGateDownloadCallback.h"
#include "gates/execution/ProgressGateInstallCallback.h"
#include "gates/execution/ProgressGateUninstallCallback.h"
#include "support/ModelFixture.h"

namespace {

namespace wu = install::product_installer::workflow_utils;
using fl::i18n::message;
using testing::ElementsAre;
using workflow_test::joined;

constexpr std::uint64_t kMiB = 1024 * 1024;

class ProgressCallbacksTest : public workflow_test::ModelFixture {
protected:
    ProgressCallbacksTest() { handler->initializeProgressData(); }
    install::datamodels::product_installer::ProgressData progress() const {
        return dependent().getProgressData();
    }

    wu::ProgressGateDownloadCallback download{handler};
    wu::ProgressGateInstallCallback install{handler};
    wu::ProgressGateUninstallCallback uninstall{handler};
};

// The done size is right-aligned in twelve characters on the page.
TEST_F(ProgressCallbacksTest, EachReportBecomesItsRecordWithTheSizes) {
    download({u"Flowmere", 30, 100, 30});
    install({u"Velora", 2, 3 * kMiB, 5, 300 * kMiB, 1});

    const auto d = progress().getDownloadProgressData();
    const auto i = progress().getInstallProgressData();
    EXPECT_EQ(joined(d.getComponentName(), d.getBytesDownloadedSoFar(), d.getExpectedBytesToBeDownloaded(),
                     d.getPercentage(), d.getDownloadMessage(), d.getDownloadTitle()),
              joined("Flowmere", 30, 100, 30, message("progressMessage", "        30 B", "100 B"),
                     message("downloadTitle")));
    EXPECT_EQ(
        joined(i.getComponentName(), i.getNumberOfComponentsInstalledSoFar(), i.getBytesInstalledSoFar(),
               i.getExpectedNumberOfComponentsToBeInstalled(), i.getExpectedBytesToBeInstalled(),
               i.getPercentage(), i.getInstallMessage(), i.getInstallTitle()),
        joined("Velora", 2, 3 * kMiB, 5, 300 * kMiB, 1,
               message("progressMessage", "     3.0 MiB", "300.0 MiB"), message("installTitle")));
}

TEST_F(ProgressCallbacksTest, FromNinetyNinePercentTheMessageSaysCompletedAndTheTitleIsEmpty) {
    for (const std::uint64_t percent : {98, 99, 150}) {
        SCOPED_TRACE(percent);
        download({u"Velora", 98, 100, percent});
        install({u"Velora", 0, 98, 1, 100, percent});
        uninstall({u"Velora", 98, 100, percent});
        const auto d = progress().getDownloadProgressData();
        const auto i = progress().getInstallProgressData();
        const auto u = progress().getUninstallProgressData();
        const auto texts = joined(d.getDownloadMessage(), d.getDownloadTitle(), i.getInstallMessage(),
                                  i.getInstallTitle(), u.getUninstallMessage(), u.getUninstallTitle());
        const auto sizes = message("progressMessage", "        98 B", "100 B");
        EXPECT_EQ(texts, percent < 99 ? joined(sizes, message("downloadTitle"), sizes,
                                               message("installTitle"), sizes, message("uninstallTitle"))
                                      : joined(message("downloadCompletedMessage"), "",
                                               message("installCompletedMessage"), "",
                                               message("uninstallCompletedMessage"), ""));
    }
}

TEST_F(ProgressCallbacksTest, EachNewPercentFromOneToHundredIsLoggedOnce) {
    for (const std::uint64_t percent : {0, 1, 1, 2, 50, 101, 50, 100, 100, 10})
        install({u"V", 0, 1, 1, 1, percent});
    EXPECT_THAT(log.lines(), ElementsAre(u"1%", u"2%", u"50%", u"100%", u"10%"));
    EXPECT_EQ(progress().getInstallProgressData().getPercentage(), 10u);
    log.clear();
    for (const std::uint64_t percent : {0, 5, 5, 101}) uninstall({u"V", percent, 100, percent});
    EXPECT_THAT(log.lines(), ElementsAre(u"5%"));
}

}  // namespace
