// The earlier-runtime detection step: the registry's record of the runtime, the products in its
// folder and the update level its "VersionInfo.xml" states.
#include "gates/runtime/PreviousQRTInstallationDetectionGate.h"

#include <exception>
#include <filesystem>
#include <fstream>

#include "fl/i18n/TextConversion.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"
#include "workflow_core/PathJoin.h"

namespace install::product_installer::workflow_utils {

PreviousQRTInstallationDetectionGate::PreviousQRTInstallationDetectionGate(
    const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler) {}

PreviousQRTInstallationDetectionGate::~PreviousQRTInstallationDetectionGate() = default;

void PreviousQRTInstallationDetectionGate::processData() {
    handler->setAsValid();
    handler->setAsDataProcessed();
}

void PreviousQRTInstallationDetectionGate::setRequiredData() const {
    handler->setDataRequired(name);
    handler->setAsDataAvailable();
}

void PreviousQRTInstallationDetectionGate::clearInputData() const { handler->resetInstallFolderModel(); }

void PreviousQRTInstallationDetectionGate::setDefaultData() const {
    if (handler->isBatSet() && handler->getHasPrevQRTInstallation()) return;
    const auto existing = getExistingInstallFolder();
    if (existing.empty()) {
        handler->setHasPrevQRTInstallation(false);
        return;
    }
    handler->setHasPrevQRTInstallation(true);
    handler->initializeInstallFolderModel();
    handler->setInstallFolder(existing);
    handler->setDefaultFolder(existing);
    handler->setUserInputFolder(existing);

    const auto installed = getInstalledProductBasecodes(existing);
    handler->setInstalledProductsReleaseUpdateLevel(installed.empty() ? -1
                                                                      : getInstalledAreaUpdateNo(existing));
    handler->setInstalledProducts(installed);
}

std::u16string PreviousQRTInstallationDetectionGate::getExistingInstallFolder() const {
    const auto product = getProductIdentifier()->getControllingProduct(handler->getOfferedProducts());
    const auto& keyRoot = product->getRegistryKeyRoot();
    const auto& key = product->getRegistryKey();
    const auto& subRoot = product->getRegistryKeySubRoot();
    const auto provider = getDefaultDirectoryProvider();
    if (!provider->isApplicationPrevInstalled(keyRoot, subRoot, key)) return {};
    return provider->getDefaultInstallationDirectory({}, u"", getCurrentPlatform(), false, u"", subRoot,
                                                     keyRoot, key);
}

std::vector<std::u16string> PreviousQRTInstallationDetectionGate::getInstalledProductBasecodes(
    const std::u16string& folder) const {
    install::engine::ProductMap products;
    try {
        products = getEngineInstance()->getInstalledProducts(folder);
    } catch (const install::engine::EngineInvalidInstalledProductsException&) {
        logMessage(u"Failed to retrieve installed products");
        throw;
    }
    std::vector<std::u16string> baseCodes;
    for (const auto& entry : products) baseCodes.push_back(entry.first);
    return baseCodes;
}

int PreviousQRTInstallationDetectionGate::getInstalledAreaUpdateNo(const std::u16string& folder) const {
    try {
        std::ifstream stream(std::filesystem::path(fl::i18n::to_string(joinPath(folder, u"VersionInfo.xml"))),
                             std::ios::binary);
        if (!stream) return -1;
        return foundation::release_info::ReleaseInfo(stream).getUpdateLevel();
    } catch (const std::exception&) {
        return -1;
    }
}

PreviousQRTInstallationDetectionGate::Platform PreviousQRTInstallationDetectionGate::getCurrentPlatform()
    const {
    return install::platformutil::getCurrentPlatform();
}

std::unique_ptr<install::platformutil::DefaultDirectoryProvider>
PreviousQRTInstallationDetectionGate::getDefaultDirectoryProvider() const {
    return std::make_unique<install::platformutil::DefaultDirectoryProvider>();
}

std::unique_ptr<install::productidentifier::ProductIdentifier>
PreviousQRTInstallationDetectionGate::getProductIdentifier() const {
    return std::make_unique<install::productidentifier::ProductIdentifier>();
}

std::unique_ptr<install::engine::Engine> PreviousQRTInstallationDetectionGate::getEngineInstance() const {
    return install::engine::createEngine();
}

void PreviousQRTInstallationDetectionGate::logMessage(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

}  // namespace install::product_installer::workflow_utils
