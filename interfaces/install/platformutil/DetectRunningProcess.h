#pragma once

#include <memory>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::platformutil {

// Whether a program is running, so that an installation does not overwrite files in use.
class COMPONENT_API DetectRunningProcess {
public:
    virtual ~DetectRunningProcess();

    // True when a process runs whose executable file is named `executableName` (a file name,
    // compared exactly). A non-empty `folder` counts only executables inside that folder.
    virtual bool isProcessRunning(const std::u16string& executableName,
                                  const std::u16string& folder) const = 0;
};

// The strategy of this platform (on Linux: the process table under /proc).
COMPONENT_API std::unique_ptr<DetectRunningProcess> createDetectRunningProcessStrategy();

}  // namespace install::platformutil
