#pragma once

#include <memory>
#include <string>

#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The licence agreement page. The user interface records the answer; the gate lets the workflow
// go on only once the agreement is accepted. Accepting is also where the installer waits for
// the product archives to have been read, since every later page works with them.
class WORKFLOW_UTILS_API SLAGate : public install::workflow_manager::Gate {
public:
    SLAGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    // A copy shares the handler.
    SLAGate(const SLAGate& other);
    SLAGate(SLAGate&&) noexcept;
    SLAGate& operator=(const SLAGate& other);
    SLAGate& operator=(SLAGate&&) noexcept;
    ~SLAGate() override;

    void processData() override;
    void setRequiredData() const override;
    // An agreement accepted once stays accepted; a packaged application's update needs none.
    bool checkIfShouldBeSkipped() const override;
    void skip() const override;

protected:
    virtual void log_message(const std::u16string& message) const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                         const std::string& details, const std::string& location) const;

private:
    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
};

}  // namespace install::product_installer::workflow_utils
