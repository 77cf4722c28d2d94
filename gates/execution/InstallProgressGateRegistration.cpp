#include <algorithm>
#include <exception>
#include <stdexcept>

#include "fl/i18n/TextConversion.h"
#include "gates/execution/InstallProgressGate.h"
#include "gates/execution/RegistrationOptionFlag.h"
#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::tlmx::SessionDataKey;

constexpr SessionDataKey kUsageDataOffered{77};
constexpr SessionDataKey kUsageDataSelected{76};
constexpr SessionDataKey kAcceleratorTaskSelected{11};
constexpr SessionDataKey kFileAssociationSelected{62};

// The product whose presence decides whether the usage-data service runs after installation.
constexpr char16_t kMainProduct[] = u"VELORA";

}  // namespace

void InstallProgressGate::setProductSpecificOptions(RegistrationOptions& options) const {
    const auto selection = handler->getOptionSelection();
    bool usageDataOffered = false;
    for (const auto& option : selection.getOptionToDisplayList().values()) {
        if (option.getOptionType() == DataModelHandler::OptionType::ImproveVelora) usageDataOffered = true;
    }
    const bool improveVelora = handler->isImproveVeloraSelected();
    const bool acceleratorTask = selection.getIsAcceleratorTaskSelected();
    const bool fileAssociation = selection.getIsFileAssociationSelected();

    diagnosticsData->add(kUsageDataOffered, usageDataOffered);
    diagnosticsData->add(kUsageDataSelected, improveVelora);
    diagnosticsData->add(kAcceleratorTaskSelected, acceleratorTask);
    diagnosticsData->add(kFileAssociationSelected, fileAssociation);

    const auto selected = handler->getSelectedProducts();
    const bool mainProductSelected =
        std::find(selected.begin(), selected.end(), kMainProduct) != selected.end();
    options["setfileassoc"] = registrationOptionFlag(fileAssociation);
    options["createacceltask"] = registrationOptionFlag(acceleratorTask);
    options["improvevelora"] = registrationOptionFlag(improveVelora);
    options["runveloratlmx"] = registrationOptionFlag(mainProductSelected);
}

void InstallProgressGate::runOSRegistrationCommands() const {
    runRegistrationCommandsOf(registrationRunner.get());
}

void InstallProgressGate::setupNotes() const { publishInstallationNotesOf(registrationRunner.get()); }

}  // namespace install::product_installer::workflow_utils
