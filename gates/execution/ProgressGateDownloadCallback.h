#pragma once

#include <memory>
#include <string>

#include "install/engine/ProgressData.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// Receives the engine's download reports on the engine's thread and turns each into the
// model's download record and overall percentage. Downloads are not logged: the install
// reports that follow say the same with fewer lines.
class WORKFLOW_UTILS_API ProgressGateDownloadCallback {
public:
    explicit ProgressGateDownloadCallback(const std::shared_ptr<DataModelHandler>& handler);
    virtual ~ProgressGateDownloadCallback();

    void operator()(install::engine::DownloadProgressData data);

protected:
    virtual std::u16string getDownloadMessage(const install::engine::DownloadProgressData& data) const;
    virtual std::u16string getDownloadTitle(const install::engine::DownloadProgressData& data) const;

private:
    std::shared_ptr<DataModelHandler> handler;
};

}  // namespace install::product_installer::workflow_utils
