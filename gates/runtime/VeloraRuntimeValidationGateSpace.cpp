// Whether the disks can hold the runtime: the installation folder and, when the products are
// downloaded, the temporary folder that holds the archives until they are unpacked.
#include <exception>
#include <filesystem>

#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/runtime/VeloraRuntimeValidationGate.h"
#include "install/cpputil/LogMessages.h"
#include "install/platformutil/SizeFormatter.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr char16_t kWindowsPlatform[] = u"w64pc";

// The drive of a Windows path ("C:\"), or its share ("\\server\share\"); the root of any other.
std::u16string windowsRootOf(const std::u16string& folder) {
    if (folder.size() >= 2 && folder[1] == u':') return folder.substr(0, 2) + u'\\';
    if (folder.starts_with(u"\\\\")) {
        const auto share = folder.find(u'\\', 2);
        const auto end = share == std::u16string::npos ? share : folder.find(u'\\', share + 1);
        return end == std::u16string::npos ? folder + u'\\' : folder.substr(0, end + 1);
    }
    return std::filesystem::path(fl::i18n::to_string(folder)).root_path().u16string();
}

}  // namespace

VeloraRuntimeValidationGate::RequiredSizes VeloraRuntimeValidationGate::getRequiredSizes() const {
    const std::vector<std::string> platforms{fl::i18n::to_string(handler->getExecutionPlatform())};
    const std::vector<std::string> locales{fl::i18n::to_string(handler->getLocale())};
    return getRequiredSizeCalculatorInstance()->getRequiredDownloadAndInstallSize(
        handler->getSelectedProducts(), handler->getInstallFolder(), platforms, locales, getProducts(), true,
        true);
}

bool VeloraRuntimeValidationGate::hasEnoughSpace() const {
    try {
        const auto [downloadBytes, installBytes] = getRequiredSizes();
        const auto validator = getDiskSpaceValidatorInstance();
        const auto folder = handler->getInstallFolder();
        // A runtime installation of its own is measured by what it occupies once installed.
        if (handler->getIsQRTInstallation())
            return validator->hasEnoughDiskSpaceToInstall(folder, installBytes);

        const auto temporary = getTemporaryFolder();
        if (temporary.empty()) return true;
        if (isSameVolume(folder, temporary)) {
            return validator->hasEnoughDiskSpaceToInstall(folder, downloadBytes + installBytes);
        }
        return validator->hasEnoughDiskSpaceToInstall(folder, installBytes) &&
               validator->hasEnoughDiskSpaceToInstall(temporary, downloadBytes);
    } catch (const std::exception& error) {
        log_message(fl::i18n::to_u16string(error.what()));
        return true;
    }
}

bool VeloraRuntimeValidationGate::isSameVolume(const std::u16string& first,
                                               const std::u16string& second) const {
    try {
        return getVolumeDetetorInstance()->isSameVolume(first, second);
    } catch (const std::exception& error) {
        log_message(fl::i18n::to_u16string(error.what()));
        return true;
    }
}

std::u16string VeloraRuntimeValidationGate::getTemporaryFolder() const {
    try {
        return fl::filesystem::tmpname();
    } catch (const std::exception& error) {
        log_message(u"Failed to get temporary folder. " + fl::i18n::to_u16string(error.what()));
        return {};
    }
}

std::u16string VeloraRuntimeValidationGate::getLocation(const std::u16string& folder) const {
    return handler->getExecutionPlatform() == kWindowsPlatform ? windowsRootOf(folder) : folder;
}

// The catalogue's disk-space message states the size alone; the location stays for pages that
// word it with the drive.
std::vector<std::u16string> VeloraRuntimeValidationGate::getWarningMetaData(const std::u16string&,
                                                                            std::uint64_t bytes) const {
    return {fl::i18n::message("productSelectionSpaceWarningMsg",
                              install::platformutil::SizeFormatter::format(bytes)),
            fl::i18n::message("standardErrorTitle")};
}

std::unique_ptr<install::engine::DiskSpaceValidator>
VeloraRuntimeValidationGate::getDiskSpaceValidatorInstance() const {
    return std::make_unique<install::engine::DiskSpaceValidator>();
}

std::unique_ptr<install::engine::RequiredSizeCalculator>
VeloraRuntimeValidationGate::getRequiredSizeCalculatorInstance() const {
    return std::make_unique<install::engine::RequiredSizeCalculator>();
}

std::unique_ptr<install::platformutil::VolumeDetector> VeloraRuntimeValidationGate::getVolumeDetetorInstance()
    const {
    return std::make_unique<install::platformutil::VolumeDetector>();
}

}  // namespace install::product_installer::workflow_utils
