#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "install/engine/ProgressData.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// Receives the engine's install reports on the engine's thread: each becomes the model's
// install record and a new overall percentage, and each new percent from 1 to 100 one log line,
// so the log shows how far a run got without a line per report.
class WORKFLOW_UTILS_API ProgressGateInstallCallback {
public:
    explicit ProgressGateInstallCallback(const std::shared_ptr<DataModelHandler>& handler);
    virtual ~ProgressGateInstallCallback();

    void operator()(install::engine::InstallProgressData data);

protected:
    virtual void log(const std::u16string& text) const;
    virtual std::u16string getInstallMessage(const install::engine::InstallProgressData& data) const;
    virtual std::u16string getInstallTitle(const install::engine::InstallProgressData& data) const;

private:
    std::int64_t lastPercentLogged = 0;
    std::shared_ptr<DataModelHandler> handler;
};

}  // namespace install::product_installer::workflow_utils
