// The runtime installer's update decision, kept free of the data model so that every case can be
// stated as a row of figures.
#include "gates/runtime/UpdateScenarioDecision.h"

#include <algorithm>
#include <iterator>

#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::datamodels::product_installer::UpdateScenario;
using Products = std::set<std::u16string>;

Products minus(const Products& from, const Products& taken) {
    Products rest;
    std::set_difference(from.begin(), from.end(), taken.begin(), taken.end(),
                        std::inserter(rest, rest.end()));
    return rest;
}

}  // namespace

UpdateDecision decideUpdateScenario(const std::vector<std::u16string>& installedList,
                                    const std::vector<std::u16string>& selectedList, int installedLevel,
                                    int offeredLevel, bool fromFolderRepository) {
    if (installedList.empty()) return {UpdateScenario::FreshInstallation, std::nullopt};
    const Products installed(installedList.begin(), installedList.end());
    const Products selected(selectedList.begin(), selectedList.end());

    if (offeredLevel <= installedLevel) {
        const Products added = minus(selected, installed);
        if (added.empty()) return {UpdateScenario::AlreadyUpToDate, added};
        // The repository of a folder holds one level; it cannot add older products to newer ones.
        if (offeredLevel < installedLevel && fromFolderRepository) {
            return {UpdateScenario::UpdateNotPossibleFromFolderRepository, Products{}};
        }
        return {UpdateScenario::ProductsAdded, added};
    }

    Products everything = installed;
    everything.insert(selected.begin(), selected.end());
    if (fromFolderRepository && !minus(installed, selected).empty()) {
        return {UpdateScenario::UpdateNotPossibleFromFolderRepository, Products{}};
    }
    return {UpdateScenario::UpdateToNewerLevel, everything};
}

}  // namespace install::product_installer::workflow_utils
