#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/CatalogueComponents.h"
#include "host/ReportingRegistrationRunner.h"
#include "install/productidentifier/ProductCatalogue.h"
#include "install/workflow_manager/WorkflowConfiguration.h"
#include "microservices/ServiceRegistry.h"
#include "workflow_core/DataModelHandler.h"

namespace velora::installer {

inline constexpr char16_t kInstallFromFolder[] = u"Interactive Install From Folder";
inline constexpr char16_t kDownloadOnly[] = u"DownloadOnly";
inline constexpr char16_t kInteractiveOnline[] = u"Interactive Online Install";
inline constexpr char16_t kLicenseManager[] = u"License Manager";
inline constexpr char16_t kVantapakInstall[] = u"Vantapak Install";
// The product family the runtime installer installs, alone or with a packaged application.
inline constexpr char16_t kRuntimeFamily[] = u"Velora Runtime";

// The gates of each workflow this installer runs, in order, each constructed over the handler;
// those that ask about products work from the run's catalogue. A registration step that fails
// is also handed to `registrationWarning`. The pages that need the online repository find it in
// `services`. The runtime installer (`runtime`) installs from a folder or online through the
// runtime's steps instead of the product pages.
install::workflow_manager::WorkflowConfiguration createWorkflowConfiguration(
    const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
    const CatalogueComponents& components,
    const ReportingRegistrationRunner::Warning& registrationWarning = {},
    const std::shared_ptr<microservices::ServiceRegistry>& services = nullptr, bool runtime = false);

// The products a workflow offers, in catalogue order: the licence server alone in its own
// workflow, the runtime's family alone to the runtime installer and in "Vantapak Install", every
// other product of the catalogue in the rest (the licence server is installed apart from the
// products it serves).
std::vector<std::u16string> offeredProducts(const install::productidentifier::ProductCatalogue& catalogue,
                                            const std::u16string& workflowName, bool runtime = false);

}  // namespace velora::installer
