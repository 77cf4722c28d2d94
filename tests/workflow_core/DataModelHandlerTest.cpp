// The data-model handler on the workflow thread. Every operation that reads or writes
// properties of the model, one row per family of operations: the row writes literal values,
// through the handler or into the model where the handler only reads, then reads the other side.
// Values differ from property to property, so an operation that reaches a neighbouring property
// shows up as a wrong value in the line.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

#include "support/MockRepositoryAdapter.h"
#include "support/ModelFixture.h"
#include "support/SubstituteHandler.h"
#include "support/ValueText.h"

namespace {

namespace dm = install::datamodels::product_installer;
using install::datamodels::product_installer::validationResultType;
using install::product_installer::workflow_utils::DataModelHandler;
using velora::installer::InstallerModel;
using workflow_test::joined;
using workflow_test::valueText;

using H = DataModelHandler&;
using M = const InstallerModel&;

dm::WorkflowIndependentData in(M m) { return m.root.getWorkflowIndependentData(); }
dm::WorkflowDependentData dep(M m) { return m.root.getWorkflowDependentData(); }
dm::UserApplicationData app(M m) { return in(m).getUserApplicationData(); }
install::datamodels::common::ApplicationData step(M m) { return in(m).getApplicationData(); }
install::datamodels::common::ValidationStatus status(M m) { return step(m).getValidationStatus(); }

// The workflow predicates that answer true for the current name.
std::string matchingWorkflows(const DataModelHandler& h) {
    std::string matches;
    for (const auto& [match, name] : {std::pair{h.isOnlineInstallWorkflow(), "online"},
                                      {h.isInteractiveInstallFromFolderWorkflow(), "folder"},
                                      {h.isDownloadOnlyWorkflow(), "download"},
                                      {h.isVantapakWorkflow(), "vantapak"},
                                      {h.isLicenseManagerWorkflow(), "licence"}}) {
        if (match) matches += name;
    }
    return matches.empty() ? "none" : matches;
}

// A list replaced twice: values it already holds are appended once, where they first occur.
const std::vector<std::u16string> kFirstList{u"OLD", u"SHARED"};
const std::vector<std::u16string> kSecondList{u"QUARRIX", u"SHARED", u"QUARRIX", u"FLOWMERE", u"SHARED"};
const std::string kReplaced = "[QUARRIX,SHARED,FLOWMERE]";

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
void PrintTo(const Family& row, std::ostream* out) { *out << row.name; }

// Laid out as a table: name and writes, then the reads, then the line they must give.
// clang-format off
const Family kFamilies[] = {
    {"Release", [](H, M m) { const auto r = in(m).getRelease(); r.setFamily(u"R2031a"); r.setStatus(u"beta");
                             r.setUpdateLevel(-5); },
     [](H h, M) { return joined(h.getReleaseFamily(), h.getReleaseStatus(), h.getUpdateLevel()); },
     "R2031a|beta|-5"},
    {"ReleaseInitialized", [](H h, M m) { in(m).getRelease().setFamily(u"R2031a"); h.initializeRelease(); },
     [](H h, M) { return joined(h.getReleaseFamily(), h.getUpdateLevel()); },
     "|0"},
    {"UpdateLevelsAndScenario",
     [](H h, M) { h.initializeInstallFolderModel(); h.setInstalledProductsReleaseUpdateLevel(200);
                  h.setToBeInstalledUpdateLevel(-2); h.setUpdateScenario(dm::UpdateScenario::ProductsAdded); },
     [](H h, M m) { return joined(h.getInstalledProductsReleaseUpdateLevel(), dep(m).getToBeInstalledUpdateLevel(),
                                  h.getToBeInstalledUpdateLevel(), h.getUpdateScenario()); },
     "-56|-2|-2|3"},
    {"InstallerReadOnly",
     [](H, M m) { in(m).setInstallerName(u"velora-setup"); in(m).setInstallerVersion(u"31.1");
                  in(m).setInstallationFilesDir(u"C:\\files"); in(m).setPackagesRoot(u"C:\\pkg");
                  in(m).setAdvancedOptionSelected(u"-silent"); in(m).getSessionData().setSessionKey(u"session-42"); },
     [](H h, M) { return joined(h.getInstallerName(), h.getInstallerVersion(), h.getInstallationFilesDir(),
                                h.getPackagesRoot(), h.getAdvancedOptionSelected(), h.getSessionKey()); },
     "velora-setup|31.1|C:\\files|C:\\pkg|-silent|session-42"},
    {"InstallerWritten",
     [](H h, M) { h.setClientString(u"client-7"); h.setStaticInstallerRootPath(u"C:\\setup"); h.setPlatform(u"w64pc");
                  h.setLocale(u"ja_JP"); },
     [](H h, M m) { return joined(in(m).getClientString(), h.getClientString(), in(m).getStaticInstallerRootPath(),
                                  in(m).getExecutionPlatform(), h.getExecutionPlatform(), in(m).getLocale(), h.getLocale()); },
     "client-7|client-7|C:\\setup|w64pc|w64pc|ja_JP|ja_JP"},
    {"InstallerFlags",
     [](H h, M m) { h.setIsBat(true); h.setIsTestMode(true); h.setMissingJRERuntime(true); in(m).setIsTlmxEnabled(true);
                    in(m).setInstallDoc(true); in(m).setIsAgreeToLicense(true); },
     [](H h, M m) { return joined(in(m).getIsBat(), h.isBatSet(), in(m).getIsTestMode(), in(m).getIsMissingJRE(),
                                  h.isTlmxEnabled(), h.shouldInstallDemo(), h.shouldInstallDoc(), h.getIsAgreeToLicense()); },
     "true|true|true|true|true|false|true|true"},
    {"Runtime",
     [](H h, M m) { h.setIsQRTInstallation(true); h.setHasPrevQRTInstallation(true); dep(m).setIsVantapakInstallation(true); },
     [](H h, M m) { return joined(dep(m).getIsQRTInstallation(), h.getIsQRTInstallation(), dep(m).getHasPrevQRTInstallation(),
                                  h.getHasPrevQRTInstallation(), h.getIsVantapakInstallation()); },
     "true|true|true|true|true"},
    {"RuntimeNotesAndErrorItemTwice",
     [](H h, M) { h.setInstallationNotes(u"Restart."); h.setPathIssueNotes(u"PATH too long.");
                  h.setQRTErrorItem(dm::QRTErrorType{1}, u"first"); h.setQRTErrorItem(dm::QRTErrorType{2}, u"second"); },
     [](H, M m) { return joined(dep(m).getInstallationNotes(), dep(m).getPathIssueNotes(),
                                dep(m).getQrtErrorItem().getErrorType(), dep(m).getQrtErrorItem().getErrorMessage()); },
     "Restart.|PATH too long.|2|second"},
    {"UserApplicationReadOnly",
     [](H, M m) { app(m).setIcon(u"app.ico"); app(m).setWelcomePanelText(u"Hello"); app(m).setExtractedBundleDirectory(u"C:\\x");
                  app(m).setDefaultInstallationDirectory(u"C:\\A"); },
     [](H h, M m) { return joined(h.getUserAppIcon(), h.getWelcomePanelText(), h.getExtractedBundleDirectory(),
                                  h.getDefaultInstallationDirectory(), h.getVantapakUserApplicationDataModel() == app(m)); },
     "app.ico|Hello|C:\\x|C:\\A|true"},
    {"UserApplicationWritten",
     [](H h, M) { h.setUserAppLogo(u"logo.png"); h.setStaticExtractedBundleDirectory(u"C:\\b");
                  h.setUserInputInstallationDirectory(u"D:\\A"); h.setInstallationDirectory(u"E:\\A"); },
     [](H h, M m) { return joined(app(m).getLogo(), h.getUserAppLogo(), app(m).getStaticExtractedBundleDirectory(),
                                  h.getStaticExtractedBundleDirectory(), app(m).getUserInputInstallationDirectory(),
                                  h.getUserInputInstallationDirectory(), app(m).getInstallationDirectory()); },
     "logo.png|logo.png|C:\\b|C:\\b|D:\\A|D:\\A|E:\\A"},
    // The other request properties, the login error and the proxy credentials are checked against the
    // model by the tests of the login and proxy gates.
    {"LoginLevel258", [](H h, M) { h.initializeLoginModelForRequestParameters(); h.setLoginLevel(258); },
     [](H, M m) { return joined(in(m).getLoginRequestParameters().getLoginLevel()); },
     "2"},
    {"SignedInUser",
     [](H h, M m) { h.initializeLoginModelForResponseParameters(); const auto u = in(m).getUserInfo();
                    u.setAccessToken(u"eyJhbGciOi"); u.setEmail(u"ada@example.test"); u.setFirstName(u"Ada");
                    u.setLastName(u"Byron"); },
     [](H h, M) { return joined(h.getAccessToken(), h.getUserLoginEmail(), h.getUserLoginFirstName(), h.getUserLoginLastName(),
                                h.isUserLoggedIn()); },
     "eyJhbGciOi|ada@example.test|Ada|Byron|true"},
    {"NoUserInfoThenNoIndependentData", [](H, M) {},
     [](H h, M m) { const auto first = joined(h.getAccessToken(), h.getUserLoginEmail(), h.isUserLoggedIn());
                    m.root.setWorkflowIndependentData(dm::WorkflowIndependentData());
                    return first + "/" + joined(h.getAccessToken(), h.getUserLoginEmail(), h.isUserLoggedIn()); },
     "||false/||false"},
    {"NoProxyYet", [](H, M) {},
     [](H h, M) { return joined(h.getProxyUserName(), h.getProxyPassword()); },
     "|"},
    // The local-archives getter answers from the handler's own copy, whatever the model holds.
    {"HandlersOwnState",
     [](H h, M m) { h.setDoesLocalArchivesExist(true); in(m).setDoesLocalArchivesExist(false); h.setIsFolderRepoInstance(true);
                    h.setProductRepoAdapterInstance(std::make_shared<workflow_test::MockRepositoryAdapter>());
                    h.setAvailableProductMap({{u"VELORA", nullptr}}); h.setAvailableProductMap(h.getAvailableProductMap()); },
     [](H h, M m) { return joined(h.getDoesLocalArchivesExist(), h.IsFolderRepoInstance(),
                                  h.getProductRepoAdapterInstance() != nullptr,
                                  h.getAvailableProductMap().count(u"VELORA"), h.getModelInstance() == m.model); },
     "true|true|true|1|true"},
    {"Workflows",
     [](H h, M m) { h.setWorkflow(u"DownloadOnly"); h.setInitialWorkflow(u"Interactive Online Install");
                    in(m).setIsSilent(true); },
     [](H h, M m) { return joined(step(m).getWorkflowName(), h.getWorkflow(), in(m).getInitialWorkflow(), h.getInitialWorkflow(),
                                  h.isSilentWorkflow()); },
     "DownloadOnly|DownloadOnly|Interactive Online Install|Interactive Online Install|true"},
    {"StepCompleted",
     [](H h, M) { h.setDataRequired(u"WelcomeGate"); h.setAsDataAvailable(); h.setAsDataProcessed(); h.setIsDataModified(true); },
     [](H h, M m) { return joined(h.getDataRequired(), step(m).getDataAvailable(), step(m).getDataProcessed(),
                                  step(m).getIsDataModified()); },
     "WelcomeGate|Unset|WelcomeGate|true"},
    {"StepProcessedTakesWhatIsAvailable",
     [](H h, M m) { h.setDataRequired(u"ProductSelectionGate"); step(m).setDataAvailable(u"FolderSelectionGate");
                    h.setAsDataProcessed(); },
     [](H, M m) { return joined(step(m).getDataRequired(), step(m).getDataProcessed()); },
     "ProductSelectionGate|FolderSelectionGate"},
    {"StepSkipped", [](H h, M m) { step(m).setDataAvailable(u"LoginGate"); h.setDataProcessed(u"ProxyGate"); },
     [](H, M m) { return joined(step(m).getDataAvailable(), step(m).getDataProcessed()); },
     "LoginGate|ProxyGate"},
    // The message comes before the title; a new status element replaces the old one.
    {"ValidationFailure", [](H h, M) { h.setCurrentValidationFailure(validationResultType(21), u"Not writable.", u"Folder"); },
     [](H, M m) { return joined(in(m).getValidationResultType(), status(m).getResult(), status(m).getMessage(),
                                status(m).getTitle(), status(m).id().is_nil()); },
     "21|2|Not writable.|Folder|true"},
    {"ValidationWarningThenValid",
     [](H h, M) { h.setCurrentValidationWarning(validationResultType(3), u"Root drive.", u"Folder"); h.setAsValid(); },
     [](H, M m) { return joined(in(m).getValidationResultType(), status(m).getResult(), status(m).getMessage(),
                                status(m).getTitle()); },
     "3|1|Root drive.|Folder"},
    {"ValidationInitialized",
     [](H h, M) { h.setCurrentValidationWarning(validationResultType(3), u"Root drive.", u"Folder");
                  h.initializeValidationStatus(); },
     [](H, M m) { return joined(status(m).getResult(), status(m).getMessage(), status(m).getTitle()); },
     "0||"},
    {"ExitStatus300", [](H h, M) { h.setExitStatus(300); },
     [](H h, M m) { return joined(in(m).getExitStatus(), h.getExitStatus()); },
     "44|44"},
    {"ExitStatusMinus1", [](H h, M) { h.setExitStatus(-1); },
     [](H h, M m) { return joined(in(m).getExitStatus(), h.getExitStatus()); },
     "-1|-1"},
    {"ProductSelection",
     [](H h, M m) { h.initializeProductSelectionModel(); h.setIsMinimalProductMode(true); h.setMissingProductWarning(true);
                    h.setMissingNotInstalledShown(true); dep(m).getProductSelection().setOverwriteAcknowledgement(true);
                    h.setHasEnoughSpaceFlag(true); },
     [](H h, M m) { const auto s = dep(m).getProductSelection();
                    return joined(s.getIsMinimalProductMode(), h.getIsMinimalProductMode(), h.isOverwriteWarningAcknowledged(),
                                  s.getIsMissingProducts(), h.isMissingProductWarningShown(), s.getIsMissingNotInstalled(),
                                  h.isMissingNotInstalledShown(), dep(m).getHasEnoughSpace(), h.getHasEnoughSpace(),
                                  h.getProductSelectionObjectFromDataModel() == s); },
     "true|true|true|true|true|true|true|true|true|true"},
    {"RequiredSizes",
     [](H h, M) { h.initializeProductSelectionModel(); h.setRequiredInstallSize(std::numeric_limits<std::uint64_t>::max());
                  h.setRequiredDownloadSize(5); },
     [](H h, M m) { const auto s = dep(m).getProductSelection();
                    return joined(s.getBytesInstallSize(), h.getRequiredInstallSize(), s.getBytesDownloadSize(),
                                  h.getRequiredDownloadSize()); },
     "18446744073709551615|18446744073709551615|5|5"},
    // Created unattached; the list is then replaced, in the order given.
    {"ProductsToDisplay",
     [](H h, M) { h.initializeProductSelectionModel(); const auto velora = h.initializeProductToDisplay(u"VELORA", u"Velora");
                  const auto blocks = h.initializeProductToDisplay(u"BLOCKS", u"Blocks");
                  h.initializeProductsToDisplayList({h.initializeProductToDisplay(u"OLD", u"Old")});
                  h.initializeProductsToDisplayList({blocks, velora}); },
     [](H, M m) { std::string shown;
                  for (const auto& p : dep(m).getProductSelection().getProductToDisplayList().values())
                      shown += joined(p.getBaseCode(), p.getProductName()) + ";";
                  return shown; },
     "BLOCKS|Blocks;VELORA|Velora;"},
    {"Options",
     [](H h, M) { h.initializeOptionSelectionModel(); h.setSymbolicLinkPath(u"/usr/local/bin"); h.setIsSymbolicLinkSelected(true);
                  h.setIsStartMenuShortcutSelected(true); h.setIsDesktopShortcutSelected(true);
                  h.setIsImproveVeloraSelected(true);
                  h.setIsConfigureLMAsServiceSelected(true); h.setPrivacyPolicyToDisplay(u"Consent."); },
     [](H h, M m) { const auto o = dep(m).getOptionSelection();
                    return joined(o.getSymbolicLinkPath(), h.getSymbolicLinkPath(), o.getIsSymbolicLinkSelected(),
                                  h.isSymbolicLinkSelected(), o.getIsStartMenuShortcutSelected(),
                                  o.getIsDesktopShortcutSelected(),
                                  h.isDesktopShortcutSelected(), o.getIsImproveVeloraSelected(), h.isImproveVeloraSelected(),
                                  o.getIsConfigureLMAsServiceSelected(), h.getIsConfigureLMAsServiceSelected(),
                                  o.getPrivacyPolicyToDisplay(), h.getOptionSelection() == o); },
     "/usr/local/bin|/usr/local/bin|true|true|true|true|true|true|true|true|true|Consent.|true"},
    // A created option is not inserted by itself; a cleared list counts from 0 again.
    {"OptionList",
     [](H h, M) { h.initializeOptionSelectionModel();
                  h.insertIntoOptionToDisplayList(h.createOptionToDisplay(dm::OptionType::ImproveVelora, false));
                  h.clearOptionsToDisplayList(); (void)h.createOptionToDisplay(dm::OptionType::StartMenuShortcut, false);
                  h.insertIntoOptionToDisplayList(h.createOptionToDisplay(dm::OptionType::SymbolicLink, true));
                  h.insertIntoOptionToDisplayList(h.createOptionToDisplay(dm::OptionType::DesktopShortcut, false)); },
     [](H h, M m) { std::string shown = valueText(h.getOptionToDisplayListSize());
                    for (const auto& o : dep(m).getOptionSelection().getOptionToDisplayList().values())
                        shown += ";" + joined(o.getOptionType(), o.getIsViewOnly());
                    return shown; },
     "2;1|true;0|false"},
    {"InstallFolder",
     [](H h, M) { h.initializeInstallFolderModel(); h.setDefaultFolder(u"/opt/velora"); h.setUserInputFolder(u"/home/ada");
                  h.setInstallFolder(u"/home/ada/R2031a"); h.setRootDriveWarningAcknowledgementToTrue(); },
     [](H h, M m) { const auto f = dep(m).getInstallFolder();
                    return joined(f.getDefaultValue(), h.getDefaultFolder(), f.getUserInput(), h.getUserInputFolder(),
                                  f.getInstallFolder(), h.getInstallFolder(), f.getRootDriveWarningAcknowledgement(),
                                  h.isRootDriveWarningAcknowledged()); },
     "/opt/velora|/opt/velora|/home/ada|/home/ada|/home/ada/R2031a|/home/ada/R2031a|true|true"},
    {"NoInstallFolderThenNoDependentData", [](H, M) {},
     [](H h, M m) { const auto first = h.getInstallFolder(); m.root.setWorkflowDependentData(dm::WorkflowDependentData());
                    return joined(first, h.getInstallFolder()); },
     "|"},
    {"DownloadFolder",
     [](H h, M) { h.initializeDownloadFolderModel(); h.setDefaultDownloadFolder(u"/home/ada/Downloads");
                  h.setUserGivenDownloadFolder(u"/data"); h.setInstallerExtractionInstruction(u"Unpack, then start."); },
     [](H h, M m) { const auto f = dep(m).getDownloadFolder();
                    return joined(f.getDefaultValue(), h.getDefaultDownloadFolder(), f.getUserInput(),
                                  h.getUserGivenDownloadFolder(), f.getExtractionInstruction()); },
     "/home/ada/Downloads|/home/ada/Downloads|/data|/data|Unpack, then start."},
    // Two-, three- and four-byte sequences; the last is a surrogate pair in UTF-16.
    {"MinimalProductsFromUtf8",
     [](H h, M) { h.setMinimalProducts({"Gr\xC3\xBC\xC3\x9F" "e", "\xE6\x97\xA5", "\xF0\x9F\x98\x80"}); },
     [](H h, M m) { return joined(h.getMinimalProducts(), dep(m).getMinimalProducts().values().back().size()); },
     "[Gr\xC3\xBC\xC3\x9F" "e,\xE6\x97\xA5,\xF0\x9F\x98\x80]|2"},
    {"DefaultPlatformTwice", [](H h, M) { h.setDefaultPlatform(u"w64pc"); h.setDefaultPlatform(u"l64pc"); },
     [](H h, M) { return joined(h.getDownloadPlatforms()); },
     "[l64pc]"},
    {"SelectedProductsInTheSetsOrder",
     [](H h, M) { h.initializeProductSelectionModel(); h.initializeSelectedProducts({u"OLD"});
                  h.initializeSelectedProducts({u"VELORA", u"FLOWMERE", u"QUARRIX"}); },
     [](H h, M) { return joined(h.getSelectedProducts()); },
     "[FLOWMERE,QUARRIX,VELORA]"},
    {"AppRequiredProducts",
     [](H, M m) { auto edit = app(m).getAppRequiredProducts().modify(); edit.insert(u"RUNTIME"); edit.insert(u"COMPILER");
                  edit.commit(); },
     [](H h, M) { return joined(h.getAppRequiredProducts()); },
     "[COMPILER,RUNTIME]"},
    {"WorkflowNamesComparedExactly", [](H, M) {},
     [](H h, M) { std::string answers;
                  for (const auto* name : {u"Interactive Online Install", u"Interactive Install From Folder", u"DownloadOnly",
                                           u"Vantapak Install", u"License Manager", u"downloadonly", u"DownloadOnly ",
                                           u"Interactive Online", u"Unset"}) {
                      h.setWorkflow(name);
                      answers += matchingWorkflows(h) + " ";
                  }
                  h.setWorkflow(std::u16string(u"DownloadOnly\0", 13));
                  return answers + matchingWorkflows(h); },
     "online folder download vantapak licence none none none none none"},
    // An initializer keeps what the user entered (but withdraws the overwrite acknowledgement);
    // a reset discards it and marks the data modified.
    {"ProductSelectionInitializedAgainThenReset",
     [](H h, M m) { h.initializeProductSelectionModel(); h.initializeSelectedProducts({u"VELORA"});
                    h.setIsMinimalProductMode(true);
                    dep(m).getProductSelection().setOverwriteAcknowledgement(true); h.setIsDataModified(false);
                    h.initializeProductSelectionModel(); },
     [](H h, M m) { const auto kept = joined(h.getSelectedProducts(), h.getIsMinimalProductMode(),
                                             h.isOverwriteWarningAcknowledged(),
                                             step(m).getIsDataModified());
                    h.resetProductSelectionModel();
                    return kept + "/" + joined(h.getSelectedProducts(), h.getIsMinimalProductMode(),
                                               step(m).getIsDataModified()); },
     "[VELORA]|true|false|false/[]|false|true"},
    {"OptionSelectionInitializedAgainThenReset",
     [](H h, M) { h.initializeOptionSelectionModel(); h.setSymbolicLinkPath(u"/usr/bin"); h.setIsDataModified(false);
                  h.initializeOptionSelectionModel(); },
     [](H h, M m) { const auto kept = joined(h.getSymbolicLinkPath(), step(m).getIsDataModified());
                    h.resetOptionSelectionModel();
                    return kept + "/" + joined(h.getSymbolicLinkPath(), step(m).getIsDataModified()); },
     "/usr/bin|false/|true"},
    {"InstallFolderInitializedAgainThenReset",
     [](H h, M) { h.initializeInstallFolderModel(); h.setInstallFolder(u"/opt/velora"); h.setIsDataModified(false);
                  h.initializeInstallFolderModel(); },
     [](H h, M m) { const auto kept = joined(h.getInstallFolder(), step(m).getIsDataModified());
                    h.resetInstallFolderModel();
                    return kept + "/" + joined(h.getInstallFolder(), step(m).getIsDataModified()); },
     "/opt/velora|false/|true"},
    {"DownloadFolderInitializedAgainThenReset",
     [](H h, M) { h.initializeDownloadFolderModel(); h.setUserGivenDownloadFolder(u"/data"); h.setIsDataModified(false);
                  h.initializeDownloadFolderModel(); },
     [](H h, M m) { const auto kept = joined(h.getUserGivenDownloadFolder(), step(m).getIsDataModified());
                    h.resetDownloadFolderModel();
                    return kept + "/" + joined(h.getUserGivenDownloadFolder(), step(m).getIsDataModified()); },
     "/data|false/|true"},
    {"AvailableProductsReplaced", [](H h, M) { h.setAvailableProducts(kFirstList); h.setAvailableProducts(kSecondList); },
     [](H h, M m) { return joined(dep(m).getAvailableProducts().values(), h.getAvailableProducts()); },
     kReplaced + "|" + kReplaced},
    {"InstalledProductsReplaced", [](H h, M) { h.setInstalledProducts(kFirstList); h.setInstalledProducts(kSecondList); },
     [](H h, M m) { return joined(dep(m).getInstalledProducts().values(), h.getInstalledProducts()); },
     kReplaced + "|" + kReplaced},
    {"InstallableProductsReplaced", [](H h, M) { h.setInstallableProducts(kFirstList); h.setInstallableProducts(kSecondList); },
     [](H h, M m) { return joined(dep(m).getInstallableProducts().values(), h.getInstallableProducts()); },
     kReplaced + "|" + kReplaced},
    {"DownloadableProductsReplaced", [](H h, M) { h.setDownloadableProducts(kFirstList);
                                                  h.setDownloadableProducts(kSecondList); },
     [](H h, M m) { return joined(dep(m).getDownloadableProducts().values(), h.getDownloadableProducts()); },
     kReplaced + "|" + kReplaced},
    {"OfferedProductsReplaced", [](H h, M) { h.setOfferedProducts(kFirstList); h.setOfferedProducts(kSecondList); },
     [](H h, M m) { return joined(dep(m).getOfferedProducts().values(), h.getOfferedProducts()); },
     kReplaced + "|" + kReplaced},
    {"MissingProductsReplaced", [](H h, M) { h.initializeMissingProducts(kFirstList); h.initializeMissingProducts(kSecondList); },
     [](H, M m) { return joined(dep(m).getMissingProducts().values()); },
     kReplaced},
    {"ProgressRecordsInArgumentOrder",
     [](H h, M) { h.setDownloadProgressData(u"velora.enc", 10, 20, 999, u"Downloading", u"Download");
                  h.setInstallProgressData(u"blocks", 1, 2, 3, 4, 5, u"Installing", u"Install");
                  h.setUninstallProgressData(u"old", 7, 8, 9, u"Removing", u"Uninstall"); },
     [](H h, M m) { const auto d = h.getDownloadProgressData(); const auto i = h.getInstallProgressData();
                    const auto u = h.getUninstallProgressData();
                    return joined(d.getComponentName(), d.getBytesDownloadedSoFar(), d.getExpectedBytesToBeDownloaded(),
                                  d.getPercentage(),
                                  d.getDownloadMessage(), d.getDownloadTitle(), d.id().is_nil()) + "/" +
                           joined(i.getComponentName(), i.getNumberOfComponentsInstalledSoFar(), i.getBytesInstalledSoFar(),
                                  i.getExpectedNumberOfComponentsToBeInstalled(), i.getExpectedBytesToBeInstalled(),
                                  i.getPercentage(),
                                  i.getInstallMessage(), i.getInstallTitle()) + "/" +
                           joined(u.getComponentName(), u.getBytesUninstalledSoFar(), u.getExpectedBytesToBeUninstalled(),
                                  u.getPercentage(), u.getUninstallMessage(), u.getUninstallTitle(),
                                  dep(m).getProgressData().hasOverallProgressData(), m.model.isInTransaction()); },
     "velora.enc|10|20|999|Downloading|Download|true/blocks|1|2|3|4|5|Installing|Install/"
     "old|7|8|9|Removing|Uninstall|false|false"},
    {"ProgressDefaultsNotStored", [](H, M) {},
     [](H h, M m) { const auto p = dep(m).getProgressData();
                    return joined(h.getDownloadProgressData().getBytesDownloadedSoFar(),
                                  h.getInstallProgressData().getExpectedBytesToBeInstalled(),
                                  h.getUninstallProgressData().getComponentName(), overall(h), p.hasDownloadProgressData(),
                                  p.hasInstallProgressData(), p.hasUninstallProgressData(), p.hasOverallProgressData()); },
     "0|0||0|false|false|false|false"},
    // The overall percentage: bytes so far of both records over bytes expected, truncated, at most 100.
    {"OverallThirtyOfHundredAndNoneOfThreeHundred", [](H h, M) { reportBytes(h, std::pair{30, 100}, std::pair{0, 300}); },
     [](H h, M) { return overall(h); }, "7"},
    {"OverallWithMoreThanExpected", [](H h, M) { reportBytes(h, std::pair{500, 100}, std::pair{101, 100}); },
     [](H h, M) { return overall(h); }, "100"},
    {"OverallWithZeroOfZeroDownloaded", [](H h, M) { reportBytes(h, std::pair{0, 0}, std::pair{50, 200}); },
     [](H h, M) { return overall(h); }, "25"},
    {"OverallWithoutDownloadRecord", [](H h, M) { reportBytes(h, std::nullopt, std::pair{2, 3}); },
     [](H h, M) { return overall(h); }, "66"},
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
    {"ConfirmationItemsReplacedThenReset",
     [](H h, M) { h.initializeConfirmationModel(); const auto folder = h.createConfirmationItem(); folder.setConfirmationType(0);
                  const auto products = h.createConfirmationItem(); products.setConfirmationType(3);
                  h.setConfirmationItems({h.createConfirmationItem()}); h.setConfirmationItems({products, folder}); },
     [](H h, M m) { std::string shown;
                    for (const auto& item : dep(m).getConfirmationData().getConfirmationItemToDisplayList().values())
                        shown += joined(item.getConfirmationType()) + ";";
                    h.setIsDataModified(false); h.resetConfirmationItems();
                    return joined(shown, dep(m).getConfirmationData().getConfirmationItemToDisplayList().size(),
                                  step(m).getIsDataModified()); },
     "3;0;|0|true"},
    {"ClearedLists",
     [](H h, M) { h.setAvailableProducts({u"A", u"B"}); h.setInstallableProducts({u"A"}); h.setInstalledProducts({u"C"});
                  h.setOfferedProducts({u"D"}); h.setOfferedProducts({}); h.clearAvailableProducts();
                  h.clearInstallableProducts(); },
     [](H h, M) { return joined(h.getAvailableProducts(), h.getInstallableProducts(), h.getInstalledProducts(),
                                h.getOfferedProducts()); },
     "[]|[]|[C]|[]"},
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
                         [](const auto& info) { return std::string(info.param.name); });

// Answers three reads itself while the model holds something else; the operations built on them
// must follow.
class RedirectingHandler : public workflow_test::SubstituteHandler {
public:
    std::u16string getWorkflow() const override { return u"DownloadOnly"; }
    std::u16string getAccessToken() const override { return u"token-from-elsewhere"; }
    dm::ProductSelection getProductSelectionObjectFromDataModel() const override { return redirected; }
    dm::ProductSelection redirected = dm::ProductSelection::create(getModelInstance(), tq::zero::nilUuid());
};

TEST(SubstituteHandlerTest, OperationsAskTheirSiblingsThroughTheVirtualTable) {
    RedirectingHandler handler;
    handler.setWorkflow(u"Interactive Online Install");
    handler.setMissingProductWarning(true);
    handler.setMissingNotInstalledShown(true);
    EXPECT_EQ(joined(matchingWorkflows(handler), handler.isUserLoggedIn(),
                     handler.redirected.getIsMissingProducts(), handler.redirected.getIsMissingNotInstalled(),
                     handler.isMissingProductWarningShown(), handler.isMissingNotInstalledShown()),
              "download|true|true|true|true|true");
}

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

TEST_F(DataAvailableToUnsetTest, CommitsInATransactionOfItsOwnInsideTheCallersOne) {
    applicationData().setDataAvailable(u"LoginGate");
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
    applicationData().setDataAvailable(u"LoginGate");
    RejectingValidator validator;
    model().addListener(validator);
    EXPECT_NO_THROW(handler->setDataAvailableToUnset());
    EXPECT_FALSE(model().isInTransaction());
    EXPECT_EQ(applicationData().getDataAvailable(), u"LoginGate") << "the model undoes what it refused";
    model().removeListener(validator);

    independent().setApplicationData(install::datamodels::common::ApplicationData());
    EXPECT_THROW(handler->setDataAvailableToUnset(), std::exception);
    EXPECT_FALSE(model().isInTransaction());
}

}  // namespace
