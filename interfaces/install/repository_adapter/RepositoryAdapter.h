#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "install/product_api/Product.h"

namespace install::repository_adapter {

namespace config {
class RepoAdapterConfiguration;
}

using ProductMap = std::map<std::u16string, std::shared_ptr<const install::product_api::Product>>;

// A source of products: a folder of archives beside the installer, or the online repository.
class RepositoryAdapter {
public:
    virtual ~RepositoryAdapter() = default;

    virtual void configure(const config::RepoAdapterConfiguration& configuration) = 0;
    virtual ProductMap getAvailableProducts() = 0;
    // Path of the archive that holds a product; empty when the repository has none for it.
    virtual std::u16string getProductArchivePath(const std::u16string& baseCode) = 0;
    virtual std::vector<std::u16string> getAvailableProductBasecodes() = 0;
    virtual bool doProductsExist() = 0;
    // The installers of the platforms ("w64pc", ...): installer file name to download address.
    virtual std::map<std::string, std::string> getInstallerUrls(
        const std::vector<std::string>& platforms) = 0;
    virtual std::vector<std::u16string> getAdditionalLanguages() = 0;
    virtual void setProxyCredentials(const std::string& userName, const std::string& password) = 0;
};

}  // namespace install::repository_adapter
