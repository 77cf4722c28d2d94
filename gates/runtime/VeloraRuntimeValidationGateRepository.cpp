// Where the runtime's products come from: the archives beside the installer when they are there,
// else the online repository, configured for the update level to install.
#include <algorithm>
#include <exception>
#include <stdexcept>

#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/TextConversion.h"
#include "gates/runtime/FolderRepositoryProducts.h"
#include "gates/runtime/VeloraRuntimeValidationGate.h"
#include "install/cpputil/LogMessages.h"
#include "install/repository_adapter/RepoAdapterConfiguration.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr char kOnlineRepositoryFilter[] = "(type=onlineproduct)";
constexpr char16_t kClientString[] = u"VeloraRuntimeInstaller";
constexpr char16_t kInstallerName[] = u"VRI";
constexpr std::int32_t kClientSignature = 6;

}  // namespace

bool VeloraRuntimeValidationGate::IfFolderRepoHasProducts() const {
    return folderRepositoryHasProducts(
        *handler, [this](const std::u16string& path) { return fileExistsWrapper(path); });
}

bool VeloraRuntimeValidationGate::fileExistsWrapper(const std::u16string& path) const {
    try {
        return fl::filesystem::exists(path);
    } catch (const std::exception&) {
        // A folder that cannot be searched serves no archives.
        return false;
    }
}

bool VeloraRuntimeValidationGate::setDownloadUpdateLevelAndCheckIfChanged() const {
    const int level = std::max(handler->getInstalledProductsReleaseUpdateLevel(), handler->getUpdateLevel());
    const int previous = handler->getToBeInstalledUpdateLevel();
    handler->setToBeInstalledUpdateLevel(level);
    return level != previous;
}

void VeloraRuntimeValidationGate::createOnlineRepoAdapterIfNeeded() const {
    if (handler->IsFolderRepoInstance() || !handler->getIsVantapakInstallation()) return;
    const bool levelChanged = setDownloadUpdateLevelAndCheckIfChanged();
    const auto current = handler->getProductRepoAdapterInstance();
    if (current && current->doProductsExist() && !levelChanged) return;
    createOnlineRepoAdapter();
}

void VeloraRuntimeValidationGate::createOnlineRepoAdapter() const {
    const auto registry = getServiceRegistry();
    const auto repository = registry ? registry->findService<RepositoryAdapter>(kOnlineRepositoryFilter)
                                     : std::shared_ptr<RepositoryAdapter>();
    if (!repository) throw std::runtime_error("Failed to retrieve repository adapter microservice instance");

    install::repository_adapter::config::RepoAdapterConfiguration configuration;
    configuration.setClientString(kClientString);
    configuration.setInstallerName(kInstallerName);
    configuration.setInstallerVersion(handler->getInstallerVersion());
    configuration.setKxAccountToken(u"");
    configuration.setKxClientSignature(kClientSignature);
    configuration.setReleaseFamily(handler->getReleaseFamily());
    configuration.setReleaseStatus(handler->getReleaseStatus());
    configuration.setUpdateNo(handler->getToBeInstalledUpdateLevel());
    repository->configure(configuration);

    const auto proxyUserName = handler->getProxyUserName();
    const auto proxyPassword = handler->getProxyPassword();
    if (!proxyUserName.empty() && !proxyPassword.empty()) {
        repository->setProxyCredentials(fl::i18n::to_string(proxyUserName),
                                        fl::i18n::to_string(proxyPassword));
    }
    handler->setProductRepoAdapterInstance(repository);
}

}  // namespace install::product_installer::workflow_utils
