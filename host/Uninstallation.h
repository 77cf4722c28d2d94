#pragma once

#include <iosfwd>

#include "host/InstallerOptions.h"

namespace velora::installer {

// velora-installer --uninstall DIR: claims the folder as an installation would, takes away the
// products recorded there (or those named with --products) and tells what it removed and what
// it left, and why. Returns the process exit status.
class Uninstallation {
public:
    Uninstallation(InstallerOptions options, std::ostream& out, std::ostream& err);

    int run();

private:
    InstallerOptions options_;
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace velora::installer
