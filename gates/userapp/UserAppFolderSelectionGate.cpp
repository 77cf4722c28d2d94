// The packaged application's folder page: its proposal, its own table of folder refusals and the
// space check that follows them.
#include "gates/userapp/UserAppFolderSelectionGate.h"

#include <exception>
#include <filesystem>
#include <stdexcept>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"
#include "install/platformutil/SizeFormatter.h"

namespace install::product_installer::workflow_utils {

namespace {

namespace vf = install::validatefolder;
using install::datamodels::product_installer::validationResultType;

constexpr auto kFolderRefused = validationResultType(3);
constexpr auto kNoRoom = validationResultType(23);

}  // namespace

UserAppFolderSelectionGate::UserAppFolderSelectionGate(const std::u16string& name,
                                                       const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler) {}

UserAppFolderSelectionGate::~UserAppFolderSelectionGate() = default;

void UserAppFolderSelectionGate::setDefaultData() const {
    handler->setUserInputInstallationDirectory(
        handler->getVantapakUserApplicationDataModel().getInstallationDirectory());
}

void UserAppFolderSelectionGate::setRequiredData() const { handler->setDataRequired(name); }

void UserAppFolderSelectionGate::processData() {
    const auto folder = handler->getUserInputInstallationDirectory();
    if (!isFolderValid(folder)) return;
    handler->setInstallationDirectory(folder);
    handler->setAsValid();
    handler->setAsDataProcessed();
    logMessage(u"UserApp Folder validation in Vantapak workflow is successful.");
}

bool UserAppFolderSelectionGate::isFolderValid(const std::u16string& folder) const {
    bool valid = true;
    try {
        getFolderValidator()->checkRequired(folder, false);
    } catch (const vf::FolderValidatorExceptionNonEnglishCharacter&) {
        updateErrorInformation(valid, fl::i18n::message("folderNonEnglishCharacter"));
    } catch (const vf::FolderValidatorExceptionInvalidCharacter&) {
        updateErrorInformation(valid, getFolderInvalidErrorMessage());
    } catch (const vf::FolderValidatorExceptionTrailingDotsOnWindows&) {
        updateErrorInformation(valid, fl::i18n::message("folderNameWithTrailingDots"));
    } catch (const vf::FolderValidatorExceptionWritePermission&) {
        updateErrorInformation(valid, fl::i18n::message("folderWritePermission"));
    } catch (const vf::FolderValidatorFailedToCreateFolder&) {
        updateErrorInformation(valid, fl::i18n::message("folderCreationFailed", folder));
    } catch (const vf::FolderValidatorAbsolutePath&) {
        updateErrorInformation(valid, fl::i18n::message("folderNotAbsolutePath"));
    } catch (const vf::FolderValidatorNotADirectory&) {
        updateErrorInformation(valid, fl::i18n::message("folderNotADirectory"));
    } catch (const vf::FolderIsInstallerRootError&) {
        updateErrorInformation(valid, fl::i18n::message("folderIsInstallerRoot"));
    } catch (const std::exception& error) {
        logMessage(fl::i18n::to_u16string(error.what()));
        throw std::runtime_error(error.what());
    }
    return valid && hasRoomForApplication(folder);
}

bool UserAppFolderSelectionGate::hasRoomForApplication(const std::u16string& folder) const {
    const auto required = handler->getVantapakUserApplicationDataModel().getRequiredDiskSpace();
    bool enough = false;
    try {
        enough = getDiskSpaceValidatorInstance()->hasEnoughDiskSpaceToInstall(folder, required);
    } catch (const std::exception& error) {
        logMessage(fl::i18n::to_u16string(error.what()));
    }
    if (enough) return true;
    const auto drive = std::filesystem::path(fl::i18n::to_string(folder)).root_path().string();
    const auto message = fl::i18n::message("insufficientDiskSpace", drive,
                                           install::platformutil::SizeFormatter::format(required));
    logMessage(message);
    handler->setCurrentValidationFailure(kNoRoom, message, fl::i18n::message("standardErrorTitle"));
    return false;
}

void UserAppFolderSelectionGate::updateErrorInformation(bool& valid, const std::u16string& message) const {
    valid = false;
    logMessage(message);
    handler->setCurrentValidationFailure(kFolderRefused, message, u"");
}

std::u16string UserAppFolderSelectionGate::getFolderInvalidErrorMessage() const {
    return fl::i18n::message("folderInvalidCharacterWin",
                             u"'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'");
}

std::unique_ptr<install::validatefolder::FolderValidator> UserAppFolderSelectionGate::getFolderValidator()
    const {
    return std::make_unique<install::validatefolder::FolderValidator>();
}

std::unique_ptr<install::engine::DiskSpaceValidator>
UserAppFolderSelectionGate::getDiskSpaceValidatorInstance() const {
    return std::make_unique<install::engine::DiskSpaceValidator>();
}

void UserAppFolderSelectionGate::logMessage(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

}  // namespace install::product_installer::workflow_utils
