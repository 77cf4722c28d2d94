#include "gates/selection/FolderExceptionUtility.h"

#include <exception>

#include "fl/i18n/TextConversion.h"
#include "gates/selection/FolderValidationFailure.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr auto kFolderFailure = install::datamodels::product_installer::validationResultType(3);

}  // namespace

FolderExceptionUtility::~FolderExceptionUtility() = default;

bool FolderExceptionUtility::isAValidFolder(
    const std::u16string& folder, const std::shared_ptr<DataModelHandler>& handler,
    const std::shared_ptr<install::tlmx::TlmxUtil>& diagnostics) const {
    bool valid = true;
    const auto validator = getFolderValidator();
    try {
        validator->checkRequired(folder, true);
    } catch (const std::exception& error) {
        const auto failure = describeFolderValidationFailure(
            error, folder, FolderKinds::Utility, [this] { return getFolderInvalidErrorMessage(); });
        if (failure) {
            updateErrorInformation(valid, failure->message, handler);
            collectErrorInfoForTlmx(failure->code, failure->diagnosticsMessage, error.what(),
                                    failure->location, diagnostics);
        } else {
            // The page keeps whatever it showed before: there is no wording for a refusal nobody
            // anticipated, so only the log and support learn of it.
            valid = false;
            log_message(fl::i18n::to_u16string(error.what()));
            collectErrorInfoForTlmx(kUnknownFolderFailureCode, kUnknownFolderFailureMessage, error.what(),
                                    kUnknownFolderFailureLocation, diagnostics);
        }
    }
    return valid;
}

void FolderExceptionUtility::log_message(const std::u16string& message) const {
    install::cpputil::logger::append_message(message);
}

std::unique_ptr<install::validatefolder::FolderValidator> FolderExceptionUtility::getFolderValidator() const {
    return std::make_unique<install::validatefolder::FolderValidator>();
}

void FolderExceptionUtility::updateErrorInformation(bool& valid, const std::u16string& message,
                                                    const std::shared_ptr<DataModelHandler>& handler) const {
    valid = false;
    log_message(message);
    handler->setCurrentValidationFailure(kFolderFailure, message, u"");
}

std::u16string FolderExceptionUtility::getFolderInvalidErrorMessage() const {
    return folderInvalidCharacterMessage();
}

void FolderExceptionUtility::collectErrorInfoForTlmx(
    const std::string& code, const std::string& message, const std::string& details,
    const std::string& location, const std::shared_ptr<install::tlmx::TlmxUtil>& diagnostics) const {
    diagnostics->collectErrorInfo(code, message, details, location);
}

}  // namespace install::product_installer::workflow_utils
