#include "gates/download/DownloadFolderGate.h"

#include "fl/i18n/TextConversion.h"
#include "gates/selection/FolderExceptionUtility.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::tlmx::SessionDataKey;

// Session figures agreed with the diagnostics service.
constexpr SessionDataKey kAdvancedOption{2};
constexpr SessionDataKey kDownloadFolder{15};

// A prerelease downloads beside the release proper instead of over it.
constexpr char16_t kPrerelease[] = u"Prerelease";

}  // namespace

DownloadFolderGate::DownloadFolderGate(const std::u16string& name,
                                       const std::shared_ptr<DataModelHandler>& handler)
    : name(name),
      handler(handler),
      tlmxUtil(std::make_shared<install::tlmx::TlmxUtil>()),
      diagnosticsData(std::make_unique<install::tlmx::DiagnosticsData>()) {}

DownloadFolderGate::DownloadFolderGate(DownloadFolderGate&&) noexcept = default;
DownloadFolderGate& DownloadFolderGate::operator=(DownloadFolderGate&&) noexcept = default;
DownloadFolderGate::~DownloadFolderGate() = default;

void DownloadFolderGate::setDefaultData() const {
    handler->initializeDownloadFolderModel();
    const auto platform = getCurrentPlatform();
    const auto releaseFamily = handler->getReleaseFamily();
    const auto releaseStatus = handler->getReleaseStatus();
    const auto folderName =
        releaseStatus == kPrerelease ? releaseFamily + u"_" + releaseStatus : releaseFamily;
    const auto folder = getDefaultDirectoryProvider()->getDefaultDownloadDirectory(folderName, platform);
    handler->setDefaultDownloadFolder(folder);
    handler->setUserGivenDownloadFolder(folder);
}

void DownloadFolderGate::setRequiredData() const { handler->setDataRequired(name); }

void DownloadFolderGate::clearInputData() const { handler->resetDownloadFolderModel(); }

void DownloadFolderGate::processData() {
    diagnosticsData->add(kAdvancedOption, fl::i18n::to_string(handler->getAdvancedOptionSelected()));
    const auto folder = handler->getUserGivenDownloadFolder();
    handler->setUserGivenDownloadFolder(folder);
    diagnosticsData->add(kDownloadFolder, fl::i18n::to_string(folder));
    if (!isDownloadFolderValid(folder)) return;
    handler->setAsValid();
    handler->setAsDataProcessed();
    logMessage(u"Folder validation in download only workflow is successful.");
}

install::platformutil::Platform DownloadFolderGate::getCurrentPlatform() const {
    return static_cast<install::platformutil::Platform>(0);
}

std::unique_ptr<install::platformutil::DefaultDirectoryProvider>
DownloadFolderGate::getDefaultDirectoryProvider() const {
    return std::make_unique<install::platformutil::DefaultDirectoryProvider>();
}

bool DownloadFolderGate::isDownloadFolderValid(const std::u16string& folder) const {
    return FolderExceptionUtility().isAValidFolder(folder, handler, tlmxUtil);
}

install::tlmx::DiagnosticsData::Map DownloadFolderGate::getDiagnosticsData() const {
    return diagnosticsData->getData();
}

void DownloadFolderGate::logMessage(const std::u16string& message) const {
    install::cpputil::logger::append_message(message);
}

}  // namespace install::product_installer::workflow_utils
