#pragma once

#include <memory>
#include <string>
#include <vector>

#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// Makes sure the installer's folder holds at least one product archive before anything is
// offered. Finding one skips the page silently; finding none shows it and reports why, so
// support can tell a broken download from a missing folder.
class WORKFLOW_UTILS_API ProductFilesDetectionGate : public install::workflow_manager::Gate {
public:
    ProductFilesDetectionGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    ProductFilesDetectionGate(ProductFilesDetectionGate&&) noexcept;
    ProductFilesDetectionGate& operator=(ProductFilesDetectionGate&&) noexcept;
    ~ProductFilesDetectionGate() override;

    void processData() override;
    void setRequiredData() const override;
    // Looks again on every call, so archives copied in while the page is shown are found.
    bool checkIfShouldBeSkipped() const override;
    void skip() const override;

protected:
    // True when one of the folders holds an entry named "*.enc" (file or folder, case-sensitive).
    // A folder that cannot be read ends the search with false.
    virtual bool hasAtleastOneComponent(const std::vector<std::u16string>& folders) const;
    virtual void log_message(const std::u16string& text) const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                         const std::string& details, const std::string& location) const;

private:
    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
};

}  // namespace install::product_installer::workflow_utils
