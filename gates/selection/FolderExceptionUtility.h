#pragma once

#include <memory>
#include <string>

#include "install/tlmx/TlmxUtil.h"
#include "install/validatefolder/FolderValidator.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The folder check of pages that have no folder rules of their own (download folder, packaged
// application folder): asks the folder validator and turns a refusal into a failure the user
// sees, a log line and a diagnostics record. Stateless; create one per check or keep one.
//
// The private operations are virtual so that a subclass can replace the validator, the log,
// the wording and the diagnostics sink.
class WORKFLOW_UTILS_API FolderExceptionUtility {
public:
    FolderExceptionUtility() = default;
    FolderExceptionUtility(const FolderExceptionUtility&) = default;
    FolderExceptionUtility(FolderExceptionUtility&&) = default;
    FolderExceptionUtility& operator=(const FolderExceptionUtility&) = default;
    FolderExceptionUtility& operator=(FolderExceptionUtility&&) = default;
    virtual ~FolderExceptionUtility();

    // True when the validator accepts the folder (creating it when missing). A refusal answers
    // false; a recognised one also replaces the model's validation status, an unrecognised one
    // only reaches the log and diagnostics. Neither pointer may be null.
    virtual bool isAValidFolder(const std::u16string& folder,
                                const std::shared_ptr<DataModelHandler>& handler,
                                const std::shared_ptr<install::tlmx::TlmxUtil>& diagnostics) const;

private:
    virtual void log_message(const std::u16string& message) const;
    virtual std::unique_ptr<install::validatefolder::FolderValidator> getFolderValidator() const;
    virtual void updateErrorInformation(bool& valid, const std::u16string& message,
                                        const std::shared_ptr<DataModelHandler>& handler) const;
    virtual std::u16string getFolderInvalidErrorMessage() const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                         const std::string& details, const std::string& location,
                                         const std::shared_ptr<install::tlmx::TlmxUtil>& diagnostics) const;
};

}  // namespace install::product_installer::workflow_utils
