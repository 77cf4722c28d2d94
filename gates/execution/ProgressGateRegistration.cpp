#include <stdexcept>

#include "fl/i18n/TextConversion.h"
#include "gates/execution/ProgressGate.h"
#include "gates/execution/RegistrationOptionFlag.h"
#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::tlmx::SessionDataKey;

constexpr SessionDataKey kSymbolicLinkSelected{66};
constexpr SessionDataKey kDesktopShortcutSelected{14};
constexpr SessionDataKey kStartMenuShortcutSelected{63};

}  // namespace

void ProgressGate::runRegistrationCommandsOf(
    const registration::productconfig::ProductRegistrationRunner* runner) const {
    try {
        if (runner == nullptr)
            throw std::logic_error("no registration runner was made for this installation");
        runner->runRegistrationCommands();
    } catch (const std::exception& error) {
        log_message(fl::i18n::to_u16string(error.what()));
    }
}

void ProgressGate::publishInstallationNotesOf(
    const registration::productconfig::ProductRegistrationRunner* runner) const {
    try {
        if (runner == nullptr)
            throw std::logic_error("no registration runner was made for this installation");
        const auto notes = runner->getInstallationNotes(handler->getSelectedProducts());
        handler->setInstallationNotes(notes);
        log_message(notes);
    } catch (const std::exception& error) {
        log_message(fl::i18n::to_u16string(error.what()));
    }
}

std::unique_ptr<registration::productconfig::ProductRegistrationRunner>
ProgressGate::getProductRegistrationRunnerInstance(const std::u16string& folder) const {
    const auto sessionKey = handler->getSessionKey();
    const auto selection = handler->getOptionSelection();
    const bool symbolicLink = selection.getIsSymbolicLinkSelected();
    // The runner reads an empty link folder as "no links", so the key is always there.
    const std::u16string symbolicLinkPath = symbolicLink ? handler->getSymbolicLinkPath() : u"";
    const bool desktopShortcut = selection.getIsDesktopShortcutSelected();
    const bool startMenuShortcut = selection.getIsStartMenuShortcutSelected();

    diagnosticsData->add(kSymbolicLinkSelected, symbolicLink);
    diagnosticsData->add(kDesktopShortcutSelected, desktopShortcut);
    diagnosticsData->add(kStartMenuShortcutSelected, startMenuShortcut);

    RegistrationOptions options{
        {"veloraroot", fl::i18n::to_string(folder)},
        {"sessionkey", fl::i18n::to_string(sessionKey)},
        {"symlink", fl::i18n::to_string(symbolicLinkPath)},
        {"desktopshortcutselected", registrationOptionFlag(desktopShortcut)},
        {"startmenushortcut", registrationOptionFlag(startMenuShortcut)},
        {"skiposcommands", registrationOptionFlag(handler->isBatSet())},
    };
    setProductSpecificOptions(options);
    return std::make_unique<registration::productconfig::ProductRegistrationRunner>(options);
}

}  // namespace install::product_installer::workflow_utils
