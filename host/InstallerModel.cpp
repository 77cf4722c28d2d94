#include "host/InstallerModel.h"

namespace velora::installer {

namespace dm = install::datamodels;

InstallerModel createInstallerModel() {
    tq::zero::Model model;
    const auto id = tq::zero::nilUuid();
    auto root = dm::product_installer::ProductInstaller::create(model, id);

    const auto application = dm::common::ApplicationData::create(model, id);
    for (auto setter :
         {&dm::common::ApplicationData::setDataRequired, &dm::common::ApplicationData::setDataAvailable,
          &dm::common::ApplicationData::setDataProcessed}) {
        (application.*setter)(u"Unset");
    }
    application.setValidationStatus(dm::common::ValidationStatus::create(model, id));

    const auto independent = dm::product_installer::WorkflowIndependentData::create(model, id);
    independent.setApplicationData(application);
    independent.setSessionData(dm::common::SessionData::create(model, id));
    independent.setUserApplicationData(dm::product_installer::UserApplicationData::create(model, id));
    independent.setRelease(dm::common::Release::create(model, id));
    root.setWorkflowIndependentData(independent);
    // The pages of a workflow find their models in place, as the user interface creates them
    // before it renders the first page: a page may be asked whether to show at all before
    // its defaults are set.
    const auto dependent = dm::product_installer::WorkflowDependentData::create(model, id);
    dependent.setProductSelection(dm::product_installer::ProductSelection::create(model, id));
    dependent.setOptionSelection(dm::product_installer::OptionSelection::create(model, id));
    dependent.setInstallFolder(dm::product_installer::InstallFolder::create(model, id));
    dependent.setDownloadFolder(dm::product_installer::DownloadFolder::create(model, id));
    dependent.setProgressData(dm::product_installer::ProgressData::create(model, id));
    dependent.setConfirmationData(dm::product_installer::Confirmation::create(model, id));
    root.setWorkflowDependentData(dependent);
    return InstallerModel{model, root};
}

}  // namespace velora::installer
