#pragma once

#include <memory>
#include <set>
#include <string>

#include "gates/selection/OptionSelectionGateUtility.h"
#include "install/instlicutil/LicenseManagerServiceUtility.h"
#include "install/platformutil/Platform.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/tlmxclient/TLMXSettingsClient.h"
#include "install/validatefolder/FolderValidator.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The page of installation options: shortcuts, a symbolic link to the product's executables,
// sending usage data, and running the licence manager as a service. The selected products and
// the platform decide what is offered (OptionSelectionGateUtility); the usage-data service
// decides whether its option is shown, may be changed, and starts ticked. A page with nothing
// to show is skipped. On the way out the symbolic-link folder, or else the licence-manager
// service, is checked.
class WORKFLOW_UTILS_API OptionSelectionGate : public install::workflow_manager::Gate {
public:
    using OptionType = OptionSelectionGateUtility::OptionType;
    using OptionTypes = OptionSelectionGateUtility::OptionTypes;
    using Platform = install::platformutil::Platform;
    using TLMXSettingsClientResponse = install::tlmxclient::TLMXSettingsClientResponse;

    OptionSelectionGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    // A copy shares the handler.
    OptionSelectionGate(const OptionSelectionGate& other);
    OptionSelectionGate(OptionSelectionGate&&) noexcept;
    OptionSelectionGate& operator=(const OptionSelectionGate& other);
    OptionSelectionGate& operator=(OptionSelectionGate&&) noexcept;
    ~OptionSelectionGate() override;

    // An unrecognised refusal of the symbolic-link folder leaves as install::cpputil::InstallerException.
    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;
    void clearInputData() const override;
    // Answers from the options written by setDefaultData.
    bool checkIfShouldBeSkipped() const override;
    void skip() const override;

protected:
    virtual void logMessage(const std::u16string& message) const;
    virtual void insertDesktopShortcutOption(bool isViewOnly) const;
    virtual void insertSymbolicLinkOption(bool isViewOnly) const;
    virtual void insertImproveVeloraOption(bool isViewOnly) const;
    virtual void insertConfigureLMAsAServiceOption(bool isViewOnly) const;
    virtual bool isSymbolicLinkFolderValid() const;
    virtual std::unique_ptr<install::validatefolder::FolderValidator> getFolderValidator() const;
    virtual std::u16string getFolderInvalidErrorMessage() const;
    virtual std::u16string getDefaultSymbolicLinkPath() const;
    virtual bool getDefaultForIsDesktopShortcutSelected() const;
    virtual bool getDefaultForIsSymbolicLinkSelected() const;
    virtual bool getDefaultForIsStartMenuShortcutSelected() const;
    virtual bool getDefaultForIsConfigureLMAsServiceSelected() const;
    virtual bool areThereAnyOptionsToDisplay() const;
    virtual void setOptions() const;
    virtual std::unique_ptr<OptionSelectionGateUtility> getOptionSelectionGateUtility() const;
    virtual Platform getCurrentPlatform() const;
    virtual void insertOptions(const OptionTypes& optionTypes,
                               const TLMXSettingsClientResponse& response) const;
    virtual void setDefaultDataForOptions(const OptionTypes& optionTypes,
                                          const TLMXSettingsClientResponse& response) const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                         const std::string& details, const std::string& location) const;
    virtual std::unique_ptr<install::tlmxclient::TLMXSettingsClient> getTLMXClientPtr() const;
    // All three answers are no unless the usage-data service is asked and answers.
    virtual TLMXSettingsClientResponse getTLMXSettingsClientResponse() const;
    virtual void setPrivacyPolicyUrl() const;
    virtual bool validateSymbolicLinkOption() const;
    virtual bool validateConfigureLMAsAServiceOption() const;
    virtual std::unique_ptr<install::instlicutil::LicenseManagerServiceUtility>
    getLicenseManagerServiceInstance() const;

private:
    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
};

}  // namespace install::product_installer::workflow_utils
