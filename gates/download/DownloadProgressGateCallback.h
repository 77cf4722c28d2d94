#pragma once

#include <memory>
#include <string>

#include "install/engine/ProgressData.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// Receives the engine's download reports on the engine's threads and turns each into the model's
// download and install records. A download-only run installs nothing: the install record carries
// only the text shown while the installers follow the products, from 99 percent on.
class WORKFLOW_UTILS_API DownloadProgressGateCallback {
public:
    explicit DownloadProgressGateCallback(std::shared_ptr<DataModelHandler> handler);
    DownloadProgressGateCallback(const DownloadProgressGateCallback&);
    DownloadProgressGateCallback& operator=(const DownloadProgressGateCallback&);
    virtual ~DownloadProgressGateCallback();

    void operator()(install::engine::DownloadProgressData data);

protected:
    virtual std::u16string getDownloadMessage(const install::engine::DownloadProgressData& data) const;
    virtual std::u16string getDownloadTitle(const install::engine::DownloadProgressData& data) const;
    virtual std::u16string getInstallTitle(const install::engine::DownloadProgressData& data) const;

private:
    std::shared_ptr<DataModelHandler> handler;
};

}  // namespace install::product_installer::workflow_utils
