#include "gates/session/ProductFilesDetectionGate.h"

#include <exception>
#include <string_view>

#include "fl/filesystem/Filesystem.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"
#include "workflow_core/PathJoin.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr char kMissingFilesLocation[] =
    "ProductFilesDetection::ProductFilesDetectionGate::CheckAvailableProducts::MissingInstallationFiles";
const std::u16string kFromFolderWorkflow = u"Interactive Install From Folder";

// Case-sensitive, as the archives are named; a folder so named counts as well.
constexpr std::string_view kArchiveExtension = ".enc";

}  // namespace

ProductFilesDetectionGate::ProductFilesDetectionGate(const std::u16string& name,
                                                     const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler), tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()) {}

ProductFilesDetectionGate::ProductFilesDetectionGate(ProductFilesDetectionGate&&) noexcept = default;
ProductFilesDetectionGate& ProductFilesDetectionGate::operator=(ProductFilesDetectionGate&&) noexcept =
    default;
ProductFilesDetectionGate::~ProductFilesDetectionGate() = default;

void ProductFilesDetectionGate::processData() {
    handler->setAsValid();
    handler->setAsDataProcessed();
}

void ProductFilesDetectionGate::setRequiredData() const { handler->setDataRequired(name); }

void ProductFilesDetectionGate::skip() const { handler->setDataProcessed(name); }

bool ProductFilesDetectionGate::checkIfShouldBeSkipped() const {
    const auto packagesRoot = handler->getPackagesRoot();
    if (hasAtleastOneComponent({packagesRoot, joinPath(packagesRoot, u"common")})) {
        return true;
    }
    collectErrorInfoForTlmx("240", "Unable to load product files", "", kMissingFilesLocation);
    if (handler->getInitialWorkflow() == kFromFolderWorkflow) {
        collectErrorInfoForTlmx(
            "3000", "Installer is unable to connect to Kestrelix or missing installation files", "",
            "ProductFilesDetection::ProductFilesDetectionGate::"
            "ConnectionFailedOrMissingInstallationFiles");
    }
    return false;
}

bool ProductFilesDetectionGate::hasAtleastOneComponent(const std::vector<std::u16string>& folders) const {
    try {
        for (const auto& folder : folders) {
            if (!fl::filesystem::exists(folder) || folder.empty()) {
                continue;
            }
            if (fl::filesystem::holds_entry_ending_in(folder, kArchiveExtension)) {
                log_message(u"Found at least one product to install.");
                return true;
            }
        }
    } catch (const std::exception&) {
        // An unreadable folder counts as holding nothing; the caller reports the missing files.
    }
    return false;
}

void ProductFilesDetectionGate::log_message(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

void ProductFilesDetectionGate::collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                                        const std::string& details,
                                                        const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, message, details, location);
}

}  // namespace install::product_installer::workflow_utils
