// Release, installer, runtime, user-application, login and proxy data.
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/detail/ModelEditing.h"

namespace install::product_installer::workflow_utils {

namespace dm = install::datamodels;

// --- release ---

void DataModelHandler::initializeRelease() const {
    independentData().setRelease(dm::common::Release::create(model, tq::zero::nilUuid()));
}

std::u16string DataModelHandler::getReleaseFamily() const {
    return independentData().getRelease().getFamily();
}

std::u16string DataModelHandler::getReleaseStatus() const {
    return independentData().getRelease().getStatus();
}

int DataModelHandler::getUpdateLevel() const { return independentData().getRelease().getUpdateLevel(); }

int DataModelHandler::getInstalledProductsReleaseUpdateLevel() const {
    return dependentData().getInstallFolder().getInstalledProductsRelease().getUpdateLevel();
}

void DataModelHandler::setInstalledProductsReleaseUpdateLevel(int updateLevel) const {
    const auto release = dm::common::Release::create(model, tq::zero::nilUuid());
    dependentData().getInstallFolder().setInstalledProductsRelease(release);
    release.setUpdateLevel(detail::toSignedByte(updateLevel));
}

int DataModelHandler::getToBeInstalledUpdateLevel() const {
    return dependentData().getToBeInstalledUpdateLevel();
}

void DataModelHandler::setToBeInstalledUpdateLevel(int updateLevel) {
    dependentData().setToBeInstalledUpdateLevel(detail::toSignedByte(updateLevel));
}

DataModelHandler::UpdateScenario DataModelHandler::getUpdateScenario() const {
    return dependentData().getUpdateScenario();
}

void DataModelHandler::setUpdateScenario(UpdateScenario scenario) {
    dependentData().setUpdateScenario(scenario);
}

// --- installer ---

std::u16string DataModelHandler::getInstallerName() const { return independentData().getInstallerName(); }

std::u16string DataModelHandler::getInstallerVersion() const {
    return independentData().getInstallerVersion();
}

std::u16string DataModelHandler::getClientString() const { return independentData().getClientString(); }

void DataModelHandler::setClientString(const std::u16string& clientString) const {
    independentData().setClientString(clientString);
}

std::u16string DataModelHandler::getInstallationFilesDir() const {
    return independentData().getInstallationFilesDir();
}

std::u16string DataModelHandler::getPackagesRoot() const { return independentData().getPackagesRoot(); }

void DataModelHandler::setStaticInstallerRootPath(const std::u16string& path) const {
    independentData().setStaticInstallerRootPath(path);
}

std::u16string DataModelHandler::getExecutionPlatform() const {
    return independentData().getExecutionPlatform();
}

void DataModelHandler::setPlatform(const std::u16string& platform) const {
    independentData().setExecutionPlatform(platform);
}

std::u16string DataModelHandler::getLocale() const { return independentData().getLocale(); }

void DataModelHandler::setLocale(const std::u16string& locale) const { independentData().setLocale(locale); }

std::u16string DataModelHandler::getAdvancedOptionSelected() const {
    return independentData().getAdvancedOptionSelected();
}

std::u16string DataModelHandler::getSessionKey() const {
    return independentData().getSessionData().getSessionKey();
}

bool DataModelHandler::isBatSet() const { return independentData().getIsBat(); }

void DataModelHandler::setIsBat(bool value) { independentData().setIsBat(value); }

void DataModelHandler::setIsTestMode(bool value) const { independentData().setIsTestMode(value); }

bool DataModelHandler::isTlmxEnabled() const { return independentData().getIsTlmxEnabled(); }

bool DataModelHandler::shouldInstallDemo() const { return independentData().getInstallDemo(); }

bool DataModelHandler::shouldInstallDoc() const { return independentData().getInstallDoc(); }

void DataModelHandler::setMissingJRERuntime(bool missing) const {
    independentData().setIsMissingJRE(missing);
}

// --- runtime installation and installation notes ---

bool DataModelHandler::getIsQRTInstallation() const { return dependentData().getIsQRTInstallation(); }

void DataModelHandler::setIsQRTInstallation(bool value) const { dependentData().setIsQRTInstallation(value); }

bool DataModelHandler::getHasPrevQRTInstallation() const {
    return dependentData().getHasPrevQRTInstallation();
}

void DataModelHandler::setHasPrevQRTInstallation(bool value) const {
    dependentData().setHasPrevQRTInstallation(value);
}

void DataModelHandler::setQRTErrorItem(const QRTErrorType& type, const std::u16string& message) const {
    const auto item = dm::product_installer::QRTErrorItem::create(model, tq::zero::nilUuid());
    item.setErrorType(type);
    item.setErrorMessage(message);
    dependentData().setQrtErrorItem(item);
}

bool DataModelHandler::getIsVantapakInstallation() const {
    return dependentData().getIsVantapakInstallation();
}

void DataModelHandler::setInstallationNotes(const std::u16string& notes) const {
    dependentData().setInstallationNotes(notes);
}

void DataModelHandler::setPathIssueNotes(const std::u16string& notes) const {
    dependentData().setPathIssueNotes(notes);
}

// --- packaged user application ---

DataModelHandler::UserApplicationData DataModelHandler::getVantapakUserApplicationDataModel() const {
    return independentData().getUserApplicationData();
}

std::u16string DataModelHandler::getUserAppIcon() const {
    return getVantapakUserApplicationDataModel().getIcon();
}

std::u16string DataModelHandler::getUserAppLogo() const {
    return getVantapakUserApplicationDataModel().getLogo();
}

void DataModelHandler::setUserAppLogo(const std::u16string& logo) const {
    getVantapakUserApplicationDataModel().setLogo(logo);
}

std::u16string DataModelHandler::getWelcomePanelText() const {
    return getVantapakUserApplicationDataModel().getWelcomePanelText();
}

std::u16string DataModelHandler::getExtractedBundleDirectory() const {
    return getVantapakUserApplicationDataModel().getExtractedBundleDirectory();
}

std::u16string DataModelHandler::getStaticExtractedBundleDirectory() const {
    return getVantapakUserApplicationDataModel().getStaticExtractedBundleDirectory();
}

void DataModelHandler::setStaticExtractedBundleDirectory(const std::u16string& directory) const {
    getVantapakUserApplicationDataModel().setStaticExtractedBundleDirectory(directory);
}

std::u16string DataModelHandler::getDefaultInstallationDirectory() const {
    return getVantapakUserApplicationDataModel().getDefaultInstallationDirectory();
}

std::u16string DataModelHandler::getUserInputInstallationDirectory() const {
    return getVantapakUserApplicationDataModel().getUserInputInstallationDirectory();
}

void DataModelHandler::setUserInputInstallationDirectory(const std::u16string& directory) const {
    getVantapakUserApplicationDataModel().setUserInputInstallationDirectory(directory);
}

void DataModelHandler::setInstallationDirectory(const std::u16string& directory) const {
    getVantapakUserApplicationDataModel().setInstallationDirectory(directory);
}

// --- login ---

void DataModelHandler::initializeLoginModelForRequestParameters() const {
    independentData().setLoginRequestParameters(
        dm::login::LoginRequestParameters::create(model, tq::zero::nilUuid()));
}

void DataModelHandler::initializeLoginModelForResponseParameters() const {
    independentData().setUserInfo(dm::login::LoggedInUserInfo::create(model, tq::zero::nilUuid()));
}

void DataModelHandler::initializeLoginError() const {
    independentData().setLoginError(dm::product_installer::LoginError::create(model, tq::zero::nilUuid()));
}

void DataModelHandler::setLoginEndPoint(const std::u16string& endPoint) const {
    independentData().getLoginRequestParameters().setEndPoint(endPoint);
}

void DataModelHandler::setLoginLevel(int level) const {
    independentData().getLoginRequestParameters().setLoginLevel(detail::toSignedByte(level));
}

void DataModelHandler::setShowCreateAccount(bool value) const {
    independentData().getLoginRequestParameters().setShowCreateAccount(value);
}

void DataModelHandler::setShowRememberMe(bool value) const {
    independentData().getLoginRequestParameters().setShowRememberMe(value);
}

void DataModelHandler::setIdentifierReadOnly(bool value) const {
    independentData().getLoginRequestParameters().setIdentifierReadOnly(value);
}

std::u16string DataModelHandler::getAccessToken() const {
    const auto independent = independentData();
    if (!independent) return {};
    const auto userInfo = independent.getUserInfo();
    return userInfo ? userInfo.getAccessToken() : std::u16string();
}

std::u16string DataModelHandler::getUserLoginEmail() const {
    const auto independent = independentData();
    if (!independent) return {};
    const auto userInfo = independent.getUserInfo();
    return userInfo ? userInfo.getEmail() : std::u16string();
}

std::u16string DataModelHandler::getUserLoginFirstName() const {
    return independentData().getUserInfo().getFirstName();
}

std::u16string DataModelHandler::getUserLoginLastName() const {
    return independentData().getUserInfo().getLastName();
}

bool DataModelHandler::isUserLoggedIn() const { return !getAccessToken().empty(); }

bool DataModelHandler::getLoginErrorStatusFromBackend() const {
    return independentData().getLoginError().getErrorFromBackend();
}

bool DataModelHandler::getLoginErrorStatusFromUser() const {
    return independentData().getLoginError().getErrorFromUser();
}

std::u16string DataModelHandler::getLoginErrorFromBackendDetails() const {
    return independentData().getLoginError().getBackendDetails();
}

// --- proxy ---

void DataModelHandler::initializeProxy() const {
    independentData().setProxy(dm::product_installer::Proxy::create(model, tq::zero::nilUuid()));
}

std::u16string DataModelHandler::getProxyUserName() const {
    const auto proxy = independentData().getProxy();
    return proxy ? proxy.getUserName() : std::u16string();
}

std::u16string DataModelHandler::getProxyPassword() const {
    const auto proxy = independentData().getProxy();
    return proxy ? proxy.getPassword() : std::u16string();
}

}  // namespace install::product_installer::workflow_utils
