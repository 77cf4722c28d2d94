#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::instlicutil {

// Knows the licence-manager services installed on the machine, so that an installation does not
// set up a second service beside one that already serves licences from elsewhere. The services
// are listed in a JSON file (UTF-8 texts):
//
//   { "services": [ { "name": "Velora License Server", "folder": "/opt/velora_license_server",
//                     "running": true } ] }
//
// No file means no service is installed.
class COMPONENT_API LicenseManagerServiceUtility {
public:
    // Reads defaultServicesFile().
    LicenseManagerServiceUtility();
    explicit LicenseManagerServiceUtility(std::filesystem::path servicesFile);
    virtual ~LicenseManagerServiceUtility();

    // Returns when no running service is installed in a folder other than `installFolder`;
    // otherwise throws LMServiceExistsException naming the first such service and its folder.
    // Folders are compared lexically, ignoring "." parts and a trailing separator. A list that
    // cannot be read throws UnableToFindLMServiceException.
    virtual void checkIfLMServiceExists(const std::u16string& installFolder) const;

    // The file named by VELORA_LICENSE_MANAGER_SERVICES when set, else
    // "license_manager_services.json" in the running installer's folder.
    static std::filesystem::path defaultServicesFile();

private:
    std::filesystem::path servicesFile_;
};

class COMPONENT_API LMServiceExistsException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~LMServiceExistsException() override;
};

class COMPONENT_API UnableToFindLMServiceException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~UnableToFindLMServiceException() override;
};

}  // namespace install::instlicutil
