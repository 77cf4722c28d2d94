#pragma once

#include <filesystem>
#include <utility>

#include "install/validatefolder/FolderValidator.h"

namespace install::validatefolder::test {

// A validator whose application-data and installer folders are the test's own.
class ScratchFolderValidator : public FolderValidator {
public:
    ScratchFolderValidator(std::filesystem::path appData, std::filesystem::path installer)
        : utility_(std::move(appData), std::move(installer)) {}

protected:
    const FolderValidatorUtility& getFolderValidatorUtility() const override { return utility_; }

private:
    class Utility : public FolderValidatorUtility {
    public:
        Utility(std::filesystem::path appData, std::filesystem::path installer)
            : appData_(std::move(appData)), installer_(std::move(installer)) {}
        std::filesystem::path getUserAppDataFolder() const override { return appData_; }
        std::filesystem::path getInstallerFolder() const override { return installer_; }

    private:
        std::filesystem::path appData_;
        std::filesystem::path installer_;
    };

    Utility utility_;
};

}  // namespace install::validatefolder::test
