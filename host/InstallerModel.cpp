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
    root.setWorkflowDependentData(dm::product_installer::WorkflowDependentData::create(model, id));
    return InstallerModel{model, root};
}

void createPageModels(const tq::zero::Model& model, const dm::product_installer::ProductInstaller& root) {
    const auto id = tq::zero::nilUuid();
    const auto dependent = root.getWorkflowDependentData();
    if (!dependent.hasProductSelection()) {
        dependent.setProductSelection(dm::product_installer::ProductSelection::create(model, id));
    }
    if (!dependent.hasOptionSelection()) {
        dependent.setOptionSelection(dm::product_installer::OptionSelection::create(model, id));
    }
    if (!dependent.hasInstallFolder())
        dependent.setInstallFolder(dm::product_installer::InstallFolder::create(model, id));
    if (!dependent.hasDownloadFolder()) {
        dependent.setDownloadFolder(dm::product_installer::DownloadFolder::create(model, id));
    }
    if (!dependent.hasProgressData())
        dependent.setProgressData(dm::product_installer::ProgressData::create(model, id));
    if (!dependent.hasConfirmationData()) {
        dependent.setConfirmationData(dm::product_installer::Confirmation::create(model, id));
    }
}

}  // namespace velora::installer
