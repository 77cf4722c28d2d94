#pragma once

#include <memory>
#include <string>

#include "install/engine/DiskSpaceValidator.h"
#include "install/validatefolder/FolderValidator.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The page of the Vantapak workflow on which the packaged application's folder is chosen. It
// proposes the folder the application's record holds and accepts the user's choice only when the
// folder validator's rules allow it and its drive has room for the application; the folder is
// stored in the record only then. Every problem is a failure page without a title, except a lack
// of space, which has one. A refusal the page does not know leaves processData as a
// std::runtime_error with the validator's text.
class WORKFLOW_UTILS_API UserAppFolderSelectionGate : public install::workflow_manager::Gate {
public:
    UserAppFolderSelectionGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    UserAppFolderSelectionGate(const UserAppFolderSelectionGate&) = default;
    UserAppFolderSelectionGate(UserAppFolderSelectionGate&&) noexcept = default;
    UserAppFolderSelectionGate& operator=(const UserAppFolderSelectionGate&) = default;
    UserAppFolderSelectionGate& operator=(UserAppFolderSelectionGate&&) noexcept = default;
    ~UserAppFolderSelectionGate() override;

    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;

protected:
    virtual bool isFolderValid(const std::u16string& folder) const;
    virtual void logMessage(const std::u16string& text) const;
    virtual std::unique_ptr<install::validatefolder::FolderValidator> getFolderValidator() const;
    virtual std::u16string getFolderInvalidErrorMessage() const;
    virtual std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const;

private:
    void updateErrorInformation(bool& valid, const std::u16string& message) const;
    // Whether the folder's drive can hold the application; the failure page when not.
    bool hasRoomForApplication(const std::u16string& folder) const;

    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
};

}  // namespace install::product_installer::workflow_utils
