#include "host/InstallerWorkflows.h"

#include "gates/download/DownloadFolderGate.h"
#include "gates/download/PlatformSelectionGate.h"
#include "gates/runtime/VeloraRuntimeValidationGate.h"
#include "gates/selection/OptionSelectionGate.h"
#include "gates/selection/SLAGate.h"
#include "gates/session/FinalGate.h"
#include "gates/session/LoginGate.h"
#include "gates/session/ProductFilesDetectionGate.h"
#include "gates/session/ProxyGate.h"
#include "gates/session/WelcomeGate.h"
#include "gates/userapp/UserAppFolderSelectionGate.h"
#include "host/CatalogueBoundGates.h"
#include "host/CatalogueDownloadGates.h"
#include "host/CatalogueRuntimeGates.h"
#include "host/LicenseManagerProductGate.h"

namespace velora::installer {

namespace wu = install::product_installer::workflow_utils;

namespace {

// Pages that ask about products are also given the run's catalogue components.
template <class GateClass, class... Components>
void addGate(install::workflow_manager::WorkflowConfiguration& configuration, const std::u16string& name,
             const std::shared_ptr<wu::DataModelHandler>& handler, const Components&... components) {
    configuration.gates.emplace(name, std::make_shared<GateClass>(name, handler, components...));
}

}  // namespace

install::workflow_manager::WorkflowConfiguration createWorkflowConfiguration(
    const std::shared_ptr<wu::DataModelHandler>& handler, const CatalogueComponents& components,
    const ReportingRegistrationRunner::Warning& registrationWarning,
    const std::shared_ptr<microservices::ServiceRegistry>& services, bool runtime) {
    install::workflow_manager::WorkflowConfiguration configuration;
    addGate<wu::WelcomeGate>(configuration, u"WelcomeGate", handler);
    addGate<wu::LoginGate>(configuration, u"LoginGate", handler);
    addGate<wu::ProxyGate>(configuration, u"ProxyGate", handler);
    addGate<wu::ProductFilesDetectionGate>(configuration, u"ProductFilesDetectionGate", handler);
    addGate<wu::SLAGate>(configuration, u"SLAGate", handler);
    // Without a folder of archives the folder page finds the online repository here.
    auto folder = std::make_shared<CatalogueFolderSelectionGate>(u"FolderSelectionGate", handler, components);
    folder->setServiceRegistry(services);
    configuration.gates.emplace(u"FolderSelectionGate", folder);
    addGate<CatalogueProductSelectionGate>(configuration, u"ProductSelectionGate", handler, components);
    addGate<wu::OptionSelectionGate>(configuration, u"OptionSelectionGate", handler);
    addGate<CatalogueConfirmationGate>(configuration, u"ConfirmationGate", handler, components);
    addGate<CatalogueInstallProgressGate>(configuration, u"InstallProgressGate", handler, components,
                                          registrationWarning);
    addGate<wu::FinalGate>(configuration, u"FinalGate", handler);
    addGate<wu::DownloadFolderGate>(configuration, u"DownloadFolderGate", handler);
    auto platforms = std::make_shared<wu::PlatformSelectionGate>(u"PlatformSelectionGate", handler);
    platforms->setServiceRegistry(services);
    configuration.gates.emplace(u"PlatformSelectionGate", platforms);
    addGate<CatalogueDownloadProductSelectionGate>(configuration, u"DownloadProductSelectionGate", handler,
                                                   components);
    addGate<CatalogueDownloadProgressGate>(configuration, u"DownloadProgressGate", handler, components);
    addGate<LicenseManagerProductGate>(configuration, u"LicenseManagerProductGate", handler, components);
    addGate<CatalogueRuntimeDetectionGate>(configuration, u"RuntimeDetectionGate", handler, components);
    addGate<CatalogueRuntimeProductSelectionGate>(configuration, u"RuntimeProductSelectionGate", handler,
                                                  components, services);
    auto validation = std::make_shared<wu::VeloraRuntimeValidationGate>(u"RuntimeValidationGate", handler);
    validation->setServiceRegistry(services);
    configuration.gates.emplace(u"RuntimeValidationGate", validation);
    addGate<wu::UserAppFolderSelectionGate>(configuration, u"UserAppFolderSelectionGate", handler);
    addGate<CatalogueRuntimeProgressGate>(configuration, u"RuntimeProgressGate", handler, components,
                                          registrationWarning);

    configuration.gateOrder[kInstallFromFolder] = {
        u"WelcomeGate",         u"ProductFilesDetectionGate", u"SLAGate",
        u"FolderSelectionGate", u"ProductSelectionGate",      u"OptionSelectionGate",
        u"ConfirmationGate",    u"InstallProgressGate",       u"FinalGate"};
    // Products come from the online repository, which serves signed-in users only; as for a
    // download-only run, the connection is checked before the sign-in page goes through it.
    configuration.gateOrder[kInteractiveOnline] = {u"WelcomeGate",         u"ProxyGate",
                                                   u"LoginGate",           u"SLAGate",
                                                   u"FolderSelectionGate", u"ProductSelectionGate",
                                                   u"OptionSelectionGate", u"ConfirmationGate",
                                                   u"InstallProgressGate", u"FinalGate"};
    // The repository serves its products to signed-in users only. The connection is checked first:
    // behind a proxy that wants credentials, the proxy page hands them to the browser that shows
    // the sign-in page.
    configuration.gateOrder[kDownloadOnly] = {u"WelcomeGate",
                                              u"ProxyGate",
                                              u"LoginGate",
                                              u"SLAGate",
                                              u"DownloadFolderGate",
                                              u"PlatformSelectionGate",
                                              u"DownloadProductSelectionGate",
                                              u"ConfirmationGate",
                                              u"DownloadProgressGate",
                                              u"FinalGate"};
    // The licence server alone: its folder is proposed and checked for it (the products on offer
    // are the licence server only), then the product step fixes the selection to it, from the
    // packages or from the online repository the folder page turned to.
    configuration.gateOrder[kLicenseManager] = {u"WelcomeGate",
                                                u"SLAGate",
                                                u"FolderSelectionGate",
                                                u"LicenseManagerProductGate",
                                                u"ConfirmationGate",
                                                u"InstallProgressGate",
                                                u"FinalGate"};
    // The runtime's steps: an earlier runtime found first, so that the folder page proposes its
    // folder and the update decision knows what is there; the packaged application's folder
    // page before the runtime's products, whose selection it decides.
    const std::vector<std::u16string> runtimeSteps = {
        u"RuntimeDetectionGate",  u"FolderSelectionGate", u"RuntimeProductSelectionGate",
        u"RuntimeValidationGate", u"ConfirmationGate",    u"RuntimeProgressGate"};
    const auto withRuntimeSteps = [&](std::vector<std::u16string> before) {
        before.insert(before.end(), runtimeSteps.begin(), runtimeSteps.end());
        before.push_back(u"FinalGate");
        return before;
    };
    if (runtime) {
        configuration.gateOrder[kInstallFromFolder] = withRuntimeSteps({u"WelcomeGate", u"SLAGate"});
        configuration.gateOrder[kInteractiveOnline] =
            withRuntimeSteps({u"WelcomeGate", u"ProxyGate", u"LoginGate", u"SLAGate"});
    }
    auto vantapak = withRuntimeSteps({u"WelcomeGate", u"SLAGate"});
    vantapak.insert(vantapak.begin() + 4, u"UserAppFolderSelectionGate");
    configuration.gateOrder[kVantapakInstall] = vantapak;
    return configuration;
}

std::vector<std::u16string> offeredProducts(const install::productidentifier::ProductCatalogue& catalogue,
                                            const std::u16string& workflowName, bool runtime) {
    const bool licenseServer = workflowName == kLicenseManager;
    std::vector<std::u16string> offered;
    for (const auto& product : catalogue.getProducts()) {
        if (runtime || workflowName == kVantapakInstall) {
            if (product.productFamily == kRuntimeFamily) offered.push_back(product.baseCode);
        } else if ((product.baseCode == LicenseManagerProductGate::kLicenseManager) == licenseServer) {
            offered.push_back(product.baseCode);
        }
    }
    return offered;
}

}  // namespace velora::installer
