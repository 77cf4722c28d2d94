#include "gates/selection/FolderValidationFailure.h"

#include "fl/i18n/Message.h"
#include "install/cpputil/LogMessages.h"
#include "install/validatefolder/FolderValidatorExceptions.h"

namespace install::product_installer::workflow_utils {

namespace {

namespace vf = install::validatefolder;

template <class Kind>
bool is(const std::exception& error) {
    return dynamic_cast<const Kind*>(&error) != nullptr;
}

constexpr char kInvalidCharacterCode[] = "610";
constexpr char kInvalidCharacterMessage[] = "Invalid characters or destination folder named private";
constexpr char kInvalidCharacterLocation[] =
    "FolderSelection::FolderValidator::FolderValidatorExceptionInvalidCharacter";

}  // namespace

std::u16string folderInvalidCharacterMessage() {
    return fl::i18n::message("folderInvalidCharacterWin",
                             u"'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'");
}

std::optional<FolderValidationFailure> describeFolderValidationFailure(
    const std::exception& error, const std::u16string& folder, FolderKinds kinds,
    const std::function<std::u16string()>& invalidCharacterMessage) {
    const bool gateKinds = kinds == FolderKinds::DestinationGate;
    if (gateKinds && is<vf::FolderValidatorExceptionNonEnglishCharacter>(error)) {
        return FolderValidationFailure{
            fl::i18n::message("folderNonEnglishCharacter"), "600",
            "Folder names cannot contain non-English characters",
            "FolderSelection::FolderValidator::FolderValidatorExceptionNonEnglishCharacter"};
    }
    if (is<vf::FolderValidatorExceptionInvalidCharacter>(error)) {
        return FolderValidationFailure{invalidCharacterMessage(), kInvalidCharacterCode,
                                       kInvalidCharacterMessage, kInvalidCharacterLocation};
    }
    // Support counts trailing dots among the invalid characters; only the user is told apart.
    if (gateKinds && is<vf::FolderValidatorExceptionTrailingDotsOnWindows>(error)) {
        return FolderValidationFailure{fl::i18n::message("folderNameWithTrailingDots"), kInvalidCharacterCode,
                                       kInvalidCharacterMessage, kInvalidCharacterLocation};
    }
    if (is<vf::FolderValidatorExceptionWritePermission>(error)) {
        return FolderValidationFailure{
            fl::i18n::message("folderWritePermission"), "620", "Unable to write to the selected folder",
            "FolderSelection::FolderValidator::FolderValidatorExceptionWritePermission"};
    }
    if (is<vf::FolderValidatorFailedToCreateFolder>(error)) {
        return FolderValidationFailure{
            fl::i18n::message("folderCreationFailed", folder), "630", "Failed to create folder",
            "FolderSelection::FolderValidator::FolderValidatorFailedToCreateFolder"};
    }
    if (is<vf::FolderValidatorAbsolutePath>(error)) {
        return FolderValidationFailure{fl::i18n::message("folderNotAbsolutePath"), "640",
                                       "The folder must be an absolute path",
                                       "FolderSelection::FolderValidator::FolderValidatorAbsolutePath"};
    }
    if (is<vf::FolderValidatorNotADirectory>(error)) {
        return FolderValidationFailure{fl::i18n::message("folderNotADirectory"), "650",
                                       "The folder is not a directory",
                                       "FolderSelection::FolderValidator::FolderValidatorNotADirectory"};
    }
    if (is<vf::FolderContainsUsersDefaultAppDataError>(error)) {
        return FolderValidationFailure{fl::i18n::message("folderContainsUsersDefaultAppData"), "730",
                                       "The folder contains user default AppData",
                                       "FolderSelection::FolderValidator::FolderContainsUserAppDataError"};
    }
    if (is<vf::FolderIsInstallerRootError>(error)) {
        return FolderValidationFailure{fl::i18n::message("folderIsInstallerRoot"), "740",
                                       "The folder is same as installer root",
                                       "FolderSelection::FolderValidator::FolderIsInstallerRootError"};
    }
    return std::nullopt;
}

}  // namespace install::product_installer::workflow_utils
