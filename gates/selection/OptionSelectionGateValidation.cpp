// The checks made when the options are confirmed: the folder that is to receive the symbolic
// links, and whether another licence-manager service already serves licences from elsewhere.
#include <exception>
#include <functional>
#include <optional>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/selection/OptionSelectionGate.h"
#include "install/cpputil/InstallerException.h"
#include "install/cpputil/LogMessages.h"
#include "install/validatefolder/FolderValidatorExceptions.h"

namespace install::product_installer::workflow_utils {

namespace {

namespace vf = install::validatefolder;
using install::datamodels::product_installer::validationResultType;

// What the user and the diagnostics service learn of one refusal of the symbolic-link folder.
struct SymbolicLinkFailure {
    std::u16string message;
    std::string code;
    std::string diagnosticsMessage;
    std::string location;
};

template <class Kind>
bool is(const std::exception& error) {
    return dynamic_cast<const Kind*>(&error) != nullptr;
}

// The row of the refusal; nothing for a refusal this page does not recognise. The messages are
// those of every folder page, the records this page's own.
std::optional<SymbolicLinkFailure> describe(const std::exception& error, const std::u16string& folder,
                                            const std::function<std::u16string()>& invalidCharacterMessage) {
    if (is<vf::FolderValidatorExceptionNonEnglishCharacter>(error)) {
        return SymbolicLinkFailure{
            fl::i18n::message("folderNonEnglishCharacter"), "1000",
            "Symbolic link folder cannot contain non-English characters",
            "OptionSelection::FolderValidator::FolderValidatorExceptionNonEnglishCharacter"};
    }
    if (is<vf::FolderValidatorExceptionInvalidCharacter>(error)) {
        return SymbolicLinkFailure{
            invalidCharacterMessage(), "1010", "Symbolic link folder name contains invalid characters",
            "OptionSelection::FolderValidator::FolderValidatorExceptionInvalidCharacter"};
    }
    if (is<vf::FolderValidatorExceptionWritePermission>(error)) {
        return SymbolicLinkFailure{
            fl::i18n::message("folderWritePermission"), "1020",
            "Unable to write to the selected symbolic link folder",
            "OptionSelection::FolderValidator::FolderValidatorExceptionWritePermission"};
    }
    if (is<vf::FolderValidatorFailedToCreateFolder>(error)) {
        return SymbolicLinkFailure{fl::i18n::message("folderCreationFailed", folder), "1030",
                                   "Failed to create symbolic link",
                                   "OptionSelection::FolderValidator::FolderValidatorFailedToCreateFolder"};
    }
    if (is<vf::FolderValidatorAbsolutePath>(error)) {
        return SymbolicLinkFailure{fl::i18n::message("folderNotAbsolutePath"), "1040",
                                   "Symbolic link folder must be an absolute path",
                                   "OptionSelection::FolderValidator::FolderValidatorAbsolutePath"};
    }
    if (is<vf::FolderValidatorNotADirectory>(error)) {
        return SymbolicLinkFailure{fl::i18n::message("folderNotADirectory"), "1050",
                                   "Symbolic link folder is not a directory",
                                   "OptionSelection::FolderValidator::FolderValidatorNotADirectory"};
    }
    if (is<vf::FolderContainsUsersDefaultAppDataError>(error)) {
        return SymbolicLinkFailure{
            fl::i18n::message("folderContainsUsersDefaultAppData"), "1090",
            "Symbolic link folder contains user default AppData",
            "OptionSelection::FolderValidator::FolderContainsUsersDefaultAppDataError"};
    }
    if (is<vf::FolderIsInstallerRootError>(error)) {
        return SymbolicLinkFailure{fl::i18n::message("folderIsInstallerRoot"), "1100",
                                   "Symbolic link folder is installer root",
                                   "OptionSelection::FolderValidator::FolderIsInstallerRootError"};
    }
    return std::nullopt;
}

constexpr char kUnknownCode[] = "1060";
constexpr char kUnknownMessage[] = "Unknown error with symbolic link folder validation";
constexpr char kUnknownLocation[] = "OptionSelection::Unknown";

}  // namespace

bool OptionSelectionGate::isSymbolicLinkFolderValid() const {
    const auto folder = handler->getSymbolicLinkPath();
    try {
        getFolderValidator()->checkRequired(folder, handler->isDownloadOnlyWorkflow());
        return true;
    } catch (const std::exception& error) {
        const auto failure = describe(error, folder, [this] { return getFolderInvalidErrorMessage(); });
        if (!failure) {
            // Nothing the user could fix from this page: the workflow manager decides.
            logMessage(fl::i18n::to_u16string(error.what()));
            collectErrorInfoForTlmx(kUnknownCode, kUnknownMessage, error.what(), kUnknownLocation);
            throw install::cpputil::InstallerException(kUnknownCode, kUnknownMessage, error.what(),
                                                       kUnknownLocation);
        }
        logMessage(failure->message);
        handler->setCurrentValidationFailure(validationResultType(3), failure->message, u"");
        collectErrorInfoForTlmx(failure->code, failure->diagnosticsMessage, error.what(), failure->location);
        return false;
    }
}

std::u16string OptionSelectionGate::getFolderInvalidErrorMessage() const {
    return fl::i18n::message("folderInvalidCharacterWin",
                             u"'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'");
}

bool OptionSelectionGate::validateConfigureLMAsAServiceOption() const {
    try {
        getLicenseManagerServiceInstance()->checkIfLMServiceExists(handler->getInstallFolder());
        return true;
    } catch (const install::instlicutil::LMServiceExistsException& error) {
        const auto title = fl::i18n::message("ServiceErrorTitle");
        const auto message = fl::i18n::message("LMServiceExistsMessage", u"Velora License Server");
        handler->setCurrentValidationFailure(validationResultType(1), message, title);
        logMessage(message);
        collectErrorInfoForTlmx(
            "1070", "Another license manager service exists and is running from another directory",
            error.what(), "OptionSelection::Services::LMServiceExists");
    } catch (const install::instlicutil::UnableToFindLMServiceException& error) {
        logMessage(fl::i18n::to_u16string(error.what()));
        collectErrorInfoForTlmx("1080", "Unknown error while searching with license manager service exists",
                                error.what(),
                                "OptionSelection::Services::UnkownErrorSearchingIfLMServiceExists");
    }
    return false;
}

}  // namespace install::product_installer::workflow_utils
