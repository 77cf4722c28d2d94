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

}  // namespace velora::installer
