// The download progress page's step protocol, the run folder, and the products' download through
// the engine with its failure table. The installers that follow are in
// DownloadProgressGateInstallers.cpp.
#include "gates/download/DownloadProgressGate.h"

#include <exception>
#include <stdexcept>
#include <utility>
#include <vector>

#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/TextConversion.h"
#include "gates/session/CredentialRedaction.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"
#include "install/engine/EngineExceptions.h"
#include "install/engine/ProgressRegistration.h"
#include "install/platformutil/PlatformUtility.h"
#include "workflow_core/PathJoin.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::tlmx::SessionDataKey;

// Session figures agreed with the diagnostics service.
constexpr SessionDataKey kStepStarted{60};
constexpr SessionDataKey kArchivesDownloaded{16};
constexpr SessionDataKey kArchivesDone{46};
constexpr SessionDataKey kStepEnded{59};
constexpr SessionDataKey kBytesDownloaded{7};
constexpr SessionDataKey kBytesToDownload{68};

constexpr char kProgressLocation[] = "DownloadProgress";
// Messages name the platform the installer itself is made for.
constexpr char kInstallerPlatform[] = "w64pc";
constexpr auto kProgressFailure = install::datamodels::product_installer::validationResultType(13);

}  // namespace

DownloadProgressGate::DownloadProgressGate(const std::u16string& name,
                                           const std::shared_ptr<DataModelHandler>& handler)
    : name(name),
      handler(handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()),
      diagnosticsData(std::make_unique<install::tlmx::DiagnosticsData>()) {}

DownloadProgressGate::DownloadProgressGate(DownloadProgressGate&&) noexcept = default;
DownloadProgressGate& DownloadProgressGate::operator=(DownloadProgressGate&&) noexcept = default;
DownloadProgressGate::~DownloadProgressGate() = default;

void DownloadProgressGate::setDefaultData() const {
    recordTime(kStepStarted);
    handler->initializeProgressData();
}

void DownloadProgressGate::setRequiredData() const { handler->setDataRequired(name); }

bool DownloadProgressGate::checkIfCommitsTransactions() const { return true; }

void DownloadProgressGate::processData() {
    try {
        const auto timestamp = getDefaultDirectoryProvider()->getCurrentTimestamp();
        const auto runFolder = joinPath(handler->getUserGivenDownloadFolder(), timestamp);
        const auto archiveFolder = joinPath(runFolder, u"archives");
        if (!fl::filesystem::exists(archiveFolder)) fl::filesystem::create_directories(archiveFolder);
        log_message(u"Starting to download products: " + runFolder);
        downloadProducts(archiveFolder);
        log_message(u"Products download completed successfully");
        recordTime(kArchivesDone);
        downloadAndExtractInstallers(runFolder);
        collectProgressData();
        handler->setAsValid();
        handler->setAsDataProcessed();
        recordTime(kStepEnded);
    } catch (const std::exception&) {
        // The failure page is already in the model (an interrupted run has none); the step stays open.
        collectProgressData();
        recordTime(kStepEnded);
    }
}

void DownloadProgressGate::downloadProducts(const std::u16string& archiveFolder) const {
    try {
        diagnosticsData->add(kArchivesDownloaded, false);
        std::vector<std::string> platforms;
        for (const auto& platform : handler->getDownloadPlatforms()) {
            platforms.push_back(fl::i18n::to_string(platform));
        }
        const auto adapter = repository();
        std::vector<std::string> languages{fl::i18n::to_string(handler->getLocale())};
        for (const auto& language : adapter->getAdditionalLanguages()) {
            languages.push_back(fl::i18n::to_string(language));
        }
        const auto products = handler->getSelectedProducts();

        // Declared before its connection, so the connection closes first.
        DownloadProgressGateCallback callback(handler);
        const auto connection = setupDownloadProgressCallback(callback);

        const auto engine = getEngineInstance();
        const auto config = getEngineConfigInstance();
        const auto proxyUserName = handler->getProxyUserName();
        const auto proxyPassword = handler->getProxyPassword();
        if (!proxyUserName.empty() && !proxyPassword.empty()) {
            config->setProxySettings(fl::i18n::to_string(proxyUserName), fl::i18n::to_string(proxyPassword));
        }
        engine->startForDownloadOnly(products, archiveFolder, platforms, languages,
                                     install::engine::WorkflowType::DownloadOnly, adapter, *config);
        diagnosticsData->add(kArchivesDownloaded, true);
    } catch (const install::engine::EngineMissingComponentException& error) {
        handleException(fl::i18n::BaseMsgID("missingFileTitle"),
                        fl::i18n::BaseMsgID("missingFileMessage", withoutProxyPassword(error.what()),
                                            handler->getReleaseFamily(), kInstallerPlatform),
                        error, u"");
    } catch (const install::engine::EngineInterruptedException&) {
        // The user cancelled: nothing to show, the step just stays open.
        throw;
    } catch (const install::engine::EngineDownloadException& error) {
        handleException(
            fl::i18n::BaseMsgID("DownloadErrorTitle"),
            fl::i18n::BaseMsgID("DownloadErrorMsg", handler->getReleaseFamily(), kInstallerPlatform), error,
            fl::i18n::to_u16string(error.what()));
    } catch (const install::engine::EngineInvalidSignatureException& error) {
        handleException(
            fl::i18n::BaseMsgID("DownloadErrorTitle"),
            fl::i18n::BaseMsgID("InvalidSignatureErrorMsg", handler->getReleaseFamily(), kInstallerPlatform),
            error, fl::i18n::to_u16string(error.what()));
    } catch (const install::engine::EngineException& error) {
        handleException(
            fl::i18n::BaseMsgID("standardErrorTitle"),
            fl::i18n::BaseMsgID("progressErrorMsg", handler->getReleaseFamily(), kInstallerPlatform), error,
            fl::i18n::to_u16string(error.what()));
    } catch (const std::exception& error) {
        const install::cpputil::InstallerException wrapped(
            "199", "unknown error", error.what(),
            install::cpputil::createLocation(getProgressLocation(), ""));
        handleException(
            fl::i18n::BaseMsgID("standardErrorTitle"),
            fl::i18n::BaseMsgID("progressErrorMsg", handler->getReleaseFamily(), kInstallerPlatform), wrapped,
            fl::i18n::to_u16string(error.what()));
    }
}

void DownloadProgressGate::handleException(const fl::i18n::BaseMsgID& title,
                                           const fl::i18n::BaseMsgID& message,
                                           const install::cpputil::InstallerException& error,
                                           std::u16string detail) const {
    const auto titleText = title.resolve();
    const auto messageText = message.resolve();
    log_message(messageText + withoutSecret(std::move(detail), handler->getProxyPassword()));
    handler->setCurrentValidationFailure(kProgressFailure, messageText, titleText);
    collectErrorInfoForTlmx(error.getErrorCode(), withoutProxyPassword(error.getPrimaryErrorMessage()),
                            withoutProxyPassword(error.getSecondaryErrorMessage()),
                            install::cpputil::createLocation(getProgressLocation(), error.getLocation()));
    throw;
}

void DownloadProgressGate::collectProgressData() const {
    const auto download = handler->getDownloadProgressData();
    diagnosticsData->add(kBytesDownloaded, download.getBytesDownloadedSoFar());
    diagnosticsData->add(kBytesToDownload, download.getExpectedBytesToBeDownloaded());
}

boost::signals2::scoped_connection DownloadProgressGate::setupDownloadProgressCallback(
    DownloadProgressGateCallback& callback) const {
    return install::engine::registerDownloadProgressCallback(
        [&callback](install::engine::DownloadProgressData data) { callback(std::move(data)); });
}

std::unique_ptr<install::platformutil::DefaultDirectoryProvider>
DownloadProgressGate::getDefaultDirectoryProvider() const {
    return std::make_unique<install::platformutil::DefaultDirectoryProvider>();
}

std::unique_ptr<install::engine::Engine> DownloadProgressGate::getEngineInstance() const {
    return install::engine::createEngine();
}

std::unique_ptr<install::engine::EngineConfig> DownloadProgressGate::getEngineConfigInstance() const {
    return std::make_unique<install::engine::EngineConfig>();
}

std::string DownloadProgressGate::getProgressLocation() const { return kProgressLocation; }

install::tlmx::DiagnosticsData::Map DownloadProgressGate::getDiagnosticsData() const {
    return diagnosticsData->getData();
}

void DownloadProgressGate::log_message(const std::u16string& message) const {
    install::cpputil::logger::append_message(message);
}

void DownloadProgressGate::collectErrorInfoForTlmx(const std::string& code, const std::string& primaryMessage,
                                                   const std::string& secondaryMessage,
                                                   const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, primaryMessage, secondaryMessage, location);
}

std::shared_ptr<install::repository_adapter::RepositoryAdapter> DownloadProgressGate::repository() const {
    auto adapter = handler->getProductRepoAdapterInstance();
    if (!adapter) throw std::runtime_error("No product repository was configured for the download");
    return adapter;
}

void DownloadProgressGate::recordTime(SessionDataKey key) const {
    diagnosticsData->add(key, install::platformutil::PlatformUtility::getPlatformUTCTime());
}

std::string DownloadProgressGate::withoutProxyPassword(std::string text) const {
    return withoutSecret(std::move(text), fl::i18n::to_string(handler->getProxyPassword()));
}

}  // namespace install::product_installer::workflow_utils
