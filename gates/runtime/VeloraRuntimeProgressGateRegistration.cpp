// After the runtime is in place: the registration with the operating system, with the packaged
// application's launch options, and the notes for the final page, the search-path note included.
#include <exception>
#include <stdexcept>

#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/runtime/VeloraRuntimeProgressGate.h"
#include "install/cpputil/LogMessages.h"
#include "workflow_core/PathJoin.h"

namespace install::product_installer::workflow_utils {

namespace {

// Where the machine-wide environment lives, and the value that holds the search path.
constexpr char16_t kEnvironmentKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char16_t kSearchPathValue[] = u"Path";
constexpr char16_t kApplicationFolder[] = u"application";

}  // namespace

bool VeloraRuntimeProgressGate::doPostInstallAction(const std::u16string&) {
    try {
        runOSRegistrationCommands();
        setupNotes();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void VeloraRuntimeProgressGate::runOSRegistrationCommands() const {
    runRegistrationCommandsOf(registrationRunner.get());
}

void VeloraRuntimeProgressGate::setupNotes() const {
    publishInstallationNotesOf(registrationRunner.get());
    try {
        std::u16string note;
        if (!handler->isBatSet() && !checkRuntimeEntryInWindowsSystemPath()) {
            note = fl::i18n::message("existingSystemPathTooLong", handler->getInstallFolder());
        }
        handler->setPathIssueNotes(note);
        log_message(note);
    } catch (const std::exception& error) {
        log_message(fl::i18n::to_u16string(error.what()));
    }
}

bool VeloraRuntimeProgressGate::checkRuntimeEntryInWindowsSystemPath() const {
    const auto searchPath = fl::i18n::to_string(
        getRegistryReaderInstance()->getMachineValue(kEnvironmentKey, kSearchPathValue).value_or(u""));
    const auto entry =
        fl::i18n::to_string(joinPath(joinPath(handler->getInstallFolder(), u"runtime"), u"w64pc"));
    return searchPath.find(entry + ";") != std::string::npos || searchPath.ends_with(entry);
}

void VeloraRuntimeProgressGate::setProductSpecificOptions(RegistrationOptions& options) const {
    if (!handler->isVantapakWorkflow() || userApplication.isNull()) return;
    const std::u16string installation = userApplication.getInstallationDirectory();
    const auto applicationFolder = joinPath(installation, kApplicationFolder);
    const std::u16string icon = userApplication.getIcon();
    options["vantapakapplicationinstallroot"] = fl::i18n::to_string(installation);
    options["vantapakapplicationname"] = fl::i18n::to_string(userApplication.getApplicationName());
    options["vantapakapplicationfolderpath"] = fl::i18n::to_string(applicationFolder);
    const std::u16string program = userApplication.getMainProgram();
    options["vantapakapplicationfilepath"] =
        program.empty() ? std::string() : fl::i18n::to_string(joinPath(applicationFolder, program));
    options["vantapakapplicationiconfilepath"] =
        icon.empty() ? std::string()
                     : fl::i18n::to_string(joinPath(installation, fl::filesystem::filename(icon)));
    options["vantapakapplicationversion"] = fl::i18n::to_string(userApplication.getApplicationVersion());
}

std::unique_ptr<install::registry::RegistryReader> VeloraRuntimeProgressGate::getRegistryReaderInstance()
    const {
    return std::make_unique<install::registry::RegistryReader>();
}

}  // namespace install::product_installer::workflow_utils
