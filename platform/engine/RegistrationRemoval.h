#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "InstallationManifest.h"

namespace install::engine {

// Takes away launchers, command links and registry records an installation placed outside its
// folder, each only while it is still what was placed there. They lie outside the installation's
// staging area, so what was removed is remembered here and put back unless the removal is kept.
class RegistrationRemoval {
public:
    RegistrationRemoval() = default;
    // Puts back what was removed, unless keep() was called.
    ~RegistrationRemoval();
    RegistrationRemoval(const RegistrationRemoval&) = delete;
    RegistrationRemoval& operator=(const RegistrationRemoval&) = delete;

    // True when it is gone (or was gone already); otherwise `why` says why it stays.
    bool remove(const InstalledRegistration& registration, std::string& why);
    void keep() { kept_ = true; }

private:
    bool removeRecord(const InstalledRegistration& registration, std::string& why);

    struct Removed {
        InstalledRegistration registration;
        std::string content;
        std::filesystem::perms permissions = std::filesystem::perms::none;
    };

    std::vector<Removed> removed_;
    bool kept_ = false;
};

}  // namespace install::engine
