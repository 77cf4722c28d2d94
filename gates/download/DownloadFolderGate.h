#pragma once

#include <map>
#include <memory>
#include <string>

#include "install/platformutil/DefaultDirectoryProvider.h"
#include "install/platformutil/Platform.h"
#include "install/tlmx/DiagnosticsData.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The page on which the folder for a download-only run is chosen. It proposes the platform's
// download folder for the release and accepts the user's folder when the common folder check
// does; a refused folder has already been explained in the model by that check, so the page
// just stays open. The later download pages read the folder from the model.
class WORKFLOW_UTILS_API DownloadFolderGate : public install::workflow_manager::Gate {
public:
    DownloadFolderGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    DownloadFolderGate(DownloadFolderGate&&) noexcept;
    DownloadFolderGate& operator=(DownloadFolderGate&&) noexcept;
    ~DownloadFolderGate() override;

    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;
    void clearInputData() const override;

protected:
    // The platform this installer runs on, never the model's platform choice.
    virtual install::platformutil::Platform getCurrentPlatform() const;
    virtual std::unique_ptr<install::platformutil::DefaultDirectoryProvider> getDefaultDirectoryProvider()
        const;
    virtual bool isDownloadFolderValid(const std::u16string& folder) const;
    virtual install::tlmx::DiagnosticsData::Map getDiagnosticsData() const;
    virtual void logMessage(const std::u16string& message) const;

private:
    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    // Only handed to the folder check, which reports its refusals through it.
    std::shared_ptr<install::tlmx::TlmxUtil> tlmxUtil;
    std::unique_ptr<install::tlmx::DiagnosticsData> diagnosticsData;
};

}  // namespace install::product_installer::workflow_utils
