#pragma once

#include <memory>
#include <string>

#include "gates/execution/ConfirmationGate.h"
#include "gates/execution/InstallProgressGate.h"
#include "gates/selection/FolderSelectionGate.h"
#include "gates/selection/ProductSelectionGate.h"
#include "host/CatalogueComponents.h"
#include "host/ReportingRegistrationRunner.h"

// The pages of a run that ask about products, each given the run's product catalogue through its
// factory getters instead of the catalogue beside the installer: what the pages offer, check and
// confirm is then what the engine installs and verifies.
namespace velora::installer {

class CatalogueFolderSelectionGate : public install::product_installer::workflow_utils::FolderSelectionGate {
public:
    CatalogueFolderSelectionGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        CatalogueComponents components);

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override;
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override;
    // Once the online repository has listed its products, they are the run's catalogue and
    // what the run offers.
    bool getAvailableProducts(const std::shared_ptr<RepositoryAdapter>& repository) const override;

private:
    std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler> handler_;
    CatalogueComponents components_;
};

class CatalogueProductSelectionGate
    : public install::product_installer::workflow_utils::ProductSelectionGate {
public:
    CatalogueProductSelectionGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        CatalogueComponents components);

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override;
    std::unique_ptr<install::product_validator::ProductValidator> getProductValidatorPtr() const override;
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override;

private:
    CatalogueComponents components_;
};

class CatalogueConfirmationGate : public install::product_installer::workflow_utils::ConfirmationGate {
public:
    CatalogueConfirmationGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        CatalogueComponents components);

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override;

private:
    CatalogueComponents components_;
};

class CatalogueInstallProgressGate : public install::product_installer::workflow_utils::InstallProgressGate {
public:
    CatalogueInstallProgressGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        CatalogueComponents components, ReportingRegistrationRunner::Warning registrationWarning);

protected:
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override;
    // Through the configured proxy, like every other request of the run.
    std::unique_ptr<install::engine::EngineConfig> getEngineConfigInstance() const override;
    std::unique_ptr<registration::productconfig::ProductRegistrationRunner>
    getProductRegistrationRunnerInstance(const std::u16string& folder) const override;

private:
    CatalogueComponents components_;
    ReportingRegistrationRunner::Warning registrationWarning_;
};

}  // namespace velora::installer
