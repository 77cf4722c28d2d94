#include "host/InstallerApplication.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <system_error>
#include <thread>

#include "FolderRepositoryAdapter.h"
#include "OnlineRepositoryAdapter.h"
#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "foundation/urlmanager/UrlManager.h"
#include "host/AccessTokenFromEnvironment.h"
#include "host/ApplicationBundle.h"
#include "host/BrowserProxy.h"
#include "host/CatalogueComponents.h"
#include "host/ConfiguredProxy.h"
#include "host/DestinationClaim.h"
#include "host/EventStream.h"
#include "host/ExitStatus.h"
#include "host/HeadlessFrontEnd.h"
#include "host/InstallerModel.h"
#include "host/InstallerWorkflows.h"
#include "host/ModelEvents.h"
#include "host/ProductCatalogueChoice.h"
#include "host/ProgressDisplay.h"
#include "host/WorkflowRunner.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/cpputil/Logger.h"
#include "install/platformutil/PlatformUtility.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "install/workflow_manager/WorkflowHandler.h"
#include "workflow_core/SwitchWorkflowListener.h"

namespace velora::installer {

namespace wu = install::product_installer::workflow_utils;
namespace dm = install::datamodels;

namespace {

std::u16string utf16(const std::string& text) { return fl::i18n::to_u16string(text); }

// The runtime error item of a runtime already in place; the others refuse the installation.
constexpr auto kRuntimeAlreadyPresent = dm::product_installer::QRTErrorType{1};

// What the installer application knows of itself and of the run before any gate starts.
void fillModel(const InstallerOptions& options, const std::filesystem::path& packagesRoot,
               const install::productidentifier::ProductCatalogue& catalogue,
               const dm::product_installer::ProductInstaller& root, wu::DataModelHandler& handler) {
    const auto independent = root.getWorkflowIndependentData();
    independent.setIsSilent(options.silent);
    independent.setInstallerName(u"velora-installer");
    independent.setInstallerVersion(u"1.0.0");
    independent.setPackagesRoot(packagesRoot.u16string());
    independent.setInstallationFilesDir(packagesRoot.u16string());
    // The release the installer belongs to, as its "VersionInfo.xml" says; the online repository
    // is asked for the products of that release. Packages that come with their own (a runtime
    // of a newer update level) are of theirs.
    const auto release = independent.getRelease();
    release.setFamily(u"Velora");
    release.setStatus(u"release");
    std::ifstream versionInfo(packagesRoot / "VersionInfo.xml");
    if (!versionInfo)
        versionInfo.open(install::platformutil::PlatformUtility::getInstallationPath() / "VersionInfo.xml");
    if (versionInfo) {
        const foundation::release_info::ReleaseInfo installer(versionInfo);
        release.setFamily(installer.getReleaseFamily());
        release.setStatus(installer.getReleaseStatus());
        release.setUpdateLevel(static_cast<std::int8_t>(std::clamp(installer.getUpdateLevel(), -128, 127)));
    }
    handler.setInitialWorkflow(utf16(options.workflow));
    handler.setWorkflow(utf16(options.workflow));
    handler.setLocale(install::cpputil::installer_locale::getLocale());
    handler.setPlatform(u"l64pc");

    // Which of the products on offer the folder holds is the archive reader's finding.
    handler.setOfferedProducts(offeredProducts(catalogue, utf16(options.workflow), options.runtime));
    const bool vantapak = utf16(options.workflow) == kVantapakInstall;
    const auto dependent = root.getWorkflowDependentData();
    dependent.setIsQRTInstallation(options.runtime || vantapak);
    dependent.setIsVantapakInstallation(vantapak);
    if (vantapak) ApplicationBundle::describe(options.appBundle, independent.getUserApplicationData());
}

// The online repository the pages find by "(type=onlineproduct)": the one named on the command
// line, else in the address configuration. None when neither names one.
std::shared_ptr<microservices::ServiceRegistry> onlineServices(const InstallerOptions& options) {
    auto services = std::make_shared<microservices::ServiceRegistry>();
    std::string address = options.repository;
    if (address.empty()) {
        try {
            const auto urls = foundation::urlmanager::createUrlManager();
            if (urls->hasUrl(foundation::urlmanager::PRODUCT_REPOSITORY))
                address = urls->getUrl(foundation::urlmanager::PRODUCT_REPOSITORY);
        } catch (const std::exception&) {
            // No address configuration beside the installer: no online repository either.
        }
    }
    if (!address.empty()) {
        auto repository =
            std::make_shared<install::repository_adapter::OnlineRepositoryAdapter>(address, "l64pc");
        repository->setProxyAddress(configuredProxyAddress());
        services->registerService<install::repository_adapter::RepositoryAdapter>(
            repository, {{"type", "onlineproduct"}});
    }
    return services;
}

// Archives lie in the packages root and in its "common" folder.
bool holdsProductArchives(const std::filesystem::path& packagesRoot) {
    for (const auto& folder : {packagesRoot, packagesRoot / "common"}) {
        std::error_code error;
        for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error)) {
            if (entry->path().extension() == ".enc" && entry->is_regular_file(error)) return true;
        }
    }
    return false;
}

// The details of the last error record: what the failing component said.
std::string lastErrorDetails(const install::tlmx::sink::ScopedCapture& records) {
    const auto written = records.records();
    for (auto record = written.rbegin(); record != written.rend(); ++record) {
        if (record->value("record", "") == "error") return record->value("error.3", "");
    }
    return {};
}

// "a", "b", "c"
std::string quotedNames(const std::vector<std::u16string>& names) {
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "\"" : ", \"") + fl::i18n::to_string(name) + "\"";
    return text;
}

// Why the change of workflow the options ask for cannot be made, checked before the run starts:
// both the workflow and the step must exist, the step in the workflow the run starts as.
std::optional<std::string> workflowSwitchRefusal(
    const InstallerOptions& options, const install::workflow_manager::WorkflowHandler& workflows) {
    if (!options.switchWorkflow) return std::nullopt;
    const auto names = workflows.getWorkflowNames();
    if (std::find(names.begin(), names.end(), utf16(options.switchWorkflow->workflow)) == names.end())
        return "There is no workflow \"" + options.switchWorkflow->workflow +
               "\" to switch to: give one of " + quotedNames(names) + ".";
    const auto order = workflows.getGateOrder(utf16(options.workflow));
    if (std::find(order.begin(), order.end(), utf16(options.switchWorkflow->step)) == order.end()) {
        return "The workflow \"" + options.workflow + "\" has no step \"" + options.switchWorkflow->step +
               "\" to switch at: give one of " + quotedNames(order) + ".";
    }
    return std::nullopt;
}

dm::common::ValidationStatus switchFailureStatus(const tq::zero::Model& model) {
    const auto status = dm::common::ValidationStatus::create(model, tq::zero::nilUuid());
    status.setResult(dm::common::Result::Failure);
    status.setTitle(fl::i18n::message("switchWorkflowFailedTitle"));
    status.setMessage(fl::i18n::message("switchWorkflowFailedMsg"));
    return status;
}

// A folder a download-only run made holds this machine's archives, with their catalogue, in
// "archives/l64pc": given that folder, its "archives" folder (as the installer script beside them
// gives) or the platform folder itself, install from there.
std::filesystem::path archivesIn(const std::filesystem::path& packagesRoot) {
    for (const auto& candidate :
         {packagesRoot, packagesRoot / "archives" / "l64pc", packagesRoot / "l64pc"}) {
        if (holdsProductArchives(candidate)) return candidate;
    }
    return packagesRoot;
}

// The newest folder in the download folder: the one this run made.
std::filesystem::path newestFolderIn(const std::filesystem::path& folder) {
    std::filesystem::path newest;
    std::filesystem::file_time_type newestTime{};
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code ignored;
        if (!entry->is_directory(ignored)) continue;
        const auto time = entry->last_write_time(ignored);
        if (newest.empty() || time > newestTime) {
            newest = entry->path();
            newestTime = time;
        }
    }
    return newest;
}

}  // namespace

InstallerApplication::InstallerApplication(InstallerOptions options, std::ostream& out, std::ostream& err,
                                           bool outputIsTerminal)
    : options_(std::move(options)), out_(out), err_(err), outputIsTerminal_(outputIsTerminal) {}

int InstallerApplication::run() {
    // With --events the standard output belongs to the event stream; people read the rest.
    std::ostream& people = options_.events ? err_ : out_;
    if (!options_.logFile.empty() && !install::cpputil::logger::set_log_file(options_.logFile)) {
        err_ << "Cannot write the installer log " << options_.logFile << '\n';
        return kExitFailure;
    }
    if (!options_.diagnosticsFile.empty() && !install::tlmx::sink::set_file(options_.diagnosticsFile)) {
        err_ << "Cannot write the diagnostics file " << options_.diagnosticsFile << '\n';
        return kExitFailure;
    }
    std::string locale = options_.locale;
    if (!fl::i18n::speaks(locale)) {
        err_ << "Warning: there are no messages in \"" << locale << "\"; the installer speaks en_US.\n";
        locale = "en_US";
    }
    install::cpputil::installer_locale::setLocale(utf16(locale));
    if (!options_.shortcutFolder.empty())
        ::setenv("VELORA_DESKTOP_FOLDER", options_.shortcutFolder.c_str(), 1);
    if (!options_.menuFolder.empty()) ::setenv("VELORA_APPLICATIONS_FOLDER", options_.menuFolder.c_str(), 1);
    if (utf16(options_.workflow) == kVantapakInstall && options_.appBundle.empty()) {
        err_ << "A \"Vantapak Install\" run installs a packaged application: give its unpacked bundle with "
                "--app-bundle DIR.\n";
        return kExitUsage;
    }
    if (!options_.urls.empty()) {
        // Every component finds its addresses through the URL manager, which reads this variable.
        const auto urls = std::filesystem::absolute(options_.urls);
        try {
            (void)foundation::urlmanager::createUrlManager(urls);
        } catch (const std::exception& error) {
            err_ << error.what() << ": give a JSON object of addresses with --urls.\n";
            return kExitUsage;
        }
        ::setenv("VELORA_URL_CONFIGURATION", urls.c_str(), 1);
    }

    const auto packagesRoot = archivesIn(options_.packagesRoot.empty()
                                             ? install::platformutil::PlatformUtility::getInstallationPath()
                                             : std::filesystem::absolute(options_.packagesRoot));
    const auto services = onlineServices(options_);
    const bool haveOnlineRepository = services->findService<install::repository_adapter::RepositoryAdapter>(
                                          "(type=onlineproduct)") != nullptr;
    // Online, the products and their catalogue are the repository's: nothing is read from a folder.
    const bool online = utf16(options_.workflow) == kInteractiveOnline;
    const bool downloads =
        options_.workflow == fl::i18n::to_string(kDownloadOnly) ||
        (options_.switchWorkflow && options_.switchWorkflow->workflow == fl::i18n::to_string(kDownloadOnly));
    if ((online || downloads) && !haveOnlineRepository) {
        err_ << (online ? "An online installation" : "A download-only run")
             << " needs the online product repository: give its address with --repository URL"
             << " (or as " << foundation::urlmanager::PRODUCT_REPOSITORY << " in "
             << foundation::urlmanager::UrlManager::defaultConfigurationFile().string() << ").\n";
        return kExitUsage;
    }
    // The licence server comes from the packages too, unless an online repository can stand in.
    if ((utf16(options_.workflow) == kInstallFromFolder ||
         ((utf16(options_.workflow) == kLicenseManager || utf16(options_.workflow) == kVantapakInstall) &&
          !haveOnlineRepository)) &&
        !holdsProductArchives(packagesRoot)) {
        err_ << "There are no product archives (*.enc) in " << packagesRoot.string()
             << ": name the folder that holds them with --packages-root.\n";
        return kExitUsage;
    }
    ProductCatalogueChoice catalogue;
    try {
        catalogue = ProductCatalogueChoice::choose(options_.catalogue, packagesRoot);
    } catch (const CatalogueUnusableError& error) {
        err_ << "The installer cannot start: " << error.what() << '\n';
        return error.wasGivenByUser() ? kExitUsage : kExitFailure;
    }
    install::cpputil::logger::append_message(u"Product catalogue: " + catalogue.file.u16string());
    std::string unknown;
    for (const std::string& product : options_.products) {
        if (!online && catalogue.catalogue->find(utf16(product)) == nullptr)
            unknown += (unknown.empty() ? "" : ", ") + product;
    }
    if (!unknown.empty()) {
        std::string known;
        for (const auto& product : catalogue.catalogue->getProducts())
            known += (known.empty() ? "" : ", ") + fl::i18n::to_string(product.baseCode);
        err_ << "The product catalogue " << catalogue.file.string() << " has no product " << unknown
             << ": give base codes among " << known << ".\n";
        return kExitUsage;
    }

    auto installerModel = createInstallerModel();
    createPageModels(installerModel.model, installerModel.root);

    // The archive reader looks through the packages while the first pages are shown; the
    // agreement page waits for it.
    std::shared_ptr<install::repository_adapter::FolderRepositoryAdapter> repository;
    std::thread archiveReader;
    if (!online) {
        repository = std::make_shared<install::repository_adapter::FolderRepositoryAdapter>(
            packagesRoot, catalogue.catalogue);
        archiveReader = std::thread([repository] {
            try {
                (void)repository->getAvailableProducts();
            } catch (const std::exception&) {
                // The pages that need the products ask again and report what is wrong.
            }
        });
    }
    auto handler = std::make_shared<wu::DataModelHandler>(installerModel.model, installerModel.root,
                                                          std::move(archiveReader));
    if (repository) {
        handler->setProductRepoAdapterInstance(repository);
        handler->setIsFolderRepoInstance(true);
    }
    try {
        fillModel(options_, packagesRoot, *catalogue.catalogue, installerModel.root, *handler);
        takeAccessTokenFromEnvironment(*handler, installerModel.root);
    } catch (const ApplicationBundleError& error) {
        err_ << error.what() << '\n';
        return kExitUsage;
    } catch (const std::exception& error) {
        err_ << "The installer cannot start: " << error.what() << '\n';
        return kExitFailure;
    }
    handler->setExitStatus(kExitFailure);

    auto workflows = std::make_shared<install::workflow_manager::WorkflowHandler>(createWorkflowConfiguration(
        handler, CatalogueComponents(catalogue),
        [&people](const std::string& failure) { people << "Warning: " << failure << '\n'; }, services,
        options_.runtime));
    const auto names = workflows->getWorkflowNames();
    if (std::find(names.begin(), names.end(), utf16(options_.workflow)) == names.end()) {
        err_ << "There is no workflow \"" << options_.workflow << "\": give one of " << quotedNames(names)
             << ".\n";
        return kExitUsage;
    }
    if (const auto refusal = workflowSwitchRefusal(options_, *workflows)) {
        err_ << *refusal << '\n';
        return kExitUsage;
    }
    EventStream events(out_);
    ProgressDisplay progress(people, !options_.events && outputIsTerminal_);
    ModelEventSinks sinks;
    sinks.progress = [&](const ProgressEvent& event) {
        if (options_.events) events.progress(event);
        progress.update(event);
    };
    if (options_.events) {
        sinks.step = [&](const StepEvent& event) { events.step(event); };
        sinks.validation = [&](const ValidationEvent& event) { events.validation(event); };
        sinks.workflow = [&](const WorkflowEvent& event) { events.workflow(event); };
    }
    ModelEvents modelEvents(installerModel.model, installerModel.root, std::move(sinks));
    // Subscribed after the events, which then tell of a switch before the new workflow's first step.
    const auto application = installerModel.root.getWorkflowIndependentData().getApplicationData();
    wu::SwitchWorkflowListener switchListener(installerModel.model, workflows, {u"WelcomeGate", u"SLAGate"},
                                              installerModel.root, application,
                                              switchFailureStatus(installerModel.model));

    // The proxy page hands the credentials to the embedded browser, whose pages the front end plays.
    BrowserProxy browserProxy(options_.proxyUser, options_.proxyPassword);
    const auto proxyPage = browserProxy.receiveFromProxyPage();
    HeadlessFrontEnd frontEnd(options_, handler, installerModel.root, people, browserProxy);
    RunSettings settings;
    if (options_.dryRun) settings.stopAfterGate = u"ConfirmationGate";
    // Held from before the folder page looks into the folder until the run ends.
    DestinationClaim destinationClaim(options_.waitLock, people);
    settings.beforeProcessing = [&](const std::u16string& gateName) {
        const std::u16string folder = handler->getUserInputFolder();
        if (gateName != u"FolderSelectionGate" || folder.empty()) return true;
        return destinationClaim.claim(std::filesystem::path(folder)) == DestinationClaim::Outcome::Claimed;
    };
    settings.workflowSwitched = [&](const std::u16string& from, const std::u16string& to) {
        // The switch dropped the workflow's data, the page models and the products on offer with it.
        createPageModels(installerModel.model, installerModel.root);
        handler->setOfferedProducts(offeredProducts(*catalogue.catalogue, to, options_.runtime));
        people << "The workflow changed from \"" << fl::i18n::to_string(from) << "\" to \""
               << fl::i18n::to_string(to) << "\".\n";
    };
    WorkflowRunner runner(handler, workflows, application, frontEnd, settings);

    // The steps show a failure as the page would; the component's own reason (an entry refused,
    // a disk full) goes to the diagnostics records, from where it is repeated for the reader.
    const install::tlmx::sink::ScopedCapture records;
    const RunEnd end = runner.run(utf16(options_.workflow));
    progress.finish();
    if (options_.switchWorkflow && end == RunEnd::Completed &&
        handler->getWorkflow() != utf16(options_.switchWorkflow->workflow)) {
        people << "Warning: the run skipped the step " << options_.switchWorkflow->step
               << ", so it did not change to \"" << options_.switchWorkflow->workflow << "\".\n";
    }
    switch (end) {
        case RunEnd::Completed: {
            const auto dependent = installerModel.root.getWorkflowDependentData();
            const auto notes = dependent.getInstallationNotes();
            if (!notes.empty()) people << fl::i18n::to_string(notes) << '\n';
            if (!dependent.getPathIssueNotes().empty())
                people << fl::i18n::to_string(dependent.getPathIssueNotes()) << '\n';
            const auto guide = installerModel.root.getWorkflowIndependentData()
                                   .getUserApplicationData()
                                   .getGettingStartedGuideLocation();
            if (!guide.empty()) people << "Getting started: " << fl::i18n::to_string(guide) << '\n';
            // A runtime (or an application) that cannot be installed here is a refusal, not a success.
            if (dependent.hasQrtErrorItem() &&
                dependent.getQrtErrorItem().getErrorType() != kRuntimeAlreadyPresent) {
                people << "The installation did not complete.\n";
                handler->setExitStatus(kExitFailure);
            }
            if (handler->isDownloadOnlyWorkflow()) {
                const auto folder =
                    newestFolderIn(fl::i18n::to_string(handler->getUserGivenDownloadFolder()));
                people << "Downloaded into " << folder.string() << ": it installs without a network, with "
                       << "--packages-root " << folder.string() << ".\n";
            }
            break;
        }
        case RunEnd::StoppedAfterGate:
            people << "Dry run: nothing was installed.\n";
            handler->setExitStatus(kExitSuccess);
            break;
        case RunEnd::Interrupted:
            people << "The installation was interrupted; it stopped before the next file.\n";
            handler->setExitStatus(kExitInterrupted);
            break;
        case RunEnd::Failed: {
            const std::string reason = lastErrorDetails(records);
            if (!reason.empty()) people << "Reason: " << reason << '\n';
            people << (handler->isDownloadOnlyWorkflow()
                           ? "The download did not complete; what was fetched stays.\n"
                           : "The installation did not complete.\n");
            break;
        }
        case RunEnd::StoppedBeforeProcessing:
            err_ << destinationClaim.reason() << '\n';
            handler->setExitStatus(destinationClaim.exitStatus());
            break;
    }
    const int exitStatus = handler->getExitStatus() & 0xFF;
    if (options_.events) events.finished(exitStatus);
    return exitStatus;
}

}  // namespace velora::installer
