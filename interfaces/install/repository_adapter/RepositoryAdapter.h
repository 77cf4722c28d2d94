#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "install/product_api/Product.h"

namespace install::repository_adapter {

namespace config {
class RepoAdapterConfiguration;
}

using ProductMap = std::map<std::u16string, std::shared_ptr<const install::product_api::Product>>;

// Where one archive can be had and what it must be once fetched: its size and SHA-256 (lower-case
// hexadecimal; empty when the repository does not know it).
struct ArchiveSource {
    std::string address;  // a URL, or a path for a repository on this machine
    std::uint64_t size = 0;
    std::string sha256;
    // What the repository wants shown for the address: the account's access token, empty when
    // the address needs none.
    std::string accessToken;
};

// A source of products: a folder of archives beside the installer, or the online repository.
class RepositoryAdapter {
public:
    virtual ~RepositoryAdapter() = default;

    virtual void configure(const config::RepoAdapterConfiguration& configuration) = 0;
    virtual ProductMap getAvailableProducts() = 0;
    // Path of the archive that holds a product; empty when the repository has none for it.
    virtual std::u16string getProductArchivePath(const std::u16string& baseCode) = 0;
    // The archive of a product for one platform ("l64pc"); nothing when the repository has none.
    virtual std::optional<ArchiveSource> getProductArchive(const std::u16string& baseCode,
                                                           const std::string& platform) = 0;
    virtual std::vector<std::u16string> getAvailableProductBasecodes() = 0;
    virtual bool doProductsExist() = 0;
    // The installers of the platforms ("w64pc", ...): installer file name to download address.
    virtual std::map<std::string, std::string> getInstallerUrls(
        const std::vector<std::string>& platforms) = 0;
    virtual std::vector<std::u16string> getAdditionalLanguages() = 0;
    virtual void setProxyCredentials(const std::string& userName, const std::string& password) = 0;
};

}  // namespace install::repository_adapter
