// The installer downloader's transfers given the configured proxy.
#include "host/ProxiedInstallerDownloader.h"

#include <utility>

namespace velora::installer {

ProxiedInstallerDownloader::ProxiedInstallerDownloader(
    const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
    const std::map<std::string, std::string>& windowsInstallers,
    const std::map<std::string, std::string>& otherInstallers, const std::u16string& folder,
    std::string proxyAddress)
    : InstallerDownloader(handler, windowsInstallers, otherInstallers, folder),
      proxyAddress_(std::move(proxyAddress)) {}

std::unique_ptr<install::downloader::Downloader> ProxiedInstallerDownloader::getDownloader(
    const std::string& address, const std::u16string& target) const {
    auto downloader = InstallerDownloader::getDownloader(address, target);
    if (!proxyAddress_.empty()) downloader->setProxyUrl(proxyAddress_);
    return downloader;
}

}  // namespace velora::installer
