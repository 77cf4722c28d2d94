// The installer programs of a download-only run, fetched through the configured proxy.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "gates/download/InstallerDownloader.h"

namespace velora::installer {

// Fetches like the library's installer downloader, through the proxy the address configuration
// names, as the product archives are.
class ProxiedInstallerDownloader : public install::product_installer::workflow_utils::InstallerDownloader {
public:
    ProxiedInstallerDownloader(
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        const std::map<std::string, std::string>& windowsInstallers,
        const std::map<std::string, std::string>& otherInstallers, const std::u16string& folder,
        std::string proxyAddress);

protected:
    std::unique_ptr<install::downloader::Downloader> getDownloader(
        const std::string& address, const std::u16string& target) const override;

private:
    std::string proxyAddress_;
};

}  // namespace velora::installer
