// Every handler operation that reads or writes properties of the model, one row per family of
// operations: the row writes literal values, through the handler or into the model where the
// handler only reads, then reads the other side. Values differ from property to property, so an
// operation that reaches a neighbouring property shows up as a wrong value in the line.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>

#include "support/MockRepositoryAdapter.h"
#include "support/ModelFixture.h"
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
    {"Release", [](H, M m) { const auto r = in(m).getRelease(); r.setFamily(u"R2031a"); r.setStatus(u"beta"); r.setUpdateLevel(-5); },
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
    {"LoginRequest",
     [](H h, M) { h.initializeLoginModelForRequestParameters(); h.setLoginEndPoint(u"https://signin.test"); h.setLoginLevel(258);
                  h.setShowCreateAccount(true); h.setShowRememberMe(true); h.setIdentifierReadOnly(true); },
     [](H, M m) { const auto r = in(m).getLoginRequestParameters();
                  return joined(r.getEndPoint(), r.getLoginLevel(), r.getShowCreateAccount(), r.getShowRememberMe(),
                                r.getIdentifierReadOnly()); },
     "https://signin.test|2|true|true|true"},
    {"SignedInUser",
     [](H h, M m) { h.initializeLoginModelForResponseParameters(); const auto u = in(m).getUserInfo();
                    u.setAccessToken(u"eyJhbGciOi"); u.setEmail(u"ada@example.test"); u.setFirstName(u"Ada"); u.setLastName(u"Byron"); },
     [](H h, M) { return joined(h.getAccessToken(), h.getUserLoginEmail(), h.getUserLoginFirstName(), h.getUserLoginLastName(),
                                h.isUserLoggedIn()); },
     "eyJhbGciOi|ada@example.test|Ada|Byron|true"},
    {"NoUserInfoThenNoIndependentData", [](H, M) {},
     [](H h, M m) { const auto first = joined(h.getAccessToken(), h.getUserLoginEmail(), h.isUserLoggedIn());
                    m.root.setWorkflowIndependentData(dm::WorkflowIndependentData());
                    return first + "/" + joined(h.getAccessToken(), h.getUserLoginEmail(), h.isUserLoggedIn()); },
     "||false/||false"},
    {"LoginError",
     [](H h, M m) { h.initializeLoginError(); const auto e = in(m).getLoginError();
                    e.setErrorFromBackend(true); e.setErrorFromUser(true); e.setBackendDetails(u"HTTP 503"); },
     [](H h, M) { return joined(h.getLoginErrorStatusFromBackend(), h.getLoginErrorStatusFromUser(),
                                h.getLoginErrorFromBackendDetails()); },
     "true|true|HTTP 503"},
    {"Proxy", [](H h, M m) { h.initializeProxy(); in(m).getProxy().setUserName(u"proxy-user"); in(m).getProxy().setPassword(u"p@ss"); },
     [](H h, M) { return joined(h.getProxyUserName(), h.getProxyPassword()); },
     "proxy-user|p@ss"},
    {"NoProxyYet", [](H, M) {},
     [](H h, M) { return joined(h.getProxyUserName(), h.getProxyPassword()); },
     "|"},
    // The local-archives getter answers from the handler's own copy, whatever the model holds.
    {"HandlersOwnState",
     [](H h, M m) { h.setDoesLocalArchivesExist(true); in(m).setDoesLocalArchivesExist(false); h.setIsFolderRepoInstance(true);
                    h.setProductRepoAdapterInstance(std::make_shared<workflow_test::MockRepositoryAdapter>());
                    h.setAvailableProductMap({{u"VELORA", nullptr}}); h.setAvailableProductMap(h.getAvailableProductMap()); },
     [](H h, M m) { return joined(h.getDoesLocalArchivesExist(), h.IsFolderRepoInstance(), h.getProductRepoAdapterInstance() != nullptr,
                                  h.getAvailableProductMap().count(u"VELORA"), h.getModelInstance() == m.model); },
     "true|true|true|1|true"},
    {"Workflows",
     [](H h, M m) { h.setWorkflow(u"DownloadOnly"); h.setInitialWorkflow(u"Interactive Online Install"); in(m).setIsSilent(true); },
     [](H h, M m) { return joined(step(m).getWorkflowName(), h.getWorkflow(), in(m).getInitialWorkflow(), h.getInitialWorkflow(),
                                  h.isSilentWorkflow()); },
     "DownloadOnly|DownloadOnly|Interactive Online Install|Interactive Online Install|true"},
    {"StepCompleted",
     [](H h, M) { h.setDataRequired(u"WelcomeGate"); h.setAsDataAvailable(); h.setAsDataProcessed(); h.setIsDataModified(true); },
     [](H h, M m) { return joined(h.getDataRequired(), step(m).getDataAvailable(), step(m).getDataProcessed(),
                                  step(m).getIsDataModified()); },
     "WelcomeGate|Unset|WelcomeGate|true"},
    {"StepProcessedTakesWhatIsAvailable",
     [](H h, M m) { h.setDataRequired(u"ProductSelectionGate"); step(m).setDataAvailable(u"FolderSelectionGate"); h.setAsDataProcessed(); },
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
     [](H, M m) { return joined(in(m).getValidationResultType(), status(m).getResult(), status(m).getMessage(), status(m).getTitle()); },
     "3|1|Root drive.|Folder"},
    {"ValidationInitialized",
     [](H h, M) { h.setCurrentValidationWarning(validationResultType(3), u"Root drive.", u"Folder"); h.initializeValidationStatus(); },
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
                  h.setIsStartMenuShortcutSelected(true); h.setIsDesktopShortcutSelected(true); h.setIsImproveVeloraSelected(true);
                  h.setIsConfigureLMAsServiceSelected(true); h.setPrivacyPolicyToDisplay(u"Consent."); },
     [](H h, M m) { const auto o = dep(m).getOptionSelection();
                    return joined(o.getSymbolicLinkPath(), h.getSymbolicLinkPath(), o.getIsSymbolicLinkSelected(),
                                  h.isSymbolicLinkSelected(), o.getIsStartMenuShortcutSelected(), o.getIsDesktopShortcutSelected(),
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
                    return joined(f.getDefaultValue(), h.getDefaultDownloadFolder(), f.getUserInput(), h.getUserGivenDownloadFolder(),
                                  f.getExtractionInstruction()); },
     "/home/ada/Downloads|/home/ada/Downloads|/data|/data|Unpack, then start."},
    // Two-, three- and four-byte sequences; the last is a surrogate pair in UTF-16.
    {"MinimalProductsFromUtf8", [](H h, M) { h.setMinimalProducts({"Gr\xC3\xBC\xC3\x9F" "e", "\xE6\x97\xA5", "\xF0\x9F\x98\x80"}); },
     [](H h, M m) { return joined(h.getMinimalProducts(), dep(m).getMinimalProducts().values().back().size()); },
     "[Gr\xC3\xBC\xC3\x9F" "e,\xE6\x97\xA5,\xF0\x9F\x98\x80]|2"},
    {"DefaultPlatformTwice", [](H h, M) { h.setDefaultPlatform(u"w64pc"); h.setDefaultPlatform(u"l64pc"); },
     [](H h, M) { return joined(h.getDownloadPlatforms()); },
     "[l64pc]"},
    {"SelectedProductsInTheSetsOrder",
     [](H h, M) { h.initializeProductSelectionModel(); h.initializeSelectedProducts({u"OLD"});
                  h.initializeSelectedProducts({u"VELORA", u"A_TOOLBOX", u"SIMULINK"}); },
     [](H h, M) { return joined(h.getSelectedProducts()); },
     "[A_TOOLBOX,SIMULINK,VELORA]"},
    {"AppRequiredProducts",
     [](H, M m) { auto edit = app(m).getAppRequiredProducts().modify(); edit.insert(u"RUNTIME"); edit.insert(u"COMPILER"); edit.commit(); },
     [](H h, M) { return joined(h.getAppRequiredProducts()); },
     "[COMPILER,RUNTIME]"},
    {"ClearedLists",
     [](H h, M) { h.setAvailableProducts({u"A", u"B"}); h.setInstallableProducts({u"A"}); h.setInstalledProducts({u"C"});
                  h.clearAvailableProducts(); h.clearInstallableProducts(); },
     [](H h, M) { return joined(h.getAvailableProducts(), h.getInstallableProducts(), h.getInstalledProducts()); },
     "[]|[]|[C]"},
};
// clang-format on

class HandlerPropertiesTest : public workflow_test::ModelFixture,
                              public testing::WithParamInterface<Family> {};

TEST_P(HandlerPropertiesTest, ReachTheirOwnProperties) {
    GetParam().write(*handler, installer);
    EXPECT_EQ(GetParam().read(*handler, installer), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Families, HandlerPropertiesTest, testing::ValuesIn(kFamilies),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
