#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"

namespace install::account_service {

// What the user's account says about the installation. Only the minimal product set is asked
// here: the products an account's licence needs at least, which the product page then proposes.
// This client answers from a settings file (JSON, UTF-8 texts):
//
//   { "minimalProducts": ["VELORA", "VELORA_COMPILER"], "releaseFamily": "2031.1" }
//
// "releaseFamily" is optional and limits the set to that release. Without a file, or without
// "minimalProducts", the account has no minimal set.
class COMPONENT_API AccountServiceClient {
public:
    // Reads defaultSettingsFile().
    AccountServiceClient();
    explicit AccountServiceClient(std::filesystem::path settingsFile);
    virtual ~AccountServiceClient();

    // Base codes of the minimal set for the release; empty when the account has none. Throws
    // AccountServiceException when the settings exist but cannot be read.
    virtual std::vector<std::string> getMinimalProductSet(const std::string& releaseFamily) const;

    // The file named by VELORA_ACCOUNT_SERVICE_SETTINGS when set, else "account_service.json" in
    // the running installer's folder.
    static std::filesystem::path defaultSettingsFile();

private:
    std::filesystem::path settingsFile_;
};

class COMPONENT_API AccountServiceException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~AccountServiceException() override;
};

}  // namespace install::account_service
