// The folder page's step protocol, its default folder, and the order in which a chosen folder is
// checked. The content, running-product and repository checks live in the files beside this one.

#include "gates/selection/FolderSelectionGate.h"

#include <exception>
#include <filesystem>
#include <fstream>

#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "gates/selection/FolderValidationFailure.h"
#include "install/cpputil/InstallerException.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"
#include "workflow_core/PathJoin.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::datamodels::product_installer::validationResultType;

// Session figures agreed with the diagnostics service.
constexpr int kFolderChangedKey = 13;
constexpr int kDestinationFolderKey = 25;

constexpr auto kFolderFailure = validationResultType(3);
constexpr auto kRootDriveWarning = validationResultType(4);

bool hasLastComponent(const std::u16string& folder, const std::u16string& component) {
    return folder.size() > component.size() && folder.ends_with(component) &&
           (folder[folder.size() - component.size() - 1] == u'/' ||
            folder[folder.size() - component.size() - 1] ==
                static_cast<char16_t>(std::filesystem::path::preferred_separator));
}

}  // namespace

FolderSelectionGate::FolderSelectionGate(const std::u16string& name,
                                         const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler), tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()) {}

FolderSelectionGate::FolderSelectionGate(const FolderSelectionGate& other)
    : install::workflow_manager::Gate(other),
      name(other.name),
      handler(other.handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>(*other.tlmxUtil)),
      diagnosticsData(other.diagnosticsData),
      serviceRegistry(other.serviceRegistry) {}

FolderSelectionGate::FolderSelectionGate(FolderSelectionGate&&) noexcept = default;

FolderSelectionGate& FolderSelectionGate::operator=(const FolderSelectionGate& other) {
    if (this != &other) {
        FolderSelectionGate copy(other);
        *this = std::move(copy);
    }
    return *this;
}

FolderSelectionGate& FolderSelectionGate::operator=(FolderSelectionGate&&) noexcept = default;

FolderSelectionGate::~FolderSelectionGate() = default;

void FolderSelectionGate::setServiceRegistry(
    const std::shared_ptr<microservices::ServiceRegistry>& registry) {
    serviceRegistry = registry;
}

std::shared_ptr<microservices::ServiceRegistry> FolderSelectionGate::getServiceRegistry() const {
    return serviceRegistry;
}

// --- step protocol ---

bool FolderSelectionGate::checkIfShouldBeSkipped() const {
    if (!handler->getHasPrevQRTInstallation()) return false;
    const auto previousFolder = handler->getDefaultFolder();
    try {
        if (fl::filesystem::exists(previousFolder)) return true;
    } catch (const std::exception&) {
        // A folder that cannot even be looked at cannot be updated either: let the user choose.
    }
    logMessage(u"Previous install folder found in Windows Registry does not exist: " + previousFolder);
    return false;
}

void FolderSelectionGate::skip() const { handler->setDataProcessed(name); }

void FolderSelectionGate::setRequiredData() const { handler->setDataRequired(name); }

void FolderSelectionGate::clearInputData() const {
    // A packaged application fixes its runtime folder; the user's choice must survive going back.
    if (!handler->getIsVantapakInstallation()) handler->resetInstallFolderModel();
}

void FolderSelectionGate::setDefaultData() const {
    if (handler->getHasPrevQRTInstallation()) return;
    handler->initializeInstallFolderModel();
    const auto folder = getDefaultDir();
    handler->setDefaultFolder(folder);
    if (handler->getUserInputFolder().empty()) handler->setUserInputFolder(folder);
}

void FolderSelectionGate::processData() {
    const auto userFolder = handler->getUserInputFolder();
    const auto defaultFolder = handler->getDefaultFolder();
    const bool folderChanged = userFolder != defaultFolder;
    recordDiagnostics(kFolderChangedKey, folderChanged);

    auto path = userFolder;
    // A runtime goes into a folder of its release, except when it updates the runtime already in
    // the proposed folder. An empty entry stays empty, so it is refused rather than turned into
    // a folder at the root that nobody typed.
    if (handler->getIsQRTInstallation() && !(handler->getHasPrevQRTInstallation() && !folderChanged) &&
        !path.empty()) {
        path = joinPath(path, handler->getReleaseFamily());
    }
    path = appendToInstallFolderForMacOs(path);
    recordDiagnostics(kDestinationFolderKey, fl::i18n::to_string(path));

    handler->setInstallFolder(path);
    mkdirAsCurrentUser(path);
    if (!isFolderValid(path)) return;

    const auto installedProducts = getInstalledProductBasecodes(path);
    handler->setInstalledProductsReleaseUpdateLevel(
        installedProducts.empty() ? -1 : getInstalledAreaUpdateNo(path));
    handler->setInstalledProducts(installedProducts);

    if (!isFolderContentValid(path)) return;
    if (isProductExecutableRunning()) {
        showProductExecutableRunningError();
        return;
    }
    if (!isProductsAvailable()) return;

    handler->setAsValid();
    handler->setAsDataProcessed();
    logMessage(u"Folder validation is successful.");
}

// --- the folder itself ---

void FolderSelectionGate::mkdirAsCurrentUser(const std::u16string&) const {}

bool FolderSelectionGate::isFolderValid(const std::u16string& folder) const {
    bool valid = true;
    const auto validator = getFolderValidator();
    bool deservesWarning = false;
    try {
        validator->checkRequired(folder, handler->isDownloadOnlyWorkflow());
        // A refused folder is reported as refused; warning about it as well would only hide why.
        deservesWarning = validator->checkWarnings(folder);
    } catch (const std::exception& error) {
        const auto failure = describeFolderValidationFailure(
            error, folder, FolderKinds::DestinationGate, [this] { return getFolderInvalidErrorMessage(); });
        if (!failure) {
            logMessage(fl::i18n::to_u16string(error.what()));
            collectErrorInfoForTlmx(kUnknownFolderFailureCode, kUnknownFolderFailureMessage, error.what(),
                                    kUnknownFolderFailureLocation);
            throw install::cpputil::InstallerException(kUnknownFolderFailureCode,
                                                       kUnknownFolderFailureMessage, error.what(),
                                                       kUnknownFolderFailureLocation);
        }
        updateErrorInformation(valid, failure->message);
        collectErrorInfoForTlmx(failure->code, failure->diagnosticsMessage, error.what(), failure->location);
        return valid;
    }

    if (deservesWarning && !handler->isRootDriveWarningAcknowledged()) {
        valid = false;
        handler->setRootDriveWarningAcknowledgementToTrue();
        const auto message = fl::i18n::message("rootDriveWarningMsg", folder, handler->getDefaultFolder());
        const auto title = fl::i18n::message("rootDriveWarningTitle");
        logMessage(message);
        handler->setCurrentValidationWarning(kRootDriveWarning, message, title);
    }
    return valid;
}

void FolderSelectionGate::updateErrorInformation(bool& valid, const std::u16string& message) const {
    valid = false;
    logMessage(message);
    handler->setCurrentValidationFailure(kFolderFailure, message, u"");
}

std::u16string FolderSelectionGate::getFolderInvalidErrorMessage() const {
    return folderInvalidCharacterMessage();
}

std::unique_ptr<install::validatefolder::FolderValidator> FolderSelectionGate::getFolderValidator() const {
    return std::make_unique<install::validatefolder::FolderValidator>();
}

bool FolderSelectionGate::IsPlatformCompatibleForDestination() const { return true; }

// --- what the folder already holds ---

std::vector<std::u16string> FolderSelectionGate::getInstalledProductBasecodes(
    const std::u16string& folder) const {
    const auto engine = getEngineInstance();
    install::engine::ProductMap products;
    try {
        products = engine->getInstalledProducts(folder);
    } catch (const install::engine::EngineInvalidInstalledProductsException&) {
        logMessage(u"Failed to retrieve installed products");
        throw;
    }
    std::vector<std::u16string> baseCodes;
    baseCodes.reserve(products.size());
    for (const auto& entry : products) baseCodes.push_back(entry.first);
    return baseCodes;
}

int FolderSelectionGate::getInstalledAreaUpdateNo(const std::u16string& folder) const {
    try {
        const auto file = fl::i18n::to_string(joinPath(folder, u"VersionInfo.xml"));
        std::ifstream stream(std::filesystem::path(file), std::ios::binary);
        if (!stream) return -1;
        return foundation::release_info::ReleaseInfo(stream).getUpdateLevel();
    } catch (const std::exception&) {
        return -1;
    }
}

std::unique_ptr<install::engine::Engine> FolderSelectionGate::getEngineInstance() const {
    return install::engine::createEngine();
}

// --- the default folder ---

std::u16string FolderSelectionGate::getDefaultDir() const {
    const auto product = controllingProductOf(handler->getOfferedProducts());
    const auto platform = getCurrentPlatform();
    const auto relativePath = getRelativeProductPath(product->getRelativeProductPath(), platform);
    const auto provider = getDefaultDirectoryProvider();
    if (platform == Platform::MacOS && product->getIsRequiredForMacOSApp()) {
        return provider->getPlatformInstallationDirectory(Platform::MacOS);
    }
    // A runtime's release is added to the folder when the choice is processed, not proposed.
    const auto releaseFamily =
        handler->getIsQRTInstallation() ? std::u16string() : handler->getReleaseFamily();
    return provider->getDefaultInstallationDirectory(
        relativePath, releaseFamily, platform, false, product->getProductFamily(),
        product->getRegistryKeySubRoot(), product->getRegistryKeyRoot(), product->getRegistryKey());
}

FolderSelectionGate::Platform FolderSelectionGate::getCurrentPlatform() const {
    return install::platformutil::getCurrentPlatform();
}

std::filesystem::path FolderSelectionGate::getRelativeProductPath(const RelativePathMap& paths,
                                                                  Platform platform) const {
    const auto entry = paths.find(platform);
    return entry == paths.end() ? std::filesystem::path() : entry->second;
}

std::u16string FolderSelectionGate::appendToInstallFolderForMacOs(const std::u16string& folder) const {
    if (folder.empty()) return folder;
    auto result = folder;
    if (getCurrentPlatform() == Platform::MacOS) {
        // An application required on macOS is a bundle: the folder chosen is where the bundle goes.
        const auto product = controllingProductOf(handler->getOfferedProducts());
        if (product->getIsRequiredForMacOSApp()) {
            auto bundle = getRelativeProductPath(product->getRelativeProductPath(), Platform::MacOS)
                              .filename()
                              .u16string();
            if (!bundle.empty() && !bundle.ends_with(u".app")) bundle += u".app";
            if (!bundle.empty() && !hasLastComponent(result, bundle)) result = joinPath(result, bundle);
        }
    }
    if constexpr (std::filesystem::path::preferred_separator != '/') {
        for (auto& character : result) {
            if (character == u'/')
                character = static_cast<char16_t>(std::filesystem::path::preferred_separator);
        }
    }
    return result;
}

std::unique_ptr<install::platformutil::DefaultDirectoryProvider>
FolderSelectionGate::getDefaultDirectoryProvider() const {
    return std::make_unique<install::platformutil::DefaultDirectoryProvider>();
}

// --- products ---

std::unique_ptr<install::productidentifier::ProductIdentifier> FolderSelectionGate::getProductIdentifier()
    const {
    return std::make_unique<install::productidentifier::ProductIdentifier>();
}

std::shared_ptr<FolderSelectionGate::ControllingProduct> FolderSelectionGate::controllingProductOf(
    const std::vector<std::u16string>& products) const {
    return getProductIdentifier()->getControllingProduct(products);
}

std::u16string FolderSelectionGate::getControllingProductName(
    const std::vector<std::u16string>& products) const {
    return controllingProductOf(products)->getName();
}

std::u16string FolderSelectionGate::getControllingProductFamily(
    const std::vector<std::u16string>& products) const {
    return controllingProductOf(products)->getProductFamily();
}

// --- log and diagnostics ---

void FolderSelectionGate::logMessage(const std::u16string& message) const {
    install::cpputil::logger::append_message(message);
}

void FolderSelectionGate::collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                                  const std::string& details,
                                                  const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, message, details, location);
}

install::tlmx::DiagnosticsData FolderSelectionGate::getDiagnosticsData() const { return diagnosticsData; }

void FolderSelectionGate::recordDiagnostics(int key, const foundation::json::Value& value) {
    diagnosticsData.add(install::tlmx::SessionDataKey{key}, value);
}

}  // namespace install::product_installer::workflow_utils
