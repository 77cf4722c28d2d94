#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/ComponentExport.h"
#include "install/repository_adapter/RepositoryAdapter.h"

namespace install::engine {

// How many bytes an installation of some products will fetch and occupy: the archive size
// (download) and the unpacked size (install) of each product, as the repository's product map
// gives them. Platforms and locales select archives in repositories that hold several per
// product; a repository with one archive per product ignores them.
class COMPONENT_API RequiredSizeCalculator {
public:
    RequiredSizeCalculator();
    virtual ~RequiredSizeCalculator();

    // (download bytes, install bytes) of the products. With `skipInstalledProducts` the products
    // the folder's installation record lists cost nothing (an unreadable record throws
    // EngineInvalidInstalledProductsException). A product missing from the map costs nothing
    // with `ignoreUnknownProducts`, else throws EngineMissingComponentException.
    virtual std::pair<std::uint64_t, std::uint64_t> getRequiredDownloadAndInstallSize(
        const std::vector<std::u16string>& products, const std::u16string& folder,
        const std::vector<std::string>& platforms, const std::vector<std::string>& locales,
        const repository_adapter::ProductMap& productMap, bool skipInstalledProducts,
        bool ignoreUnknownProducts) const;

    virtual std::uint64_t getRequiredDownloadSize(const std::vector<std::u16string>& products,
                                                  const std::u16string& folder,
                                                  const std::vector<std::string>& platforms,
                                                  const std::vector<std::string>& locales,
                                                  const repository_adapter::ProductMap& productMap,
                                                  bool skipInstalledProducts,
                                                  bool ignoreUnknownProducts) const;
};

}  // namespace install::engine
