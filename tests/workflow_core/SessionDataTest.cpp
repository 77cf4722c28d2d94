// Each handler operation of the installer, release and packaged-application data reaches its
// own model property: a value written on one side reads back on the other, and no other
// operation of the table sees it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/ModelFixture.h"

namespace {

using install::datamodels::product_installer::QRTErrorType;
using install::datamodels::product_installer::UpdateScenario;
using install::datamodels::product_installer::WorkflowIndependentData;
using install::product_installer::workflow_utils::DataModelHandler;
using velora::installer::InstallerModel;
using workflow_test::ModelFixture;

WorkflowIndependentData independentOf(const InstallerModel& m) { return m.root.getWorkflowIndependentData(); }

// A string property: one side writes (the handler, or the model where the handler only reads),
// the other side reads.
struct StringPropertyCase {
    const char* label;
    std::function<void(const DataModelHandler&, const InstallerModel&, const std::u16string&)> write;
    std::function<std::u16string(const DataModelHandler&, const InstallerModel&)> read;
};

const StringPropertyCase kStringProperties[] = {
    {"ReleaseFamily",
     [](const auto&, const auto& m, const auto& v) { independentOf(m).getRelease().setFamily(v); },
     [](const auto& h, const auto&) { return h.getReleaseFamily(); }},
    {"ReleaseStatus",
     [](const auto&, const auto& m, const auto& v) { independentOf(m).getRelease().setStatus(v); },
     [](const auto& h, const auto&) { return h.getReleaseStatus(); }},
    {"InstallerName", [](const auto&, const auto& m, const auto& v) { independentOf(m).setInstallerName(v); },
     [](const auto& h, const auto&) { return h.getInstallerName(); }},
    {"InstallerVersion",
     [](const auto&, const auto& m, const auto& v) { independentOf(m).setInstallerVersion(v); },
     [](const auto& h, const auto&) { return h.getInstallerVersion(); }},
    {"ClientString", [](const auto& h, const auto&, const auto& v) { h.setClientString(v); },
     [](const auto&, const auto& m) { return independentOf(m).getClientString(); }},
    {"InstallationFilesDir",
     [](const auto&, const auto& m, const auto& v) { independentOf(m).setInstallationFilesDir(v); },
     [](const auto& h, const auto&) { return h.getInstallationFilesDir(); }},
    {"PackagesRoot", [](const auto&, const auto& m, const auto& v) { independentOf(m).setPackagesRoot(v); },
     [](const auto& h, const auto&) { return h.getPackagesRoot(); }},
    {"StaticInstallerRootPath",
     [](const auto& h, const auto&, const auto& v) { h.setStaticInstallerRootPath(v); },
     [](const auto&, const auto& m) { return independentOf(m).getStaticInstallerRootPath(); }},
    {"ExecutionPlatform", [](const auto& h, const auto&, const auto& v) { h.setPlatform(v); },
     [](const auto& h, const auto&) { return h.getExecutionPlatform(); }},
    {"Locale", [](const auto& h, const auto&, const auto& v) { h.setLocale(v); },
     [](const auto&, const auto& m) { return independentOf(m).getLocale(); }},
    {"AdvancedOption",
     [](const auto&, const auto& m, const auto& v) { independentOf(m).setAdvancedOptionSelected(v); },
     [](const auto& h, const auto&) { return h.getAdvancedOptionSelected(); }},
    {"SessionKey",
     [](const auto&, const auto& m, const auto& v) { independentOf(m).getSessionData().setSessionKey(v); },
     [](const auto& h, const auto&) { return h.getSessionKey(); }},
    {"UserAppIcon",
     [](const auto&, const auto& m, const auto& v) { independentOf(m).getUserApplicationData().setIcon(v); },
     [](const auto& h, const auto&) { return h.getUserAppIcon(); }},
    {"UserAppLogo", [](const auto& h, const auto&, const auto& v) { h.setUserAppLogo(v); },
     [](const auto&, const auto& m) { return independentOf(m).getUserApplicationData().getLogo(); }},
    {"WelcomePanelText",
     [](const auto&, const auto& m, const auto& v) {
         independentOf(m).getUserApplicationData().setWelcomePanelText(v);
     },
     [](const auto& h, const auto&) { return h.getWelcomePanelText(); }},
    {"ExtractedBundleDirectory",
     [](const auto&, const auto& m, const auto& v) {
         independentOf(m).getUserApplicationData().setExtractedBundleDirectory(v);
     },
     [](const auto& h, const auto&) { return h.getExtractedBundleDirectory(); }},
    {"StaticExtractedBundleDirectory",
     [](const auto& h, const auto&, const auto& v) { h.setStaticExtractedBundleDirectory(v); },
     [](const auto&, const auto& m) {
         return independentOf(m).getUserApplicationData().getStaticExtractedBundleDirectory();
     }},
    {"DefaultInstallationDirectory",
     [](const auto&, const auto& m, const auto& v) {
         independentOf(m).getUserApplicationData().setDefaultInstallationDirectory(v);
     },
     [](const auto& h, const auto&) { return h.getDefaultInstallationDirectory(); }},
    {"UserInputInstallationDirectory",
     [](const auto& h, const auto&, const auto& v) { h.setUserInputInstallationDirectory(v); },
     [](const auto&, const auto& m) {
         return independentOf(m).getUserApplicationData().getUserInputInstallationDirectory();
     }},
    {"InstallationDirectory",
     [](const auto& h, const auto&, const auto& v) { h.setInstallationDirectory(v); },
     [](const auto&, const auto& m) {
         return independentOf(m).getUserApplicationData().getInstallationDirectory();
     }},
    {"InstallationNotes", [](const auto& h, const auto&, const auto& v) { h.setInstallationNotes(v); },
     [](const auto&, const auto& m) { return m.root.getWorkflowDependentData().getInstallationNotes(); }},
    {"PathIssueNotes", [](const auto& h, const auto&, const auto& v) { h.setPathIssueNotes(v); },
     [](const auto&, const auto& m) { return m.root.getWorkflowDependentData().getPathIssueNotes(); }},
};

class StringPropertyTest : public ModelFixture, public testing::WithParamInterface<StringPropertyCase> {};

TEST_P(StringPropertyTest, ReachesItsOwnPropertyOnly) {
    const std::string label = GetParam().label;
    const std::u16string value = std::u16string(label.begin(), label.end()) + u" \u00e9\u65e5";
    GetParam().write(*handler, installer, value);
    EXPECT_EQ(GetParam().read(*handler, installer), value);
    for (const auto& other : kStringProperties) {
        if (std::string(other.label) == GetParam().label) continue;
        EXPECT_NE(other.read(*handler, installer), value)
            << other.label << " sees what " << GetParam().label << " wrote";
    }
}

INSTANTIATE_TEST_SUITE_P(Properties, StringPropertyTest, testing::ValuesIn(kStringProperties),
                         [](const auto& info) { return std::string(info.param.label); });

class SessionDataTest : public ModelFixture {};

TEST_F(SessionDataTest, FlagsReachTheirProperties) {
    handler->setIsBat(true);
    handler->setIsTestMode(true);
    handler->setMissingJRERuntime(true);
    handler->setIsQRTInstallation(true);
    handler->setHasPrevQRTInstallation(true);
    EXPECT_TRUE(independent().getIsBat());
    EXPECT_TRUE(handler->isBatSet());
    EXPECT_TRUE(independent().getIsTestMode());
    EXPECT_TRUE(independent().getIsMissingJRE());
    EXPECT_TRUE(handler->getIsQRTInstallation());
    EXPECT_TRUE(handler->getHasPrevQRTInstallation());
    EXPECT_FALSE(handler->getIsVantapakInstallation());

    independent().setIsTlmxEnabled(true);
    independent().setInstallDoc(true);
    dependent().setIsVantapakInstallation(true);
    EXPECT_TRUE(handler->isTlmxEnabled());
    EXPECT_FALSE(handler->shouldInstallDemo());
    EXPECT_TRUE(handler->shouldInstallDoc());
    EXPECT_TRUE(handler->getIsVantapakInstallation());
}

TEST_F(SessionDataTest, UpdateScenarioReadsBack) {
    handler->setUpdateScenario(UpdateScenario::UpdateNotPossibleFromFolderRepository);
    EXPECT_EQ(handler->getUpdateScenario(), UpdateScenario::UpdateNotPossibleFromFolderRepository);
    EXPECT_EQ(dependent().getUpdateScenario(), UpdateScenario::UpdateNotPossibleFromFolderRepository);
}

TEST_F(SessionDataTest, QrtErrorItemTwiceKeepsOnlyTheSecond) {
    handler->setQRTErrorItem(static_cast<QRTErrorType>(1), u"first");
    const auto first = dependent().getQrtErrorItem();
    handler->setQRTErrorItem(static_cast<QRTErrorType>(2), u"second");
    const auto second = dependent().getQrtErrorItem();
    EXPECT_FALSE(first == second);
    EXPECT_EQ(second.getErrorType(), static_cast<QRTErrorType>(2));
    EXPECT_EQ(second.getErrorMessage(), u"second");
}

TEST_F(SessionDataTest, InitializeReleaseStartsAnEmptyRelease) {
    independent().getRelease().setFamily(u"R2030");
    handler->initializeRelease();
    EXPECT_EQ(handler->getReleaseFamily(), u"");
    EXPECT_EQ(handler->getUpdateLevel(), 0);
}

TEST_F(SessionDataTest, LoginRequestParametersReachTheModel) {
    handler->initializeLoginModelForRequestParameters();
    handler->setLoginEndPoint(u"https://login.example.test/embedded");
    handler->setShowCreateAccount(true);
    handler->setShowRememberMe(true);
    handler->setIdentifierReadOnly(true);
    const auto request = independent().getLoginRequestParameters();
    EXPECT_EQ(request.getEndPoint(), u"https://login.example.test/embedded");
    EXPECT_TRUE(request.getShowCreateAccount());
    EXPECT_TRUE(request.getShowRememberMe());
    EXPECT_TRUE(request.getIdentifierReadOnly());
}

TEST_F(SessionDataTest, UserApplicationModelIsTheStoredElement) {
    EXPECT_TRUE(handler->getVantapakUserApplicationDataModel() == independent().getUserApplicationData());
}

TEST_F(SessionDataTest, FolderRepositoryFlagStaysOutOfTheModelLocalArchivesFlagGoesIn) {
    handler->setIsFolderRepoInstance(true);
    EXPECT_TRUE(handler->IsFolderRepoInstance());
    handler->setDoesLocalArchivesExist(true);
    EXPECT_TRUE(handler->getDoesLocalArchivesExist());
    EXPECT_TRUE(independent().getDoesLocalArchivesExist());
    // The getter answers from the handler's own copy.
    independent().setDoesLocalArchivesExist(false);
    EXPECT_TRUE(handler->getDoesLocalArchivesExist());
}

TEST_F(SessionDataTest, ModelInstanceSharesTheModel) { EXPECT_TRUE(handler->getModelInstance() == model()); }

}  // namespace
