#pragma once

// The installer run as a child process, through the runner the benchmarks share.
#include "tools/child_process/ChildProcess.h"

namespace velora::installer::test {

using InstallerOutcome = velora::tools::ChildOutcome;
using InstallerProcess = velora::tools::ChildProcess;

}  // namespace velora::installer::test
