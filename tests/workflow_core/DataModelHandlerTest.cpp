// The data-model handler on the workflow thread. Every operation that reads or writes
// properties of the model, one row per family of operations: the row writes literal values,
// through the handler or into the model where the handler only reads, then reads the other side.
// Values differ from property to property, so an operation that reaches a neighbouring property
// shows up as a wrong value in the line.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/ModelFixture.h"
#include "tq_zero/ModelDiagnostics.h"

namespace {

using workflow_test::PrintTo;
namespace dm = install::datamodels::product_installer;
using install::product_installer::workflow_utils::DataModelHandler;
using velora::installer::InstallerModel;
using workflow_test::joined, workflow_test::valueText;

using H = DataModelHandler&;
using M = const InstallerModel&;

dm::WorkflowIndependentData in(M m) { return m.root.getWorkflowIndependentData(); }
dm::WorkflowDependentData dep(M m) { return m.root.getWorkflowDependentData(); }
install::datamodels::common::ApplicationData step(M m) { return in(m).getApplicationData(); }

// The workflow predicates that answer true for the current name.
std::string matchingWorkflows(const DataModelHandler& h) {
    const auto matches = std::string(h.isOnlineInstallWorkflow() ? "online" : "") +
                         (h.isInteractiveInstallFromFolderWorkflow() ? "folder" : "") +
                         (h.isDownloadOnlyWorkflow() ? "download" : "") +
                         (h.isVantapakWorkflow() ? "vantapak" : "") +
                         (h.isLicenseManagerWorkflow() ? "licence" : "");
    return matches.empty() ? "none" : matches;
}

using Bytes = std::optional<std::pair<std::uint64_t, std::uint64_t>>;  // so far, expected

// Reports download and install bytes as the engine's callbacks do, then updates the overall record.
void reportBytes(H h, Bytes download, Bytes install) {
    if (download) h.setDownloadProgressData(u"archive", download->first, download->second, 0, u"", u"");
    if (install) h.setInstallProgressData(u"component", 0, install->first, 0, install->second, 0, u"", u"");
    h.updateOverallProgress();
}

std::string overall(H h) { return valueText(h.getOverallProgressData().getPercentage()); }

struct Family {
    const char* name;
    std::function<void(H, M)> write;
    std::function<std::string(H, M)> read;
    std::string expected;
};

// Laid out as a table: name and writes, then the reads, then the line they must give.
// clang-format off
const Family kFamilies[] = {
    {"ReleaseInitialized", [](H h, M m) { in(m).getRelease().setFamily(u"2031.1"); h.initializeRelease(); },
     [](H h, M) { return joined(h.getReleaseFamily(), h.getUpdateLevel()); },
     "|0"},
    {"UpdateLevelsAndScenario",
     [](H h, M) { h.initializeInstallFolderModel(); h.setInstalledProductsReleaseUpdateLevel(200);
                  h.setToBeInstalledUpdateLevel(-2); h.setUpdateScenario(dm::UpdateScenario::ProductsAdded); },
     [](H h, M m) { return joined(h.getInstalledProductsReleaseUpdateLevel(), dep(m).getToBeInstalledUpdateLevel(),
                                  h.getToBeInstalledUpdateLevel(), h.getUpdateScenario()); },
     "-56|-2|-2|3"},
    // The request properties, the login error and the proxy credentials are checked against the
    // model by the tests of the login and proxy gates.
    {"NoUserInfoNoProxyThenNoIndependentData", [](H, M) {},
     [](H h, M m) { const auto first = joined(h.getAccessToken(), h.isUserLoggedIn(), h.getProxyUserName(),
                                              h.getProxyPassword());
                    m.root.setWorkflowIndependentData(dm::WorkflowIndependentData());
                    return first + "/" + joined(h.getAccessToken(), h.getUserLoginEmail(), h.isUserLoggedIn()); },
     "|false||/||false"},
    {"StepProcessedTakesWhatIsAvailable",
     [](H h, M m) { h.setDataRequired(u"ProductSelectionGate"); step(m).setDataAvailable(u"FolderSelectionGate");
                    h.setAsDataProcessed(); },
     [](H, M m) { return joined(step(m).getDataRequired(), step(m).getDataProcessed()); },
     "ProductSelectionGate|FolderSelectionGate"},
    {"ExitStatusKeptInASignedByte", [](H h, M) { h.setExitStatus(300); },
     [](H h, M m) { const auto wrapped = joined(in(m).getExitStatus(), h.getExitStatus()); h.setExitStatus(-1);
                    return wrapped + "/" + joined(h.getExitStatus()); },
     "44|44/-1"},
    {"NoInstallFolderThenNoDependentData", [](H, M) {},
     [](H h, M m) { const auto first = h.getInstallFolder(); m.root.setWorkflowDependentData(dm::WorkflowDependentData());
                    return joined(first, h.getInstallFolder()); },
     "|"},
    // Two-, three- and four-byte sequences; the last is a surrogate pair in UTF-16.
    {"MinimalProductsFromUtf8",
     [](H h, M) { h.setMinimalProducts({"Gr\xC3\xBC\xC3\x9F" "e", "\xE6\x97\xA5", "\xF0\x9F\x98\x80"}); },
     [](H h, M m) { return joined(h.getMinimalProducts(), dep(m).getMinimalProducts().values().back().size()); },
     "[Gr\xC3\xBC\xC3\x9F" "e,\xE6\x97\xA5,\xF0\x9F\x98\x80]|2"},
    {"DefaultPlatformTwice", [](H h, M) { h.setDefaultPlatform(u"w64pc"); h.setDefaultPlatform(u"l64pc"); },
     [](H h, M) { return joined(h.getDownloadPlatforms()); },
     "[l64pc]"},
    {"WorkflowNamesComparedExactly", [](H, M) {},
     [](H h, M) { std::string answers;
                  for (const auto* name : {u"Interactive Online Install", u"Interactive Install From Folder", u"DownloadOnly",
                                           u"Vantapak Install", u"License Manager", u"downloadonly", u"DownloadOnly ", u"Interactive Online"}) {
                      h.setWorkflow(name);
                      answers += matchingWorkflows(h) + " ";
                  }
                  h.setWorkflow(std::u16string(u"DownloadOnly\0", 13));
                  return answers + matchingWorkflows(h); },
     "online folder download vantapak licence none none none none"},
    // An initializer keeps what the user entered (but withdraws the overwrite acknowledgement);
    // a reset discards it and marks the data modified.
    {"ProductSelectionInitializedAgainThenReset",
     [](H h, M m) { h.initializeProductSelectionModel(); h.initializeSelectedProducts({u"VELORA"});
                    h.setIsMinimalProductMode(true);
                    dep(m).getProductSelection().setOverwriteAcknowledgement(true); h.setIsDataModified(false);
                    h.initializeProductSelectionModel(); },
     [](H h, M m) { const auto kept = joined(h.getSelectedProducts(), h.getIsMinimalProductMode(),
                                             h.isOverwriteWarningAcknowledged(), step(m).getIsDataModified());
                    h.resetProductSelectionModel();
                    return kept + "/" + joined(h.getSelectedProducts(), h.getIsMinimalProductMode(),
                                               step(m).getIsDataModified()); },
     "[VELORA]|true|false|false/[]|false|true"},
    {"InstallFolderInitializedAgainThenReset",
     [](H h, M) { h.initializeInstallFolderModel(); h.setInstallFolder(u"/opt/velora"); h.setIsDataModified(false);
                  h.initializeInstallFolderModel(); },
     [](H h, M m) { const auto kept = joined(h.getInstallFolder(), step(m).getIsDataModified());
                    h.resetInstallFolderModel();
                    return kept + "/" + joined(h.getInstallFolder(), step(m).getIsDataModified()); },
     "/opt/velora|false/|true"},
    {"ListReplacedKeepsFirstOccurrences",
     [](H h, M) { h.setAvailableProducts({u"OLD", u"SHARED"});
                  h.setAvailableProducts({u"QUARRIX", u"SHARED", u"QUARRIX", u"FLOWMERE", u"SHARED"}); },
     [](H h, M m) { return joined(dep(m).getAvailableProducts().values(), h.getAvailableProducts()); },
     "[QUARRIX,SHARED,FLOWMERE]|[QUARRIX,SHARED,FLOWMERE]"},
    {"ListsReachTheirOwnPropertiesAndClear",
     [](H h, M) { h.setAvailableProducts({u"A", u"B"}); h.setInstallableProducts({u"N"}); h.setInstalledProducts({u"C"});
                  h.setDownloadableProducts({u"D"}); h.initializeMissingProducts({u"M"}); h.setOfferedProducts({u"O"});
                  h.setOfferedProducts({}); h.clearAvailableProducts(); h.clearInstallableProducts(); },
     [](H h, M m) { return joined(h.getAvailableProducts(), h.getInstallableProducts(), h.getInstalledProducts(),
                                  h.getDownloadableProducts(), dep(m).getMissingProducts().values(), h.getOfferedProducts()); },
     "[]|[]|[C]|[D]|[M]|[]"},
    {"ProgressDefaultsNotStored", [](H, M) {},
     [](H h, M m) { const auto p = dep(m).getProgressData();
                    return joined(h.getDownloadProgressData().getBytesDownloadedSoFar(),
                                  h.getInstallProgressData().getExpectedBytesToBeInstalled(),
                                  h.getUninstallProgressData().getComponentName(), overall(h), p.hasDownloadProgressData(),
                                  p.hasInstallProgressData(), p.hasUninstallProgressData(), p.hasOverallProgressData()); },
     "0|0||0|false|false|false|false"},
    // Settings of the session, the runtime installation's notes and error, the packaged application
    // and the signed-in user: what the handler writes is read from the model, and the other way round.
    {"SessionSettingsRuntimeNotesAndError",
     [](H h, M m) { h.setClientString(u"cli"); h.setStaticInstallerRootPath(u"/root"); h.setIsTestMode(true);
                    h.setMissingJRERuntime(true); h.setPathIssueNotes(u"path"); h.setQRTErrorItem(dm::QRTErrorType{2}, u"no runtime");
                    in(m).setInstallationFilesDir(u"/files"); in(m).setAdvancedOptionSelected(u"custom"); in(m).setIsTlmxEnabled(true); },
     [](H h, M m) { return joined(in(m).getClientString(), in(m).getStaticInstallerRootPath(), in(m).getIsTestMode(),
                                  in(m).getIsMissingJRE(), dep(m).getPathIssueNotes(),
                                  static_cast<int>(dep(m).getQrtErrorItem().getErrorType()), dep(m).getQrtErrorItem().getErrorMessage(),
                                  h.getInstallationFilesDir(), h.getAdvancedOptionSelected(), h.isTlmxEnabled()); },
     "cli|/root|true|true|path|2|no runtime|/files|custom|true"},
    {"PackagedApplicationAndSignedInUser",
     [](H h, M m) { const auto app = in(m).getUserApplicationData(); app.setIcon(u"icon.png"); app.setWelcomePanelText(u"Hi");
                    app.setExtractedBundleDirectory(u"/tmp/b"); app.setDefaultInstallationDirectory(u"/opt/app");
                    h.setStaticExtractedBundleDirectory(u"/bundle"); h.setUserInputInstallationDirectory(u"/home/app");
                    h.setInstallationDirectory(u"/srv/app");
                    const auto user = install::datamodels::login::LoggedInUserInfo::create(m.model, tq::zero::nilUuid());
                    user.setFirstName(u"Ada"); user.setLastName(u"Byron"); in(m).setUserInfo(user); },
     [](H h, M m) { const auto app = in(m).getUserApplicationData();
                    return joined(h.getUserAppIcon(), h.getWelcomePanelText(), h.getExtractedBundleDirectory(),
                                  h.getDefaultInstallationDirectory(), app.getStaticExtractedBundleDirectory(),
                                  h.getUserInputInstallationDirectory(), app.getInstallationDirectory(),
                                  h.getUserLoginFirstName(), h.getUserLoginLastName()); },
     "icon.png|Hi|/tmp/b|/opt/app|/bundle|/home/app|/srv/app|Ada|Byron"},
    // The overall percentage: bytes so far of both records over bytes expected, truncated, at most 100
    // (the cap is shared with the uninstall percentage below).
    {"OverallThirtyOfHundredAndNoneOfThreeHundred", [](H h, M) { reportBytes(h, std::pair{30, 100}, std::pair{0, 300}); },
     [](H h, M) { return overall(h); }, "7"},
    {"OverallOfLargeCounts", [](H h, M) { reportBytes(h, std::pair{1ull << 40, 1ull << 41}, std::pair{0, 1ull << 41}); },
     [](H h, M) { return overall(h); }, "25"},
    {"OverallKeptWithoutExpectedBytes",
     [](H h, M) { reportBytes(h, std::pair{30, 100}, std::pair{0, 300}); reportBytes(h, std::pair{0, 0}, std::pair{0, 0});
                  h.updateOverallUninstallProgress(); },
     [](H h, M m) { return joined(overall(h), m.model.isInTransaction()); }, "7|false"},
    {"OverallOfUninstallAlone",
     [](H h, M) { reportBytes(h, std::pair{100, 100}, std::nullopt); h.setUninstallProgressData(u"old", 50, 200, 0, u"", u"");
                  h.updateOverallUninstallProgress(); },
     [](H h, M) { const auto quarter = overall(h); h.setUninstallProgressData(u"old", 201, 200, 0, u"", u"");
                  h.updateOverallUninstallProgress();
                  return quarter + "|" + overall(h); },
     "25|100"},
};
// clang-format on

class HandlerPropertiesTest : public workflow_test::ModelFixture,
                              public testing::WithParamInterface<Family> {};

TEST_P(HandlerPropertiesTest, ReachTheirOwnProperties) {
    handler->initializeProgressData();
    GetParam().write(*handler, installer);
    EXPECT_EQ(GetParam().read(*handler, installer), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Families, HandlerPropertiesTest, testing::ValuesIn(kFamilies),
                         workflow_test::rowName);

// Rejects every commit that touches the application data.
class RejectingValidator : public tq::zero::Listener {
public:
    static constexpr bool IsValidator = true;
    std::optional<std::string> validateTransaction(
        const tq::zero::ShallowChangeReport<install::datamodels::common::ApplicationData>&) {
        return std::string("rejected by the test");
    }
};

using DataAvailableToUnsetTest = workflow_test::ModelFixture;

// The write commits in a transaction of its own, so a commit the model rejects is undone and
// ignored instead of thrown at the caller.
TEST_F(DataAvailableToUnsetTest, ARejectedCommitIsIgnored) {
    applicationData().setDataAvailable(u"LoginGate");
    RejectingValidator validator;
    model().addListener(validator);
    EXPECT_NO_THROW(handler->setDataAvailableToUnset());
    model().removeListener(validator);
    EXPECT_FALSE(model().isInTransaction());
    EXPECT_EQ(applicationData().getDataAvailable(), u"LoginGate");
}

// Follows the progress element as a front end does: for each commit, the record it stored, and
// the overall percentage as read when told.
class ProgressFollower : public tq::zero::Listener {
public:
    static constexpr bool IsObserver = true;
    void transactionCommitted(const tq::zero::ShallowChangeReport<dm::ProgressData>& report) {
        for (const auto& entry : report) {
            for (const auto* property : entry.changedProperties) {
                const bool overall = property == &dm::ProgressData::overallProgressDataProperty();
                seen.push_back(overall
                                   ? std::to_string(entry.element.getOverallProgressData().getPercentage())
                                   : property->name());
            }
        }
    }
    std::vector<std::string> seen;
};

using ProgressReportsTest = workflow_test::ModelFixture;

TEST_F(ProgressReportsTest, AnObserverIsToldOfEveryReportInOrderAndReplacedRecordsAreFreed) {
    handler->initializeProgressData();
    ProgressFollower follower;
    model().addListener(follower);
    const auto round = [&] {
        reportBytes(*handler, std::pair{30, 100}, std::nullopt);
        reportBytes(*handler, std::nullopt, std::pair{150, 300});
        reportBytes(*handler, std::pair{100, 100}, std::nullopt);
    };
    round();
    const auto settled = tq::zero::detail::liveNodeCount(installer.root);
    for (int i = 0; i < 10; ++i) round();
    model().removeListener(follower);

    EXPECT_EQ(tq::zero::detail::liveNodeCount(installer.root), settled);
    ASSERT_EQ(follower.seen.size(), 66u);
    EXPECT_EQ(std::vector<std::string>(follower.seen.end() - 6, follower.seen.end()),
              (std::vector<std::string>{"downloadProgressData", "45", "installProgressData", "45",
                                        "downloadProgressData", "62"}));
}

}  // namespace
