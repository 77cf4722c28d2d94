#pragma once

#include <filesystem>

#include "foundation/ComponentExport.h"

namespace install::validatefolder {

// The machine facts a FolderValidator compares a folder with. A validator subclass may hand out
// another utility (FolderValidator::getFolderValidatorUtility) to point them elsewhere.
class COMPONENT_API FolderValidatorUtility {
public:
    FolderValidatorUtility();
    virtual ~FolderValidatorUtility();

    // DefaultDirectoryProvider::getUserAppDataDirectory; empty when unknown.
    virtual std::filesystem::path getUserAppDataFolder() const;
    // PlatformUtility::getInstallationPath; empty when unknown.
    virtual std::filesystem::path getInstallerFolder() const;
};

}  // namespace install::validatefolder
