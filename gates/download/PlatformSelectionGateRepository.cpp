// Whether the online repository can serve the chosen platforms: it is configured for them, asked
// for its products, and each way it can fail becomes the failure page, a log line and a record.
#include <stdexcept>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/download/PlatformSelectionGate.h"
#include "gates/session/CredentialRedaction.h"
#include "install/cpputil/InstallerException.h"
#include "install/cpputil/Interrupt.h"
#include "install/cpputil/LogMessages.h"
#include "install/repository_adapter/RepoAdapterConfiguration.h"
#include "install/repository_adapter/RepositoryExceptions.h"

namespace install::product_installer::workflow_utils {

namespace {

namespace ra = install::repository_adapter;

constexpr auto kNoProducts = install::datamodels::product_installer::validationResultType(1);
constexpr char kOnlineRepositoryFilter[] = "(type=onlineproduct)";
// Messages name the platform the installer itself is made for, whatever was chosen.
constexpr char kInstallerPlatform[] = "w64pc";

}  // namespace

bool PlatformSelectionGate::doProductsExist() const {
    const auto adapter = createProductRepoAdapter();
    // Stored before any check: the pages after this one work with the repository as configured.
    handler->setProductRepoAdapterInstance(adapter);
    if (!readAvailableProducts(adapter)) return false;
    return checkAvailableProducts();
}

std::shared_ptr<PlatformSelectionGate::RepositoryAdapter> PlatformSelectionGate::createProductRepoAdapter()
    const {
    const auto adapter = serviceRegistry
                             ? serviceRegistry->findService<RepositoryAdapter>(kOnlineRepositoryFilter)
                             : std::shared_ptr<RepositoryAdapter>();
    if (!adapter) throw std::runtime_error("Failed to load repository adapter microservice");

    ra::config::RepoAdapterConfiguration configuration;
    configuration.setReleaseFamily(handler->getReleaseFamily());
    configuration.setReleaseStatus(handler->getReleaseStatus());
    configuration.setInstallerName(handler->getInstallerName());
    configuration.setKxAccountToken(handler->getAccessToken());
    configuration.setInstallerVersion(handler->getInstallerVersion());
    configuration.setClientString(handler->getClientString());
    configuration.setPlatforms(handler->getDownloadPlatforms());
    configuration.setIsKestrelixProductInstaller(true);
    adapter->configure(configuration);

    const auto proxyUserName = handler->getProxyUserName();
    const auto proxyPassword = handler->getProxyPassword();
    if (!proxyUserName.empty() && !proxyPassword.empty()) {
        adapter->setProxyCredentials(fl::i18n::to_string(proxyUserName), fl::i18n::to_string(proxyPassword));
    }
    return adapter;
}

bool PlatformSelectionGate::readAvailableProducts(const std::shared_ptr<RepositoryAdapter>& adapter) const {
    const auto report = [this](const fl::i18n::BaseMsgID& messageId, const fl::i18n::BaseMsgID& titleId,
                               const install::cpputil::InstallerException& error) {
        const auto message = messageId.resolve();
        const auto title = titleId.resolve();
        logMessage(message);
        handler->setCurrentValidationFailure(kNoProducts, message, title);
        collectErrorInfoForTlmx(error.getErrorCode(), withoutSecrets(error.getPrimaryErrorMessage()),
                                withoutSecrets(error.getSecondaryErrorMessage()),
                                install::cpputil::createLocation(getDownloadFolder(), error.getLocation()));
    };
    const auto releaseFamily = handler->getReleaseFamily();
    try {
        adapter->getAvailableProducts();
        return true;
    } catch (const ra::RepoAdapterWebServiceException& error) {
        report(fl::i18n::BaseMsgID("connectionErrorMsg", releaseFamily, kInstallerPlatform),
               fl::i18n::BaseMsgID("connectionErrorTitle"), error);
    } catch (const ra::RepoAdapterDWSDownloadException& error) {
        report(fl::i18n::BaseMsgID("noProductsAlertMsg", releaseFamily, kInstallerPlatform),
               fl::i18n::BaseMsgID("noProductsAlertTitle"), error);
    } catch (const ra::RepoAdapterDWSExtractException& error) {
        // A cancelled run breaks off the unpacking: the user's doing, nothing to show.
        if (!install::cpputil::interrupt::is_set()) {
            report(fl::i18n::BaseMsgID("noProductsAlertMsg", releaseFamily, kInstallerPlatform),
                   fl::i18n::BaseMsgID("noProductsAlertTitle"), error);
        }
    }
    return false;
}

bool PlatformSelectionGate::checkAvailableProducts() const {
    const auto adapter = handler->getProductRepoAdapterInstance();
    if (adapter && adapter->doProductsExist()) return true;
    const auto message =
        fl::i18n::message("noProductsAlertMsg", handler->getReleaseFamily(), kInstallerPlatform);
    const auto title = fl::i18n::message("noProductsAlertTitle");
    logMessage(message);
    handler->setCurrentValidationFailure(kNoProducts, message, title);
    collectErrorInfoForTlmx("1560", "Unable to retrieve products", "",
                            "PlatformSelection::OnlineProductRepoAdapter::doProductsExist");
    return false;
}

std::string PlatformSelectionGate::withoutSecrets(std::string text) const {
    text = withoutSecret(std::move(text), fl::i18n::to_string(handler->getProxyPassword()));
    return withoutSecret(std::move(text), fl::i18n::to_string(handler->getAccessToken()));
}

}  // namespace install::product_installer::workflow_utils
