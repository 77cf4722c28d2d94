#pragma once

#include <memory>
#include <string>

#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The welcome page: nothing to validate. It turns the packaged application's logo into a
// full path for display and completes as soon as the page is confirmed.
class WORKFLOW_UTILS_API WelcomeGate : public install::workflow_manager::Gate {
public:
    WelcomeGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    WelcomeGate(const WelcomeGate&) = default;
    WelcomeGate(WelcomeGate&&) = default;
    WelcomeGate& operator=(const WelcomeGate&) = default;
    WelcomeGate& operator=(WelcomeGate&&) = default;
    ~WelcomeGate() override;

    void processData() override;
    // Prefixes the logo stored at this moment with the bundle folder, so each call adds one more prefix.
    void setDefaultData() const override;
    void setRequiredData() const override;

protected:
    virtual void log_message(const std::u16string& text) const;

private:
    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
};

}  // namespace install::product_installer::workflow_utils
