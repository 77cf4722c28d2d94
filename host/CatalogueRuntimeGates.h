#pragma once

#include <memory>
#include <string>

#include "gates/runtime/PreviousQRTInstallationDetectionGate.h"
#include "gates/runtime/VeloraRuntimeProductSelectionGate.h"
#include "gates/runtime/VeloraRuntimeProgressGate.h"
#include "host/CatalogueComponents.h"
#include "host/ReportingRegistrationRunner.h"
#include "microservices/ServiceRegistry.h"

// The runtime installer's steps that ask about products, each given the run's product catalogue
// and engine through its factory getters, as the other workflows' pages are.
namespace velora::installer {

class CatalogueRuntimeDetectionGate
    : public install::product_installer::workflow_utils::PreviousQRTInstallationDetectionGate {
public:
    CatalogueRuntimeDetectionGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        CatalogueComponents components);

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override;
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override;

private:
    CatalogueComponents components_;
};

// Without runtime archives in the packages, the runtime's products come from the online
// repository of the run's services, configured for the release and update level on offer; its
// products then become the run's catalogue, as the folder page makes them for other workflows.
class CatalogueRuntimeProductSelectionGate
    : public install::product_installer::workflow_utils::VeloraRuntimeProductSelectionGate {
public:
    CatalogueRuntimeProductSelectionGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        CatalogueComponents components, std::shared_ptr<microservices::ServiceRegistry> services);

    void setDefaultData() const override;

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override;
    std::unique_ptr<install::product_validator::ProductValidator> getProductValidatorPtr() const override;
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override;

private:
    void useOnlineRepository() const;

    std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler> handler_;
    CatalogueComponents components_;
    std::shared_ptr<microservices::ServiceRegistry> services_;
};

// Besides the catalogue's engine: the engine states the release it installs in the folder's
// "VersionInfo.xml", and the registration records the runtime's folder in the machine-wide
// registry under its controlling product's key, where the next runtime installer looks for it.
class CatalogueRuntimeProgressGate
    : public install::product_installer::workflow_utils::VeloraRuntimeProgressGate {
public:
    CatalogueRuntimeProgressGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        CatalogueComponents components, ReportingRegistrationRunner::Warning registrationWarning);

protected:
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override;
    std::unique_ptr<install::engine::EngineConfig> getEngineConfigInstance() const override;
    std::unique_ptr<registration::productconfig::ProductRegistrationRunner>
    getProductRegistrationRunnerInstance(const std::u16string& folder) const override;
    void setProductSpecificOptions(RegistrationOptions& options) const override;

private:
    std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler> handler_;
    CatalogueComponents components_;
    ReportingRegistrationRunner::Warning registrationWarning_;
};

}  // namespace velora::installer
