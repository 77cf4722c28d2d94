#pragma once

#include <map>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"
#include "registration/productconfig/RegistrationHostSettings.h"

namespace registration::productconfig {

// Registers an installation with the operating system, as the option map asks:
//   "veloraroot"               installation folder; its bin/ holds the product's programs
//   "desktopshortcutselected"  "true": a launcher on the desktop
//   "startmenushortcut"        "true": an entry in the applications menu
//   "symlink"                  folder for links to every program of bin/; empty: none
//   "skiposcommands"           "true": change nothing in the operating system
//   "vantapakapplicationname", "vantapakapplicationfilepath", "vantapakapplicationiconfilepath":
//                              when the file path is given, launchers start that application
//   "registrykeyroot", "registrykey", "registrykeysubroot":
//                              when the key is given, the installation folder is recorded
//                              machine-wide under it (DefaultDirectoryProvider), where later
//                              installers look for an earlier installation
// The keys "setfileassoc", "createacceltask", "improvevelora", "runveloratlmx" and
// "sessionkey" concern registrations this operating system has no counterpart for; they are
// accepted and leave no trace.
// One runner serves one installation on one thread.
class COMPONENT_API ProductRegistrationRunner {
public:
    // The host's folders are those of the current user's session.
    explicit ProductRegistrationRunner(const std::map<std::string, std::string>& options);
    ProductRegistrationRunner(const std::map<std::string, std::string>& options,
                              RegistrationHostSettings host);
    ProductRegistrationRunner(const ProductRegistrationRunner&) = default;
    ProductRegistrationRunner& operator=(const ProductRegistrationRunner&) = default;
    virtual ~ProductRegistrationRunner();

    // Carries out every requested action. Each is attempted even when another fails; failures
    // are then reported together in one std::runtime_error.
    virtual void runRegistrationCommands() const;

    // What was installed where, and what the last run of the registration put in place.
    virtual std::u16string getInstallationNotes(const std::vector<std::u16string>& products) const;

    const std::map<std::string, std::string>& options() const { return options_; }
    const RegistrationHostSettings& host() const { return host_; }

private:
    std::string option(const std::string& key) const;
    bool isSelected(const std::string& key) const;

    std::map<std::string, std::string> options_;
    RegistrationHostSettings host_;
    // Lines of the notes, one per action the last run completed.
    mutable std::vector<std::string> completed_;
};

}  // namespace registration::productconfig
