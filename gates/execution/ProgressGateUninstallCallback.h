#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "install/engine/ProgressData.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// Receives the engine's removal reports on the engine's thread: each becomes the model's
// uninstall record and a new overall removal percentage, and each new percent from 1 to 100 one
// log line.
class WORKFLOW_UTILS_API ProgressGateUninstallCallback {
public:
    explicit ProgressGateUninstallCallback(const std::shared_ptr<DataModelHandler>& handler);
    virtual ~ProgressGateUninstallCallback();

    void operator()(install::engine::UninstallProgressData data);

protected:
    virtual void log(const std::u16string& text) const;
    virtual std::u16string getUninstallMessage(const install::engine::UninstallProgressData& data) const;
    virtual std::u16string getUninstallTitle(const install::engine::UninstallProgressData& data) const;

private:
    std::int64_t lastPercentLogged = 0;
    std::shared_ptr<DataModelHandler> handler;
};

}  // namespace install::product_installer::workflow_utils
