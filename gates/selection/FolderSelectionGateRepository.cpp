// Whether products can be obtained for the installation, from the repository the installer
// already holds or else from the online repository.

#include <algorithm>
#include <stdexcept>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/selection/FolderSelectionGate.h"
#include "install/cpputil/InstallerException.h"
#include "install/cpputil/Interrupt.h"
#include "install/cpputil/LogMessages.h"
#include "install/repository_adapter/RepoAdapterConfiguration.h"
#include "install/repository_adapter/RepositoryExceptions.h"

namespace install::product_installer::workflow_utils {

namespace {

namespace ra = install::repository_adapter;
using install::datamodels::product_installer::validationResultType;

constexpr auto kProductsUnavailable = validationResultType(1);
constexpr char kOnlineRepositoryFilter[] = "(type=onlineproduct)";
// The platform named to the user when no products can be had.
constexpr char kPlatformCode[] = "w64pc";
// A repository offering only the licence manager has nothing for a product installation.
constexpr char16_t kLicenseManager[] = u"LICENSEMANAGER";

}  // namespace

bool FolderSelectionGate::isProductsAvailable() const {
    if (handler->getIsQRTInstallation() || !shouldCreateOnlineRepo()) return true;
    const auto repository = createRepoAdapterInstanceForOnline();
    handler->setIsFolderRepoInstance(false);
    handler->setProductRepoAdapterInstance(repository);
    if (!getAvailableProducts(repository)) return false;
    return checkAvailableProducts();
}

bool FolderSelectionGate::shouldCreateOnlineRepo() const {
    if (!handler->getProductRepoAdapterInstance()) return true;
    return !doProductsExists();
}

bool FolderSelectionGate::doProductsExists() const {
    if (!handler->IsFolderRepoInstance()) return false;
    const auto repository = handler->getProductRepoAdapterInstance();
    if (!repository) return false;
    const auto baseCodes = repository->getAvailableProductBasecodes();
    return std::any_of(baseCodes.begin(), baseCodes.end(),
                       [](const std::u16string& baseCode) { return baseCode != kLicenseManager; });
}

bool FolderSelectionGate::getAvailableProducts(const std::shared_ptr<RepositoryAdapter>& repository) const {
    const auto report = [this](const std::u16string& message, const std::u16string& title,
                               const install::cpputil::InstallerException& error) {
        logMessage(message);
        handler->setCurrentValidationFailure(kProductsUnavailable, message, title);
        collectErrorInfoForTlmx(
            error.getErrorCode(), error.getPrimaryErrorMessage(), error.getSecondaryErrorMessage(),
            install::cpputil::createLocation(getFolderSelectionLocation(), error.getLocation()));
    };
    const auto releaseFamily = handler->getReleaseFamily();
    try {
        repository->getAvailableProducts();
        return true;
    } catch (const ra::RepoAdapterWebServiceException& error) {
        report(fl::i18n::message("connectionErrorMsg", releaseFamily, kPlatformCode),
               fl::i18n::message("connectionErrorTitle"), error);
    } catch (const ra::RepoAdapterDWSDownloadException& error) {
        report(fl::i18n::message("noProductsAlertMsg", releaseFamily, kPlatformCode),
               fl::i18n::message("noProductsAlertTitle"), error);
    } catch (const ra::RepoAdapterDWSExtractException& error) {
        // A cancelled run breaks off the unpacking; that is the user's doing, not a fault to show.
        if (!install::cpputil::interrupt::is_set()) {
            report(fl::i18n::message("noProductsAlertMsg", releaseFamily, kPlatformCode),
                   fl::i18n::message("noProductsAlertTitle"), error);
        }
    }
    return false;
}

bool FolderSelectionGate::checkAvailableProducts() const {
    const auto repository = handler->getProductRepoAdapterInstance();
    if (repository && repository->doProductsExist()) return true;
    const auto message = fl::i18n::message("noProductsAlertMsg", handler->getReleaseFamily(), kPlatformCode);
    const auto title = fl::i18n::message("noProductsAlertTitle");
    logMessage(message);
    handler->setCurrentValidationFailure(kProductsUnavailable, message, title);
    collectErrorInfoForTlmx("690", "Unable to retrieve products", "",
                            "FolderSelection::OnlineProductRepoAdapter::doProductsExist");
    return false;
}

std::shared_ptr<FolderSelectionGate::RepositoryAdapter>
FolderSelectionGate::createRepoAdapterInstanceForOnline() const {
    const auto registry = getServiceRegistry();
    const auto repository = registry ? registry->findService<RepositoryAdapter>(kOnlineRepositoryFilter)
                                     : std::shared_ptr<RepositoryAdapter>();
    if (!repository) throw std::runtime_error("Failed to load repository adapter microservice");

    ra::config::RepoAdapterConfiguration configuration;
    configuration.setReleaseFamily(handler->getReleaseFamily());
    configuration.setReleaseStatus(handler->getReleaseStatus());
    configuration.setInstallerName(handler->getInstallerName());
    configuration.setKxAccountToken(handler->getAccessToken());
    configuration.setInstallerVersion(handler->getInstallerVersion());
    configuration.setClientString(handler->getClientString());
    configuration.setUpdateNo(handler->getInstalledProductsReleaseUpdateLevel());
    configuration.setIsKestrelixProductInstaller(true);
    repository->configure(configuration);

    // As every other step hands them on: both values, or none.
    const auto proxyUserName = handler->getProxyUserName();
    const auto proxyPassword = handler->getProxyPassword();
    if (!proxyUserName.empty() && !proxyPassword.empty()) {
        repository->setProxyCredentials(fl::i18n::to_string(proxyUserName),
                                        fl::i18n::to_string(proxyPassword));
    }
    return repository;
}

std::string FolderSelectionGate::getFolderSelectionLocation() const { return "FolderSelection"; }

}  // namespace install::product_installer::workflow_utils
