#pragma once

#include <memory>
#include <string>

#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The closing page of every workflow. Reaching it means the run succeeded, so it records exit
// status 0 when the page is requested. It validates nothing and never marks its step processed:
// the run ends when the user closes the page.
class WORKFLOW_UTILS_API FinalGate : public install::workflow_manager::Gate {
public:
    FinalGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    FinalGate(const FinalGate&) = default;
    FinalGate(FinalGate&&) noexcept = default;
    FinalGate& operator=(const FinalGate&) = default;
    FinalGate& operator=(FinalGate&&) noexcept = default;
    ~FinalGate() override;

    void processData() override;
    // Overrides whatever exit status an earlier page stored.
    void setRequiredData() const override;

private:
    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
};

}  // namespace install::product_installer::workflow_utils
