// Whether the disks can hold a selection: the installation in the destination folder and, in an
// online installation, the downloaded archives in the temporary folder until they are unpacked.
#include <string>

#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/selection/ProductSelectionGate.h"
#include "install/cpputil/LogMessages.h"
#include "install/platformutil/SizeFormatter.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::datamodels::product_installer::validationResultType;

constexpr int kSpaceWarning = 15;

std::u16string bytes(std::uint64_t count) { return fl::i18n::to_u16string(std::to_string(count)); }

}  // namespace

ProductSelectionGate::RequiredSizes ProductSelectionGate::getRequiredSizes() const {
    const auto selected = handler->getSelectedProducts();
    const std::vector<std::string> platforms{fl::i18n::to_string(handler->getExecutionPlatform())};
    const std::vector<std::string> locales{fl::i18n::to_string(handler->getLocale())};
    const auto [downloadSize, installSize] =
        getRequiredSizeCalculatorInstance()->getRequiredDownloadAndInstallSize(
            selected, handler->getInstallFolder(), platforms, locales, getProducts(), true, true);
    return {downloadSize, installSize};
}

bool ProductSelectionGate::hasEnoughSpace() const {
    const RequiredSizes sizes = getRequiredSizes();
    handler->setRequiredInstallSize(sizes.installSize);
    const auto validator = getDiskSpaceValidatorInstance();
    const auto installFolder = handler->getInstallFolder();
    traceSpace(u"install folder: " + installFolder);

    if (handler->isInteractiveInstallFromFolderWorkflow()) {
        if (!validator->hasEnoughDiskSpaceToInstall(installFolder, sizes.installSize)) {
            traceSpace(
                u"SpaceValidator determines that we  **do not** have enough space in the install folder.");
            showWarning(sizes.installSize, validationResultType(kSpaceWarning));
            return false;
        }
        traceSpace(u"SpaceValidator determines that we have enough space in the install folder.");
        return true;
    }

    if (handler->isSilentWorkflow()) {
        if (!validator->hasEnoughDiskSpaceToInstall(installFolder, sizes.installSize)) {
            // Nobody could answer a warning: the run goes on and support learns why it may fail.
            traceSpace(
                u"SpaceValidator determines that we  **do not** have enough space in the install folder.");
            log_message(getWarningMetaData(sizes.installSize).message);
            reportRecord("830", "Insufficient disk space", "ProductValidator::NotEnoughSpace");
        }
        return true;
    }

    if (handler->isOnlineInstallWorkflow()) {
        traceSpace(u"install size required: " + bytes(sizes.installSize));
        traceSpace(u"download size required: " + bytes(sizes.downloadSize));
        const auto temporaryFolder = getTemporaryFolder();
        traceSpace(u"temporary folder: " + temporaryFolder);
        if (temporaryFolder.empty()) {
            traceSpace(
                u"there is no temporary directory defined as per fl::filesystem::tmpname  requirement. So no "
                u"space "
                u"check will be performed.");
            return true;
        }
        if (isSameVolume(temporaryFolder, installFolder)) {
            // The archives and the installation share the volume until the archives are removed.
            traceSpace(u"temporary folder and install folder are in the same volume.");
            const std::uint64_t total = sizes.installSize + sizes.downloadSize;
            if (!validator->hasEnoughDiskSpaceToInstall(installFolder, total)) {
                traceSpace(u"We **do not** have available space in install folder.");
                showWarning(total, validationResultType(kSpaceWarning));
                return false;
            }
            traceSpace(u"We have available space in install folder.");
            return true;
        }
        traceSpace(u"temporary folder and install Folder are **not** in  the same volume");
        if (!validator->hasEnoughDiskSpaceToInstall(installFolder, sizes.installSize)) {
            traceSpace(u"We **do not** have available space in install folder.");
            showWarning(sizes.installSize, validationResultType(kSpaceWarning));
            return false;
        }
        traceSpace(u"We have available space in install folder.");
        if (!validator->hasEnoughDiskSpaceToInstall(temporaryFolder, sizes.downloadSize)) {
            traceSpace(u"We **do not** have available space in temporary folder.");
            showWarning(sizes.downloadSize, validationResultType(kSpaceWarning));
            return false;
        }
        traceSpace(u"We have available space in temporary folder.");
    }
    return true;
}

ProductSelectionGate::WarningText ProductSelectionGate::getWarningMetaData(std::uint64_t requiredSize) const {
    return {fl::i18n::message("productSelectionSpaceWarningMsg",
                              install::platformutil::SizeFormatter::format(requiredSize)),
            fl::i18n::message("productSelectionSpaceWarningTitle")};
}

void ProductSelectionGate::showWarning(std::uint64_t requiredSize, const ValidationResultType& type) const {
    const WarningText warning = getWarningMetaData(requiredSize);
    handler->setCurrentValidationWarning(type, warning.message, warning.title);
    log_message(warning.message);
    reportRecord("830", "Insufficient disk space", "ProductValidator::NotEnoughSpace");
}

bool ProductSelectionGate::isSameVolume(const std::u16string& first, const std::u16string& second) const {
    return getVolumeDetetorInstance()->isSameVolume(first, second);
}

std::u16string ProductSelectionGate::getTemporaryFolder() const { return fl::filesystem::tmpname(); }

}  // namespace install::product_installer::workflow_utils
