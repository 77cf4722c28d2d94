// The runtime validation step's protocol and its verdict: products to be had, then room for them.
// The space checks and the repository set-up live in the files beside this one.
#include "gates/runtime/VeloraRuntimeValidationGate.h"

#include "fl/i18n/Message.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"
#include "install/repository_adapter/RepositoryExceptions.h"

namespace install::product_installer::workflow_utils {

namespace {

namespace ra = install::repository_adapter;
using install::datamodels::product_installer::QRTErrorType;
using install::datamodels::product_installer::UpdateScenario;
using install::datamodels::product_installer::validationResultType;

constexpr auto kProductsUnavailable = validationResultType(1);
constexpr auto kNoRoomForRuntime = validationResultType(24);
constexpr auto kNoRoomForUpdate = validationResultType(25);
constexpr auto kNoRoomError = QRTErrorType{3};
constexpr char kInstallerPlatform[] = "w64pc";

}  // namespace

VeloraRuntimeValidationGate::VeloraRuntimeValidationGate(const std::u16string& name,
                                                         const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler) {}

VeloraRuntimeValidationGate::~VeloraRuntimeValidationGate() = default;

void VeloraRuntimeValidationGate::setServiceRegistry(
    const std::shared_ptr<microservices::ServiceRegistry>& registry) {
    serviceRegistry = registry;
}

std::shared_ptr<microservices::ServiceRegistry> VeloraRuntimeValidationGate::getServiceRegistry() const {
    return serviceRegistry;
}

void VeloraRuntimeValidationGate::processData() {
    handler->setAsValid();
    handler->setAsDataProcessed();
}

void VeloraRuntimeValidationGate::setDefaultData() const {
    if (IfFolderRepoHasProducts()) return;
    handler->setIsFolderRepoInstance(false);
    createOnlineRepoAdapterIfNeeded();
}

void VeloraRuntimeValidationGate::setRequiredData() const {
    handler->setDataRequired(name);
    handler->setAsDataAvailable();
}

bool VeloraRuntimeValidationGate::checkIfShouldBeSkipped() const {
    const auto scenario = handler->getUpdateScenario();
    return scenario == UpdateScenario::AlreadyUpToDate ||
           scenario == UpdateScenario::UpdateNotPossibleFromFolderRepository;
}

void VeloraRuntimeValidationGate::skip() const { handler->setDataProcessed(name); }

bool VeloraRuntimeValidationGate::checkIfDataIsReady() const {
    if (!getProductsAndCheckAvailability()) return false;
    const bool enough = hasEnoughSpace();
    handler->setHasEnoughSpaceFlag(enough);
    if (enough) return true;

    const auto warning = [this] {
        const auto installBytes = getRequiredSizes().second;
        return getWarningMetaData(getLocation(handler->getInstallFolder()), installBytes);
    };
    if (!handler->getHasPrevQRTInstallation()) {
        const auto texts = warning();
        log_message(texts[0]);
        handler->setCurrentValidationFailure(kNoRoomForRuntime, texts[0], texts[1]);
        return false;
    }
    // Over an earlier runtime whose update is still undecided, the installation goes on.
    if (handler->getUpdateScenario() == UpdateScenario::Unknown) return true;
    const auto texts = warning();
    log_message(texts[0]);
    handler->setQRTErrorItem(kNoRoomError, texts[0]);
    handler->setCurrentValidationFailure(kNoRoomForUpdate, texts[0], u"");
    return false;
}

bool VeloraRuntimeValidationGate::getProductsAndCheckAvailability() const {
    const auto report = [this](const std::u16string& title, const std::u16string& message) {
        log_message(message);
        handler->setCurrentValidationFailure(kProductsUnavailable, message, title);
        return false;
    };
    const auto family = handler->getReleaseFamily();
    try {
        getProducts();
        return true;
    } catch (const ra::RepoAdapterWebServiceException&) {
        return report(fl::i18n::message("connectionErrorTitle"),
                      fl::i18n::message("connectionErrorMsg", family, kInstallerPlatform));
    } catch (const ra::RepoAdapterDWSDownloadException&) {
        return report(fl::i18n::message("noProductsAlertTitle"),
                      fl::i18n::message("noProductsAlertMsg", family, kInstallerPlatform));
    } catch (const ra::RepoAdapterDWSExtractException&) {
        return report(fl::i18n::message("noProductsAlertTitle"),
                      fl::i18n::message("noProductsAlertMsg", family, kInstallerPlatform));
    }
}

install::repository_adapter::ProductMap VeloraRuntimeValidationGate::getProducts() const {
    const auto repository = handler->getProductRepoAdapterInstance();
    return repository ? repository->getAvailableProducts() : install::repository_adapter::ProductMap{};
}

void VeloraRuntimeValidationGate::log_message(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

}  // namespace install::product_installer::workflow_utils
