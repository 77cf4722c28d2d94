#pragma once

#include <filesystem>
#include <string>

#include "install/platformutil/DetectRunningProcess.h"

namespace install::platformutil {

// Looks through the process table under /proc. A process counts by the file name of its
// executable, or of its first command-line word when the executable cannot be read (processes
// of other users); the kernel's 15-character command name is the last resort.
class ProcessTableDetector : public DetectRunningProcess {
public:
    explicit ProcessTableDetector(std::filesystem::path processTable = "/proc");

    bool isProcessRunning(const std::u16string& executableName, const std::u16string& folder) const override;

private:
    bool matches(const std::filesystem::path& processFolder, const std::string& name,
                 const std::filesystem::path& folder) const;

    std::filesystem::path processTable_;
};

}  // namespace install::platformutil
