// Which reads tolerate an absent element, and what every other access does when its element
// is missing: a standard exception that names the element, never a crash.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/ModelFixture.h"

namespace {

using install::datamodels::product_installer::WorkflowDependentData;
using install::datamodels::product_installer::WorkflowIndependentData;
using install::product_installer::workflow_utils::DataModelHandler;
using testing::HasSubstr;
using testing::ThrowsMessage;
using workflow_test::ModelFixture;

class GuardedReadsTest : public ModelFixture {};

TEST_F(GuardedReadsTest, LoginReadsAreEmptyWithoutUserInfo) {
    independent().setUserInfo(install::datamodels::login::LoggedInUserInfo());
    EXPECT_EQ(handler->getAccessToken(), u"");
    EXPECT_EQ(handler->getUserLoginEmail(), u"");
    EXPECT_FALSE(handler->isUserLoggedIn());
}

TEST_F(GuardedReadsTest, LoginReadsAreEmptyWithoutWorkflowIndependentData) {
    installer.root.setWorkflowIndependentData(WorkflowIndependentData());
    EXPECT_EQ(handler->getAccessToken(), u"");
    EXPECT_EQ(handler->getUserLoginEmail(), u"");
    EXPECT_FALSE(handler->isUserLoggedIn());
}

TEST_F(GuardedReadsTest, LoginReadsFollowWhatTheUserInterfaceFilledIn) {
    handler->initializeLoginModelForResponseParameters();
    EXPECT_FALSE(handler->isUserLoggedIn());

    const auto userInfo = independent().getUserInfo();
    userInfo.setAccessToken(u"eyJhbGciOi");
    userInfo.setEmail(u"ada@example.test");
    userInfo.setFirstName(u"Ada");
    userInfo.setLastName(u"Lovelace");
    EXPECT_TRUE(handler->isUserLoggedIn());
    EXPECT_EQ(handler->getAccessToken(), u"eyJhbGciOi");
    EXPECT_EQ(handler->getUserLoginEmail(), u"ada@example.test");
    EXPECT_EQ(handler->getUserLoginFirstName(), u"Ada");
    EXPECT_EQ(handler->getUserLoginLastName(), u"Lovelace");
}

TEST_F(GuardedReadsTest, InitializingUserInfoAgainForgetsTheSignedInUser) {
    handler->initializeLoginModelForResponseParameters();
    independent().getUserInfo().setAccessToken(u"token");
    handler->initializeLoginModelForResponseParameters();
    EXPECT_FALSE(handler->isUserLoggedIn());
}

TEST_F(GuardedReadsTest, ProxyCredentialsAreEmptyBeforeInitializeProxy) {
    independent().setProxy(install::datamodels::product_installer::Proxy());
    EXPECT_EQ(handler->getProxyUserName(), u"");
    EXPECT_EQ(handler->getProxyPassword(), u"");

    handler->initializeProxy();
    independent().getProxy().setUserName(u"proxy-user");
    independent().getProxy().setPassword(u"p@ss");
    EXPECT_EQ(handler->getProxyUserName(), u"proxy-user");
    EXPECT_EQ(handler->getProxyPassword(), u"p@ss");
}

TEST_F(GuardedReadsTest, InstallFolderIsEmptyBeforeTheFolderModel) {
    dependent().setInstallFolder(install::datamodels::product_installer::InstallFolder());
    EXPECT_EQ(handler->getInstallFolder(), u"");
    handler->initializeInstallFolderModel();
    handler->setInstallFolder(u"/opt/velora/R2031");
    EXPECT_EQ(handler->getInstallFolder(), u"/opt/velora/R2031");
}

TEST_F(GuardedReadsTest, InstallFolderIsEmptyWithoutWorkflowDependentData) {
    installer.root.setWorkflowDependentData(WorkflowDependentData());
    EXPECT_EQ(handler->getInstallFolder(), u"");
}

TEST_F(GuardedReadsTest, LoginErrorReadsWhatTheUserInterfaceReported) {
    handler->initializeLoginError();
    EXPECT_FALSE(handler->getLoginErrorStatusFromBackend());
    const auto error = independent().getLoginError();
    error.setErrorFromBackend(true);
    error.setErrorFromUser(true);
    error.setBackendDetails(u"HTTP 503");
    EXPECT_TRUE(handler->getLoginErrorStatusFromBackend());
    EXPECT_TRUE(handler->getLoginErrorStatusFromUser());
    EXPECT_EQ(handler->getLoginErrorFromBackendDetails(), u"HTTP 503");
}

// --- accesses through an element that is not there ---

using velora::installer::InstallerModel;

struct MissingElementCase {
    const char* label;
    std::function<void(const InstallerModel&, DataModelHandler&)> prepare;
    std::function<void(DataModelHandler&)> access;
    const char* namedElement;
};

class MissingElementTest : public ModelFixture, public testing::WithParamInterface<MissingElementCase> {};

TEST_P(MissingElementTest, ThrowsAStandardExceptionNamingTheElement) {
    GetParam().prepare(installer, *handler);
    EXPECT_THAT([this] { GetParam().access(*handler); },
                ThrowsMessage<std::exception>(HasSubstr(GetParam().namedElement)));
    EXPECT_FALSE(model().isInTransaction());
}

// Takes a child of WorkflowDependentData away, whether or not the installer created it.
template <class Child>
auto withoutDependent(void (WorkflowDependentData::*setter)(const Child&) const) {
    return [setter](const InstallerModel& installer, DataModelHandler&) {
        (installer.root.getWorkflowDependentData().*setter)(Child());
    };
}

template <class Child>
auto withoutIndependent(void (WorkflowIndependentData::*setter)(const Child&) const) {
    return [setter](const InstallerModel& installer, DataModelHandler&) {
        (installer.root.getWorkflowIndependentData().*setter)(Child());
    };
}

namespace pi = install::datamodels::product_installer;

const MissingElementCase kMissingElements[] = {
    {"UserInfoForFirstName", withoutIndependent(&WorkflowIndependentData::setUserInfo),
     [](auto& h) { (void)h.getUserLoginFirstName(); }, "userInfo"},
    {"LoginErrorForBackendStatus", withoutIndependent(&WorkflowIndependentData::setLoginError),
     [](auto& h) { (void)h.getLoginErrorStatusFromBackend(); }, "loginError"},
    {"LoginRequestForLevel", withoutIndependent(&WorkflowIndependentData::setLoginRequestParameters),
     [](auto& h) { h.setLoginLevel(2); }, "loginRequestParameters"},
    {"InstallFolderForDefault", withoutDependent(&WorkflowDependentData::setInstallFolder),
     [](auto& h) { (void)h.getDefaultFolder(); }, "installFolder"},
    {"DownloadFolderForUserInput", withoutDependent(&WorkflowDependentData::setDownloadFolder),
     [](auto& h) { h.setUserGivenDownloadFolder(u"/tmp"); }, "downloadFolder"},
    {"ProductSelectionForSelected", withoutDependent(&WorkflowDependentData::setProductSelection),
     [](auto& h) { (void)h.getSelectedProducts(); }, "productSelection"},
    {"ProductSelectionForMissingWarning", withoutDependent(&WorkflowDependentData::setProductSelection),
     [](auto& h) { h.setMissingProductWarning(true); }, "productSelection"},
    {"OptionSelectionForListSize", withoutDependent(&WorkflowDependentData::setOptionSelection),
     [](auto& h) { (void)h.getOptionToDisplayListSize(); }, "optionSelection"},
    {"ProgressDataForDownloadRecord", withoutDependent(&WorkflowDependentData::setProgressData),
     [](auto& h) { h.setDownloadProgressData(u"c", 1, 2, 50, u"m", u"t"); }, "progressData"},
    {"ProgressDataForInstallRecord", withoutDependent(&WorkflowDependentData::setProgressData),
     [](auto& h) { h.setInstallProgressData(u"c", 1, 1, 2, 2, 50, u"m", u"t"); }, "progressData"},
    {"ProgressDataForUninstallRecord", withoutDependent(&WorkflowDependentData::setProgressData),
     [](auto& h) { h.setUninstallProgressData(u"c", 1, 2, 50, u"m", u"t"); }, "progressData"},
    {"ConfirmationDataForItems", withoutDependent(&WorkflowDependentData::setConfirmationData),
     [](auto& h) { h.setConfirmationItems({}); }, "confirmationData"},
    {"InstalledRelease",
     [](const InstallerModel& m, DataModelHandler&) {
         m.root.getWorkflowDependentData().setInstallFolder(
             pi::InstallFolder::create(m.model, tq::zero::nilUuid()));
     },
     [](auto& h) { (void)h.getInstalledProductsReleaseUpdateLevel(); }, "installedProductsRelease"},
    {"SessionData", withoutIndependent(&WorkflowIndependentData::setSessionData),
     [](auto& h) { (void)h.getSessionKey(); }, "sessionData"},
    {"UserApplicationData", withoutIndependent(&WorkflowIndependentData::setUserApplicationData),
     [](auto& h) { (void)h.getUserAppLogo(); }, "userApplicationData"},
    {"WorkflowDependentData",
     [](const InstallerModel& m, DataModelHandler&) {
         m.root.setWorkflowDependentData(WorkflowDependentData());
     },
     [](auto& h) { (void)h.getAvailableProducts(); }, "workflowDependentData"},
    {"ApplicationDataForStep", withoutIndependent(&WorkflowIndependentData::setApplicationData),
     [](auto& h) { h.setAsDataProcessed(); }, "applicationData"},
};

INSTANTIATE_TEST_SUITE_P(Elements, MissingElementTest, testing::ValuesIn(kMissingElements),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
