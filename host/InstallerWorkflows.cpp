#include "host/InstallerWorkflows.h"

#include "gates/execution/ConfirmationGate.h"
#include "gates/execution/InstallProgressGate.h"
#include "gates/selection/FolderSelectionGate.h"
#include "gates/selection/OptionSelectionGate.h"
#include "gates/selection/ProductSelectionGate.h"
#include "gates/selection/SLAGate.h"
#include "gates/session/FinalGate.h"
#include "gates/session/ProductFilesDetectionGate.h"
#include "gates/session/WelcomeGate.h"

namespace velora::installer {

namespace wu = install::product_installer::workflow_utils;

namespace {

template <class GateClass>
void addGate(install::workflow_manager::WorkflowConfiguration& configuration, const std::u16string& name,
             const std::shared_ptr<wu::DataModelHandler>& handler) {
    configuration.gates.emplace(name, std::make_shared<GateClass>(name, handler));
}

}  // namespace

install::workflow_manager::WorkflowConfiguration createWorkflowConfiguration(
    const std::shared_ptr<wu::DataModelHandler>& handler) {
    install::workflow_manager::WorkflowConfiguration configuration;
    addGate<wu::WelcomeGate>(configuration, u"WelcomeGate", handler);
    addGate<wu::ProductFilesDetectionGate>(configuration, u"ProductFilesDetectionGate", handler);
    addGate<wu::SLAGate>(configuration, u"SLAGate", handler);
    addGate<wu::FolderSelectionGate>(configuration, u"FolderSelectionGate", handler);
    addGate<wu::ProductSelectionGate>(configuration, u"ProductSelectionGate", handler);
    addGate<wu::OptionSelectionGate>(configuration, u"OptionSelectionGate", handler);
    addGate<wu::ConfirmationGate>(configuration, u"ConfirmationGate", handler);
    addGate<wu::InstallProgressGate>(configuration, u"InstallProgressGate", handler);
    addGate<wu::FinalGate>(configuration, u"FinalGate", handler);

    configuration.gateOrder[kInstallFromFolder] = {
        u"WelcomeGate",         u"ProductFilesDetectionGate", u"SLAGate",
        u"FolderSelectionGate", u"ProductSelectionGate",      u"OptionSelectionGate",
        u"ConfirmationGate",    u"InstallProgressGate",       u"FinalGate"};
    return configuration;
}

}  // namespace velora::installer
