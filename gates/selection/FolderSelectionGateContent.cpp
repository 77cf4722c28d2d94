// Whether the chosen folder's existing installation, and the product running from it, allow the
// installation to go ahead.

#include <exception>

#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/Message.h"
#include "gates/selection/FolderSelectionGate.h"
#include "install/cpputil/LogMessages.h"
#include "install/validatefolder/DestinationContentExceptions.h"

namespace install::product_installer::workflow_utils {

namespace {

namespace vf = install::validatefolder;
using install::datamodels::product_installer::validationResultType;

constexpr auto kContentConflict = validationResultType(8);
constexpr auto kControllingProductConflict = validationResultType(12);
constexpr auto kProductRunning = validationResultType(1);

// The code under which product descriptions name their Windows executables.
constexpr char16_t kExecutablePlatformCode[] = u"w64pc";

// A parallel server may join an existing installation of the product it serves.
constexpr char16_t kParallelServerFamily[] = u"Velora Parallel Server";
constexpr char16_t kServedFamily[] = u"Velora";

}  // namespace

bool FolderSelectionGate::isFolderContentValid(const std::u16string& folder) const {
    bool valid = true;
    const auto validator = getDestinationContentValidator(folder);
    const auto installedProducts = handler->getInstalledProducts();
    const auto offeredProducts = handler->getOfferedProducts();
    const auto installedFamily = getControllingProductFamily(installedProducts);
    const auto offeredFamily = getControllingProductFamily(offeredProducts);
    try {
        validator->validate(installedFamily, offeredFamily);
    } catch (const vf::OverwriteException& error) {
        reportContentConflict(
            valid, "700",
            "The installer cannot install into the specified folder. Select an empty folder to continue.",
            error.what(), "FolderSelection::FolderContentValidator::OverwriteException");
    } catch (const vf::ControllingProductsMismatchException& error) {
        const auto installedName = getControllingProductName(installedProducts);
        const auto offeredName = getControllingProductName(offeredProducts);
        if (offeredFamily == kParallelServerFamily && installedFamily == kServedFamily) return valid;
        valid = false;
        const auto message = fl::i18n::message("controllingProductConflictMsg", offeredName, installedName);
        logMessage(message);
        handler->setCurrentValidationFailure(kControllingProductConflict, message, u"");
        collectErrorInfoForTlmx(
            "660", "The selected folder has another controlling product installed in it", error.what(),
            "FolderSelection::FolderContentValidator::ControllingProductsMismatchException");
    } catch (const vf::ReleaseStatusMismatchException& error) {
        reportContentConflict(
            valid, "670", "The specified folder contains products that are not compatible with this version",
            error.what(), "FolderSelection::FolderContentValidator::ReleaseDescriptionMismatchException");
    } catch (const vf::UpdateLevelMismatchException& error) {
        // Installing from local archives cannot bring an installation to another update level; a
        // runtime or an online installation updates it instead.
        if (!handler->getIsQRTInstallation() && handler->getDoesLocalArchivesExist()) {
            reportContentConflict(
                valid, "710",
                "The specified folder contains products at a different update level than the installer",
                error.what(), "FolderSelection::FolderContentValidator::UpdateLevelMismatchException");
        } else {
            logMessage(u"Update levels of the installer and existing installation are different");
        }
    }
    return valid;
}

void FolderSelectionGate::reportContentConflict(bool& valid, const std::string& code,
                                                const std::string& message, const std::string& details,
                                                const std::string& location) const {
    valid = false;
    const auto overwrite = getOverWriteErrorMessageMetaData();
    logMessage(overwrite[0]);
    handler->setCurrentValidationFailure(kContentConflict, overwrite[0], overwrite[1]);
    collectErrorInfoForTlmx(code, message, details, location);
}

std::vector<std::u16string> FolderSelectionGate::getOverWriteErrorMessageMetaData() const {
    return {fl::i18n::message("overwriteErrorMsg"), fl::i18n::message("overwriteErrorTitle")};
}

std::unique_ptr<install::validatefolder::DestinationContentValidator>
FolderSelectionGate::getDestinationContentValidator(const std::u16string& folder) const {
    return std::make_unique<install::validatefolder::DestinationContentValidator>(folder);
}

bool FolderSelectionGate::isDownloadOnlyOrLicenseManager() const {
    return handler->isDownloadOnlyWorkflow() || handler->isLicenseManagerWorkflow();
}

bool FolderSelectionGate::isProductExecutableRunning() const {
    // Downloads and licence-server installations touch no product files; scripted runs and
    // runtime installations are not held up by a running product.
    if (isDownloadOnlyOrLicenseManager() || handler->isBatSet() || handler->getIsQRTInstallation())
        return false;
    const auto product = controllingProductOf(handler->getOfferedProducts());
    const auto& executables = product->getDetectRunningExe();
    const auto entry = executables.find(kExecutablePlatformCode);
    if (entry == executables.end()) return false;
    const auto executableName = fl::filesystem::filename(entry->second);
    return getDetectRunningProcessStrategy()->isProcessRunning(executableName, u"");
}

void FolderSelectionGate::showProductExecutableRunningError() const {
    const auto message = fl::i18n::message("productExecutableRunningErrorMsg");
    const auto title = fl::i18n::message("standardErrorTitle");
    logMessage(message);
    handler->setCurrentValidationFailure(kProductRunning, message, title);
}

std::unique_ptr<install::platformutil::DetectRunningProcess>
FolderSelectionGate::getDetectRunningProcessStrategy() const {
    return install::platformutil::createDetectRunningProcessStrategy();
}

}  // namespace install::product_installer::workflow_utils
