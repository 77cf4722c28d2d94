#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "FolderProduct.h"
#include "foundation/ComponentExport.h"
#include "install/productidentifier/ProductCatalogue.h"
#include "install/repository_adapter/RepoAdapterConfiguration.h"
#include "install/repository_adapter/RepositoryAdapter.h"

namespace install::repository_adapter {

// The products whose archives lie beside the installer: every "<base code>.enc" (a zip
// archive) in the packages root or its "common" sub-folder whose base code the product catalogue
// describes. An archive in the root wins over one of the same name in "common"; other files
// are passed over. The folder is read on the first question and remembered until refresh() or
// configure(); every operation may be called from any thread.
class COMPONENT_API FolderRepositoryAdapter : public RepositoryAdapter {
public:
    FolderRepositoryAdapter(std::filesystem::path packagesRoot,
                            std::shared_ptr<const productidentifier::ProductCatalogue> catalogue);
    // With the catalogue beside the running installer.
    explicit FolderRepositoryAdapter(std::filesystem::path packagesRoot);
    ~FolderRepositoryAdapter() override;

    // Takes the packages root from the configuration when it names one.
    void configure(const config::RepoAdapterConfiguration& configuration) override;
    // Throws RepoAdapterDWSDownloadException when the catalogue cannot be read and
    // RepoAdapterDWSExtractException when an archive cannot be read.
    ProductMap getAvailableProducts() override;
    std::u16string getProductArchivePath(const std::u16string& baseCode) override;
    std::vector<std::u16string> getAvailableProductBasecodes() override;
    // False also when the folder cannot be read.
    bool doProductsExist() override;
    // A folder holds no installers to download.
    std::map<std::string, std::string> getInstallerUrls(const std::vector<std::string>& platforms) override;
    std::vector<std::u16string> getAdditionalLanguages() override;
    // Nothing here goes over the network; the credentials are kept only to be asked for.
    void setProxyCredentials(const std::string& userName, const std::string& password) override;

    void refresh();
    std::filesystem::path getPackagesRoot() const;

private:
    struct Listing {
        ProductMap products;
        std::map<std::u16string, std::filesystem::path> archives;
    };

    Listing& listing();
    Listing readFolder(const productidentifier::ProductCatalogue& catalogue) const;
    std::shared_ptr<const productidentifier::ProductCatalogue> catalogue();

    mutable std::mutex mutex_;
    std::filesystem::path packagesRoot_;
    std::shared_ptr<const productidentifier::ProductCatalogue> catalogue_;
    std::optional<Listing> listing_;
    std::string proxyUserName_;
    std::string proxyPassword_;
};

}  // namespace install::repository_adapter
