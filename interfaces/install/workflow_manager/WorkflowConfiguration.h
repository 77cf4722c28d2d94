#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "install/workflow_manager/Gate.h"

namespace install::workflow_manager {

// What the installer application tells the workflow manager: the gates of each workflow in
// the order they run, and the gate object behind each name. One gate object may serve several
// workflows.
struct WorkflowConfiguration {
    std::map<std::u16string, std::vector<std::u16string>> gateOrder;
    std::map<std::u16string, std::shared_ptr<Gate>> gates;
};

}  // namespace install::workflow_manager
