#pragma once

#include <memory>
#include <string>

#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The sign-in step. The user interface shows the embedded sign-in page this gate points it at and
// writes the outcome back into the model; the gate only prepares the request and judges the
// outcome. A user who is signed in already never sees the page.
class WORKFLOW_UTILS_API LoginGate : public install::workflow_manager::Gate {
public:
    LoginGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    LoginGate(LoginGate&&) noexcept;
    LoginGate& operator=(LoginGate&&) noexcept;
    ~LoginGate() override;

    void processData() override;
    // Fresh request, response and error elements each time, so an earlier attempt's outcome is gone.
    void setDefaultData() const override;
    void setRequiredData() const override;
    bool checkIfShouldBeSkipped() const override;
    void skip() const override;

protected:
    // The sign-in page's address; empty when it cannot be found, so the page still opens and the
    // user interface reports the failure through the model.
    virtual std::u16string getEndPointForLoginPanel() const;
    virtual void log_message(const std::u16string& text) const;
    virtual void showErrorDialog() const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                         const std::string& details, const std::string& location) const;

private:
    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
};

}  // namespace install::product_installer::workflow_utils
