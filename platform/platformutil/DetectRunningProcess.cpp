#include "install/platformutil/DetectRunningProcess.h"

#include "ProcessTableDetector.h"

namespace install::platformutil {

DetectRunningProcess::~DetectRunningProcess() = default;

std::unique_ptr<DetectRunningProcess> createDetectRunningProcessStrategy() {
    return std::make_unique<ProcessTableDetector>();
}

}  // namespace install::platformutil
