#pragma once

#include <memory>
#include <string>
#include <utility>

#include "install/online_service/OnlineServiceClient.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// Asks for proxy credentials only when the online service can be reached through nothing but a
// proxy that wants them. The credentials typed in go to the web-service client and to the
// embedded browser that shows the installer's pages; the step completes once the service answers.
class WORKFLOW_UTILS_API ProxyGate : public install::workflow_manager::Gate {
public:
    ProxyGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    ProxyGate(ProxyGate&&) noexcept;
    ProxyGate& operator=(ProxyGate&&) noexcept;
    ~ProxyGate() override;

    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;
    // Any outcome other than "the proxy wants credentials" leaves nothing for this page to fix.
    bool checkIfShouldBeSkipped() const override;
    void skip() const override;

protected:
    virtual std::shared_ptr<install::online_service::OnlineServiceClient> getOnlineServiceClient() const;
    virtual void log_message(const std::u16string& text) const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                         const std::string& details, const std::string& location) const;
    // Hands the credentials to the embedded browser; reports a failure only by throwing.
    virtual void isAppliedSuccessfully(const std::string& user, const std::string& password) const;
    virtual bool isProxyAppliedSuccessfullyToCEF(const std::string& user, const std::string& password) const;
    virtual bool isAuthenticationSuccessful() const;

    // Pings the service with the credentials in the model: (reachable, proxy authentication required).
    std::pair<bool, bool> pingOnlineService() const;

private:
    void showProxyError() const;

    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
};

}  // namespace install::product_installer::workflow_utils
