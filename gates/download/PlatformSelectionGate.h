#pragma once

#include <memory>
#include <string>

#include "install/repository_adapter/RepositoryAdapter.h"
#include "install/tlmx/DiagnosticsData.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/Gate.h"
#include "microservices/ServiceRegistry.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The page on which the user picks the platforms to download for. Before the user may go on it
// proves that the online repository answers and holds products for the release; the repository
// it configured for the chosen platforms is left in the model, where the download pages after
// it find it, even when the proof fails.
//
// The online repository is a service of the host ("(type=onlineproduct)"), handed to the gate
// with setServiceRegistry; without one, processData throws std::runtime_error.
class WORKFLOW_UTILS_API PlatformSelectionGate : public install::workflow_manager::Gate {
public:
    using RepositoryAdapter = install::repository_adapter::RepositoryAdapter;

    PlatformSelectionGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    // A copy shares the handler, the diagnostics collector and the registry.
    PlatformSelectionGate(const PlatformSelectionGate& other);
    PlatformSelectionGate(PlatformSelectionGate&&) noexcept;
    PlatformSelectionGate& operator=(const PlatformSelectionGate& other);
    PlatformSelectionGate& operator=(PlatformSelectionGate&&) noexcept;
    ~PlatformSelectionGate() override;

    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;

    void setServiceRegistry(const std::shared_ptr<microservices::ServiceRegistry>& registry);

protected:
    virtual void logMessage(const std::u16string& message) const;
    virtual install::tlmx::DiagnosticsData::Map getDiagnosticsData() const;
    virtual bool doProductsExist() const;
    // Const, like the checks that call it: the gate itself keeps nothing of the repository.
    virtual std::shared_ptr<RepositoryAdapter> createProductRepoAdapter() const;
    // False, with the failure in the model, when the repository cannot list its products.
    virtual bool readAvailableProducts(const std::shared_ptr<RepositoryAdapter>& adapter) const;
    virtual bool checkAvailableProducts() const;
    virtual void collectErrorInfoForTlmx(const std::string& errorCode, const std::string& primaryMessage,
                                         const std::string& secondaryMessage,
                                         const std::string& location) const;
    // The first part of the location of every repository failure this page reports.
    virtual std::string getDownloadFolder() const;

private:
    // A repository's error text may echo what it was configured with; the secrets stay out.
    std::string withoutSecrets(std::string text) const;

    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::shared_ptr<install::tlmx::TlmxUtil> tlmxUtil;
    install::tlmx::DiagnosticsData diagnosticsData;
    std::shared_ptr<microservices::ServiceRegistry> serviceRegistry;
};

}  // namespace install::product_installer::workflow_utils
