#pragma once

#include <iosfwd>

#include "host/InstallerOptions.h"

namespace velora::installer {

// The headless installer: sets up the data model, the archive reader, the handler, the gates
// of the chosen workflow, the workflow manager and the switch listener, fills the model from
// the options, and runs the workflow. Returns the process exit status, taken from the model.
class InstallerApplication {
public:
    InstallerApplication(InstallerOptions options, std::ostream& out, std::ostream& err,
                         bool outputIsTerminal);

    int run();

private:
    InstallerOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    bool outputIsTerminal_;
};

}  // namespace velora::installer
