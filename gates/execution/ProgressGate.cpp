#include "gates/execution/ProgressGate.h"

#include <exception>

#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"
#include "install/engine/ProgressRegistration.h"
#include "install/platformutil/PlatformUtility.h"
#include "workflow_core/PathJoin.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::tlmx::SessionDataKey;

constexpr SessionDataKey kEngineFinished{26};
constexpr SessionDataKey kInstallFromFolder{24};
constexpr SessionDataKey kBytesDownloaded{7};
constexpr SessionDataKey kBytesToDownload{68};
constexpr SessionDataKey kBytesInstalled{8};
constexpr SessionDataKey kBytesToInstall{39};
constexpr SessionDataKey kInstallPercentage{71};

}  // namespace

ProgressGate::ProgressGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler)
    : name(name),
      handler(handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()),
      diagnosticsData(std::make_unique<install::tlmx::DiagnosticsData>()) {}

ProgressGate::ProgressGate(const ProgressGate& other)
    : install::workflow_manager::Gate(other),
      name(other.name),
      handler(other.handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>(*other.tlmxUtil)),
      diagnosticsData(std::make_unique<install::tlmx::DiagnosticsData>(*other.diagnosticsData)) {}

ProgressGate::ProgressGate(ProgressGate&&) noexcept = default;

ProgressGate& ProgressGate::operator=(const ProgressGate& other) {
    if (this == &other) return *this;
    install::workflow_manager::Gate::operator=(other);
    name = other.name;
    handler = other.handler;
    tlmxUtil = std::make_unique<install::tlmx::TlmxUtil>(*other.tlmxUtil);
    diagnosticsData = std::make_unique<install::tlmx::DiagnosticsData>(*other.diagnosticsData);
    return *this;
}

ProgressGate& ProgressGate::operator=(ProgressGate&&) noexcept = default;
ProgressGate::~ProgressGate() = default;

void ProgressGate::setDefaultData() const { handler->initializeProgressData(); }

void ProgressGate::setRequiredData() const { handler->setDataRequired(name); }

bool ProgressGate::checkIfCommitsTransactions() const { return true; }

bool ProgressGate::startInstallation(const std::u16string& folder) {
    try {
        startInstall(folder);
    } catch (const std::exception&) {
        collectProgressData();
        return false;
    }
    collectProgressData();
    return true;
}

void ProgressGate::startInstall(const std::u16string& folder) {
    diagnosticsData->add(kEngineFinished, false);
    try {
        runEngine(folder);
    } catch (const install::engine::EngineMissingComponentException& error) {
        handleException(fl::i18n::BaseMsgID("missingFileTitle"),
                        fl::i18n::BaseMsgID("missingFileMessage", std::string(error.what()),
                                            handler->getReleaseFamily(), "w64pc"),
                        error, u"");
    } catch (const install::engine::EngineInterruptedException&) {
        // The user cancelled: nothing to show or report, the step just stays open.
        throw;
    } catch (const install::engine::EngineDownloadException& error) {
        handleException(fl::i18n::BaseMsgID("DownloadErrorTitle"),
                        fl::i18n::BaseMsgID("DownloadErrorMsg", handler->getReleaseFamily(), "w64pc"), error,
                        fl::i18n::to_u16string(error.what()));
    } catch (const install::engine::EngineExtractOrRegisterException& error) {
        handleException(fl::i18n::BaseMsgID("ExtractErrorTitle"),
                        fl::i18n::BaseMsgID("ExtractErrorMsg", handler->getReleaseFamily(), "w64pc"), error,
                        fl::i18n::to_u16string(error.what()));
    } catch (const install::engine::EngineInvalidSignatureException& error) {
        handleException(fl::i18n::BaseMsgID("ExtractErrorTitle"),
                        fl::i18n::BaseMsgID("InvalidSignatureErrorMsg", handler->getReleaseFamily(), "w64pc"),
                        error, fl::i18n::to_u16string(error.what()));
    } catch (const install::engine::EngineException& error) {
        handleException(fl::i18n::BaseMsgID("standardErrorTitle"),
                        fl::i18n::BaseMsgID("progressErrorMsg", handler->getReleaseFamily(), "w64pc"), error,
                        fl::i18n::to_u16string(error.what()));
    } catch (const std::exception& error) {
        const install::cpputil::InstallerException wrapped(
            "199", "unknown error", error.what(),
            install::cpputil::createLocation(getProgressLocation(), ""));
        handleException(fl::i18n::BaseMsgID("standardErrorTitle"),
                        fl::i18n::BaseMsgID("progressErrorMsg", handler->getReleaseFamily(), "w64pc"),
                        wrapped, fl::i18n::to_u16string(error.what()));
    }
    diagnosticsData->add(kEngineFinished, true);
}

void ProgressGate::runEngine(const std::u16string& folder) const {
    const std::vector<std::string> platforms{fl::i18n::to_string(handler->getExecutionPlatform())};
    const auto engine = getEngineInstance();
    const auto locale = fl::i18n::to_string(handler->getLocale());
    const auto archivesFolder =
        joinPath(install::platformutil::PlatformUtility::getInstallationPath().u16string(), u"archives");
    const auto products = handler->getSelectedProducts();

    // The connections are declared after the callbacks, so they close before the callbacks go.
    ProgressGateInstallCallback installCallback(handler);
    ProgressGateDownloadCallback downloadCallback(handler);
    const auto installConnection = setupInstallProgressCallback(installCallback);
    const auto downloadConnection = setupDownloadProgressCallback(downloadCallback);

    const auto workflowType = handler->IsFolderRepoInstance()
                                  ? install::engine::WorkflowType::InstallFromFolder
                                  : install::engine::WorkflowType::Install;
    if (handler->isInteractiveInstallFromFolderWorkflow()) diagnosticsData->add(kInstallFromFolder, true);

    install::engine::OptionalFeatureFlags flags;
    flags.documentation = handler->shouldInstallDoc() ? 0 : 1;
    flags.demos = handler->shouldInstallDemo() ? 0 : 1;

    const auto config = getEngineConfigInstance();
    const auto proxyUser = handler->getProxyUserName();
    const auto proxyPassword = handler->getProxyPassword();
    if (!proxyUser.empty() && !proxyPassword.empty()) {
        config->setProxySettings(fl::i18n::to_string(proxyUser), fl::i18n::to_string(proxyPassword));
    }
    const auto repository = handler->getProductRepoAdapterInstance();
    engine->start(products, folder, platforms, locale, archivesFolder, workflowType, repository, flags,
                  *config);
}

void ProgressGate::handleException(const fl::i18n::BaseMsgID& title, const fl::i18n::BaseMsgID& message,
                                   const install::cpputil::InstallerException& exception,
                                   const std::u16string& extra) const {
    const auto titleText = title.resolve();
    const auto messageText = message.resolve();
    log_message(messageText + extra);
    handler->setCurrentValidationFailure(install::datamodels::product_installer::validationResultType(13),
                                         messageText, titleText);
    collectErrorInfoForTlmx(exception.getErrorCode(), exception.getPrimaryErrorMessage(),
                            exception.getSecondaryErrorMessage(),
                            install::cpputil::createLocation(getProgressLocation(), exception.getLocation()));
    throw;
}

void ProgressGate::collectProgressData() const {
    const auto download = handler->getDownloadProgressData();
    const auto install = handler->getInstallProgressData();
    diagnosticsData->add(kBytesDownloaded, download.getBytesDownloadedSoFar());
    diagnosticsData->add(kBytesInstalled, install.getBytesInstalledSoFar());
    diagnosticsData->add(kBytesToInstall, install.getExpectedBytesToBeInstalled());
    diagnosticsData->add(kInstallPercentage, install.getPercentage());
    diagnosticsData->add(kBytesToDownload, download.getExpectedBytesToBeDownloaded());
}

boost::signals2::scoped_connection ProgressGate::setupInstallProgressCallback(
    ProgressGateInstallCallback& callback) const {
    return install::engine::registerInstallProgressCallback(
        [&callback](install::engine::InstallProgressData data) { callback(std::move(data)); });
}

boost::signals2::scoped_connection ProgressGate::setupDownloadProgressCallback(
    ProgressGateDownloadCallback& callback) const {
    return install::engine::registerDownloadProgressCallback(
        [&callback](install::engine::DownloadProgressData data) { callback(std::move(data)); });
}

boost::signals2::scoped_connection ProgressGate::setupUninstallProgressCallback(
    ProgressGateUninstallCallback& callback) const {
    return install::engine::registerUninstallProgressCallback(
        [&callback](install::engine::UninstallProgressData data) { callback(std::move(data)); });
}

std::unique_ptr<install::engine::Engine> ProgressGate::getEngineInstance() const {
    return install::engine::createEngine();
}

std::unique_ptr<install::engine::EngineConfig> ProgressGate::getEngineConfigInstance() const {
    return std::make_unique<install::engine::EngineConfig>();
}

std::string ProgressGate::getProgressLocation() const { return "Progress"; }

install::tlmx::DiagnosticsData ProgressGate::getDiagnosticsData() const { return *diagnosticsData; }

void ProgressGate::log_message(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

void ProgressGate::collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                           const std::string& details, const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, message, details, location);
}

}  // namespace install::product_installer::workflow_utils
