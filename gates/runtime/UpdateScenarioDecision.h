#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "install/datamodels/Enums.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// What the runtime installer does with the folder of an earlier runtime, and which products it
// installs there; without `productsToInstall` the selection stays as it is.
struct UpdateDecision {
    install::datamodels::product_installer::UpdateScenario scenario;
    std::optional<std::set<std::u16string>> productsToInstall;
};

// Compares the products installed in the folder with those selected, and the update level found
// there with the level offered:
// - nothing installed: a fresh installation (2);
// - the same level: what is selected and missing is added (3), or nothing is left to do (1);
// - an older level offered: the same, except that a folder repository cannot serve an older
//   level next to a newer one (5, nothing to install);
// - a newer level offered: everything installed and selected is installed again at that level
//   (4), which a folder repository can do only when it holds every installed product (else 5).
// Product codes compare code unit by code unit.
WORKFLOW_UTILS_API UpdateDecision decideUpdateScenario(const std::vector<std::u16string>& installed,
                                                       const std::vector<std::u16string>& selected,
                                                       int installedLevel, int offeredLevel,
                                                       bool fromFolderRepository);

}  // namespace install::product_installer::workflow_utils
