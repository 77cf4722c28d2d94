#pragma once

#include <memory>
#include <ostream>

#include "host/BrowserProxy.h"
#include "host/FrontEnd.h"
#include "host/InstallerModel.h"
#include "host/InstallerOptions.h"
#include "workflow_core/DataModelHandler.h"

namespace velora::installer {

// Plays the user interface from the answers given on the command line or in the answers
// file: what a person would type or tick on each page, and the acknowledgement of a warning
// that a person may simply confirm (the root-drive warning, the missing-products warnings), and
// the change of workflow the options ask for on a given page. On the sign-in page it signs in with
// the account given, as the embedded page would, through the browser's proxy.
class HeadlessFrontEnd : public FrontEnd {
public:
    HeadlessFrontEnd(const InstallerOptions& options,
                     std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler> handler,
                     install::datamodels::product_installer::ProductInstaller root, std::ostream& out,
                     const BrowserProxy& browserProxy);

    void supplyAnswers(const std::u16string& gateName) override;
    bool acknowledgeWarning(const std::u16string& gateName) override;
    void showFailure(const std::u16string& title, const std::u16string& message) override;
    void showWarning(const std::u16string& title, const std::u16string& message) override;
    void showInformation(const std::string& text) override;
    void stepCompleted(const std::u16string& gateName) override;

private:
    void show(const char* kind, const std::u16string& title, const std::u16string& message);
    void printConfirmation() const;
    // Writes the outcome into the login model: the user's token and details, or the error.
    void signIn();
    // What a run without questions says of products the selection needs but leaves out.
    std::string missingProductsNote() const;

    const InstallerOptions& options_;
    std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler> handler_;
    install::datamodels::product_installer::ProductInstaller root_;
    std::ostream& out_;
    bool workflowSwitched_ = false;
    const BrowserProxy& browserProxy_;
};

}  // namespace velora::installer
