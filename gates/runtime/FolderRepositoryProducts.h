#pragma once

#include <functional>
#include <string>

#include "workflow_core/DataModelHandler.h"

namespace install::product_installer::workflow_utils {

// Whether the runtime can come from the product archives beside the installer: the handler holds
// a repository, the packages folder exists (as `exists` sees it) and the repository lists at
// least one product.
inline bool folderRepositoryHasProducts(const DataModelHandler& handler,
                                        const std::function<bool(const std::u16string&)>& exists) {
    const auto repository = handler.getProductRepoAdapterInstance();
    return repository && exists(handler.getPackagesRoot()) && !repository->getAvailableProducts().empty();
}

}  // namespace install::product_installer::workflow_utils
