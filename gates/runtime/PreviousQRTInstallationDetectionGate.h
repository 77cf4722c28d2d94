#pragma once

#include <memory>
#include <string>
#include <vector>

#include "install/engine/Engine.h"
#include "install/platformutil/DefaultDirectoryProvider.h"
#include "install/platformutil/Platform.h"
#include "install/productidentifier/ProductIdentifier.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The first step of the runtime installer, without a page of its own: finds out whether the
// runtime is already installed on this machine (the registry records its folder under the key of
// the offered products' controlling product) and, if so, points the installation folder at it
// and records which products it holds at which update level, so that the later steps update
// that installation in place.
class WORKFLOW_UTILS_API PreviousQRTInstallationDetectionGate : public install::workflow_manager::Gate {
public:
    using Platform = install::platformutil::Platform;

    PreviousQRTInstallationDetectionGate(const std::u16string& name,
                                         const std::shared_ptr<DataModelHandler>& handler);
    PreviousQRTInstallationDetectionGate(const PreviousQRTInstallationDetectionGate&) = default;
    PreviousQRTInstallationDetectionGate(PreviousQRTInstallationDetectionGate&&) noexcept = default;
    PreviousQRTInstallationDetectionGate& operator=(const PreviousQRTInstallationDetectionGate&) = default;
    PreviousQRTInstallationDetectionGate& operator=(PreviousQRTInstallationDetectionGate&&) noexcept =
        default;
    ~PreviousQRTInstallationDetectionGate() override;

    void processData() override;
    // Over a test run (isBat) that already knows of an earlier runtime, nothing is looked up again.
    void setDefaultData() const override;
    void setRequiredData() const override;
    void clearInputData() const override;

protected:
    virtual void logMessage(const std::u16string& text) const;
    virtual std::unique_ptr<install::platformutil::DefaultDirectoryProvider> getDefaultDirectoryProvider()
        const;
    virtual std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const;
    // Empty when no runtime is recorded.
    virtual std::u16string getExistingInstallFolder() const;
    virtual Platform getCurrentPlatform() const;
    // Rethrows install::engine::EngineInvalidInstalledProductsException after logging it.
    virtual std::vector<std::u16string> getInstalledProductBasecodes(const std::u16string& folder) const;
    virtual std::unique_ptr<install::engine::Engine> getEngineInstance() const;
    // -1 when the folder's "VersionInfo.xml" is missing or cannot be read.
    virtual int getInstalledAreaUpdateNo(const std::u16string& folder) const;

private:
    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
};

}  // namespace install::product_installer::workflow_utils
