// An installer application's first steps against the installed package: a model with the
// elements the application creates, the handler over it, one gate asking for its page.
#include <iostream>
#include <memory>

#include "gates/session/WelcomeGate.h"
#include "workflow_core/DataModelHandler.h"

namespace dm = install::datamodels;
using install::product_installer::workflow_utils::DataModelHandler;
using install::product_installer::workflow_utils::WelcomeGate;

int main() {
    tq::zero::Model model;
    const auto id = tq::zero::nilUuid();
    auto root = dm::product_installer::ProductInstaller::create(model, id);
    const auto application = dm::common::ApplicationData::create(model, id);
    application.setValidationStatus(dm::common::ValidationStatus::create(model, id));
    const auto independent = dm::product_installer::WorkflowIndependentData::create(model, id);
    independent.setApplicationData(application);
    root.setWorkflowIndependentData(independent);
    root.setWorkflowDependentData(dm::product_installer::WorkflowDependentData::create(model, id));

    const auto handler = std::make_shared<DataModelHandler>(model, root);
    handler->setWorkflow(u"Interactive Install From Folder");
    WelcomeGate gate(u"Welcome", handler);
    gate.setRequiredData();
    if (handler->getDataRequired() != u"Welcome" ||
        handler->getWorkflow() != u"Interactive Install From Folder") {
        std::cerr << "the handler did not record the welcome page's request\n";
        return 1;
    }
    std::cout << "welcome page requested through the installed package\n";
    return 0;
}
