// Walks the welcome step through the protocol the workflow manager follows and prints what
// the data model holds after each stage.
#include <iostream>
#include <memory>

#include "fl/i18n/TextConversion.h"
#include "gates/session/WelcomeGate.h"
#include "host/InstallerModel.h"

using install::product_installer::workflow_utils::DataModelHandler;
using install::product_installer::workflow_utils::WelcomeGate;

namespace {

void printStep(const char* stage, const DataModelHandler& handler,
               const install::datamodels::common::ApplicationData& application) {
    std::cout << stage << ": required=" << fl::i18n::to_string(application.getDataRequired())
              << " available=" << fl::i18n::to_string(application.getDataAvailable())
              << " processed=" << fl::i18n::to_string(application.getDataProcessed())
              << " result=" << static_cast<int>(application.getValidationStatus().getResult())
              << " logo=" << fl::i18n::to_string(handler.getUserAppLogo()) << '\n';
}

}  // namespace

int main() {
    auto installerModel = velora::installer::createInstallerModel();
    auto handler = std::make_shared<DataModelHandler>(installerModel.model, installerModel.root);
    handler->setStaticExtractedBundleDirectory(u"/opt/velora/bundle");
    handler->setUserAppLogo(u"logo.png");
    const auto application = installerModel.root.getWorkflowIndependentData().getApplicationData();

    WelcomeGate gate(u"WelcomeGate", handler);
    printStep("start", *handler, application);
    if (gate.checkIfShouldBeSkipped()) {
        gate.skip();
    } else {
        gate.setDefaultData();
        gate.setRequiredData();
        printStep("required", *handler, application);
        handler->setAsDataAvailable();  // the user interface confirms the page
        gate.processData();
    }
    printStep("processed", *handler, application);
    return handler->getExitStatus();
}
