// The runtime's product step: its update decision over the data model, the pages that explain
// why an installation cannot go on, and its step protocol.
#include "gates/runtime/VeloraRuntimeProductSelectionGate.h"

#include <exception>
#include <set>

#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/Message.h"
#include "gates/runtime/FolderRepositoryProducts.h"
#include "gates/runtime/UpdateScenarioDecision.h"
#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::datamodels::product_installer::QRTErrorType;
using install::datamodels::product_installer::UpdateScenario;
using install::datamodels::product_installer::validationResultType;

constexpr char kRuntimeName[] = "Velora Runtime";
constexpr char kInstallerPlatform[] = "w64pc";
constexpr auto kIncompatibleRuntime = QRTErrorType{0};
constexpr auto kRuntimeAlreadyPresent = QRTErrorType{1};
constexpr auto kIncompatibleApplication = QRTErrorType{2};

bool nothingToDo(UpdateScenario scenario) {
    return scenario == UpdateScenario::AlreadyUpToDate ||
           scenario == UpdateScenario::UpdateNotPossibleFromFolderRepository;
}

}  // namespace

VeloraRuntimeProductSelectionGate::~VeloraRuntimeProductSelectionGate() = default;

void VeloraRuntimeProductSelectionGate::processData() {
    dataModelHandler()->setAsValid();
    dataModelHandler()->setAsDataProcessed();
    log_message(u"Product selection validation is successful.");
}

void VeloraRuntimeProductSelectionGate::setDefaultData() const {
    const auto& handler = dataModelHandler();
    if (!IfFolderRepoHasProducts()) handler->setIsFolderRepoInstance(false);
    populateDataModelWithAvailableProducts();
    if (handler->isVantapakWorkflow()) {
        const auto required = handler->getAppRequiredProducts();
        if (!required.empty()) handler->initializeSelectedProducts({required.begin(), required.end()});
    }
    determineUpdateScenario();
}

void VeloraRuntimeProductSelectionGate::clearInputData() const {
    const auto& handler = dataModelHandler();
    if (handler->isVantapakWorkflow()) return;
    const auto available = handler->getAvailableProducts();
    handler->initializeSelectedProducts({available.begin(), available.end()});
}

void VeloraRuntimeProductSelectionGate::determineUpdateScenario() const {
    const auto& handler = dataModelHandler();
    const auto decision =
        decideUpdateScenario(handler->getInstalledProducts(), handler->getSelectedProducts(),
                             handler->getInstalledProductsReleaseUpdateLevel(), handler->getUpdateLevel(),
                             handler->IsFolderRepoInstance());
    handler->setUpdateScenario(decision.scenario);
    if (decision.productsToInstall) handler->initializeSelectedProducts(*decision.productsToInstall);
}

bool VeloraRuntimeProductSelectionGate::checkIfShouldBeSkipped() const {
    const auto& handler = dataModelHandler();
    const auto scenario = handler->getUpdateScenario();
    const auto family = handler->getReleaseFamily();
    const auto platform = handler->getExecutionPlatform();
    const auto explain = [&](QRTErrorType type, const std::u16string& message) {
        log_message(message);
        handler->setQRTErrorItem(type, message);
        return false;
    };

    if (handler->getIsVantapakInstallation()) {
        if (scenario == UpdateScenario::UpdateNotPossibleFromFolderRepository) {
            return explain(kIncompatibleApplication,
                           fl::i18n::message("vantapakIncompatibleMsg", family, kRuntimeName, platform));
        }
        // The online repository may have been configured for another level since the defaults.
        if (!handler->IsFolderRepoInstance()) {
            getProducts();
            populateDataModelWithAvailableProducts();
        }
        return true;
    }
    if (scenario == UpdateScenario::AlreadyUpToDate) {
        return explain(kRuntimeAlreadyPresent,
                       fl::i18n::message("alreadyHasRuntimeMsg", kRuntimeName, family));
    }
    if (scenario == UpdateScenario::UpdateNotPossibleFromFolderRepository) {
        return explain(kIncompatibleRuntime,
                       fl::i18n::message("runtimeIncompatibleMsg", family, kRuntimeName, platform));
    }
    return true;
}

bool VeloraRuntimeProductSelectionGate::checkIfDataIsReady() const {
    const auto& handler = dataModelHandler();
    if (nothingToDo(handler->getUpdateScenario()) || handler->isSilentWorkflow()) return true;
    if (!handler->getAvailableProducts().empty()) return true;
    const auto title = fl::i18n::message("missingInstallationFilesTitle");
    const auto message = fl::i18n::message("missingInstallationFilesInteractiveMsg",
                                           handler->getReleaseFamily(), kInstallerPlatform);
    handler->setCurrentValidationFailure(validationResultType(1), message, title);
    log_message(message);
    return false;
}

void VeloraRuntimeProductSelectionGate::skip() const { dataModelHandler()->setDataProcessed(gateName()); }

bool VeloraRuntimeProductSelectionGate::IfFolderRepoHasProducts() const {
    return folderRepositoryHasProducts(
        *dataModelHandler(), [this](const std::u16string& path) { return fileExistsWrapper(path); });
}

bool VeloraRuntimeProductSelectionGate::fileExistsWrapper(const std::u16string& path) const {
    try {
        return fl::filesystem::exists(path);
    } catch (const std::exception&) {
        // A folder that cannot be searched serves no archives.
        return false;
    }
}

}  // namespace install::product_installer::workflow_utils
