#include "gates/selection/OptionSelectionGate.h"

#include <exception>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"

namespace install::product_installer::workflow_utils {

namespace {

// The installer's own product code, by which the usage-data service knows who is asking.
constexpr char kInstallerProductCode[] = "VPI";
// The installer is built for this platform; the privacy policy is the one of its download.
constexpr char16_t kInstallerPlatformCode[] = u"w64pc";
constexpr char16_t kDefaultSymbolicLinkPath[] = u"/usr/local/bin";

}  // namespace

OptionSelectionGate::OptionSelectionGate(const std::u16string& name,
                                         const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler), tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()) {}

OptionSelectionGate::OptionSelectionGate(const OptionSelectionGate& other)
    : install::workflow_manager::Gate(other),
      name(other.name),
      handler(other.handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>(*other.tlmxUtil)) {}

OptionSelectionGate::OptionSelectionGate(OptionSelectionGate&&) noexcept = default;

OptionSelectionGate& OptionSelectionGate::operator=(const OptionSelectionGate& other) {
    if (this != &other) {
        OptionSelectionGate copy(other);
        *this = std::move(copy);
    }
    return *this;
}

OptionSelectionGate& OptionSelectionGate::operator=(OptionSelectionGate&&) noexcept = default;

OptionSelectionGate::~OptionSelectionGate() = default;

void OptionSelectionGate::setDefaultData() const {
    handler->initializeOptionSelectionModel();
    setOptions();
}

void OptionSelectionGate::setRequiredData() const { handler->setDataRequired(name); }

void OptionSelectionGate::clearInputData() const { handler->resetOptionSelectionModel(); }

bool OptionSelectionGate::checkIfShouldBeSkipped() const { return !areThereAnyOptionsToDisplay(); }

void OptionSelectionGate::skip() const { handler->setDataProcessed(name); }

void OptionSelectionGate::processData() {
    bool ok = true;
    // One folder or service problem at a time: the symbolic link is settled first.
    if (handler->isSymbolicLinkSelected()) {
        ok = validateSymbolicLinkOption();
    } else if (handler->getIsConfigureLMAsServiceSelected()) {
        ok = validateConfigureLMAsAServiceOption();
    }
    if (!ok) return;
    handler->setAsValid();
    handler->setAsDataProcessed();
    logMessage(u"Option selection validation is successful.");
}

bool OptionSelectionGate::areThereAnyOptionsToDisplay() const {
    return handler->getOptionToDisplayListSize() > 0;
}

void OptionSelectionGate::setOptions() const {
    const auto selected = handler->getSelectedProducts();
    const Platform platform = getCurrentPlatform();
    const TLMXSettingsClientResponse response = getTLMXSettingsClientResponse();
    const auto utility = getOptionSelectionGateUtility();
    const OptionTypes optionTypes = utility->getOptionTypes(selected, platform, response);
    insertOptions(optionTypes, response);
    setDefaultDataForOptions(optionTypes, response);
}

void OptionSelectionGate::insertOptions(const OptionTypes& optionTypes,
                                        const TLMXSettingsClientResponse& response) const {
    handler->clearOptionsToDisplayList();
    for (const OptionType type : optionTypes) {
        switch (type) {
            case OptionType::DesktopShortcut:
                insertDesktopShortcutOption(false);
                break;
            case OptionType::SymbolicLink:
                insertSymbolicLinkOption(false);
                break;
            case OptionType::ImproveVelora:
                setPrivacyPolicyUrl();
                // Shown but locked when the service decides for the user.
                insertImproveVeloraOption(!response.isTLMXCheckboxSelectable());
                break;
            case OptionType::StartMenuShortcut:
                // Always created where offered; there is nothing for the user to choose.
                break;
            case OptionType::ConfigureLMAsService:
                insertConfigureLMAsAServiceOption(false);
                break;
        }
    }
}

void OptionSelectionGate::setDefaultDataForOptions(const OptionTypes& optionTypes,
                                                   const TLMXSettingsClientResponse& response) const {
    for (const OptionType type : optionTypes) {
        switch (type) {
            case OptionType::DesktopShortcut:
                handler->setIsDesktopShortcutSelected(getDefaultForIsDesktopShortcutSelected());
                break;
            case OptionType::SymbolicLink:
                handler->setIsSymbolicLinkSelected(getDefaultForIsSymbolicLinkSelected());
                handler->setSymbolicLinkPath(getDefaultSymbolicLinkPath());
                break;
            case OptionType::ImproveVelora:
                handler->setIsImproveVeloraSelected(response.isTLMXCheckboxChecked());
                break;
            case OptionType::StartMenuShortcut:
                handler->setIsStartMenuShortcutSelected(getDefaultForIsStartMenuShortcutSelected());
                break;
            case OptionType::ConfigureLMAsService:
                handler->setIsConfigureLMAsServiceSelected(getDefaultForIsConfigureLMAsServiceSelected());
                break;
        }
    }
}

void OptionSelectionGate::insertDesktopShortcutOption(bool isViewOnly) const {
    handler->insertIntoOptionToDisplayList(
        handler->createOptionToDisplay(OptionType::DesktopShortcut, isViewOnly));
}

void OptionSelectionGate::insertSymbolicLinkOption(bool isViewOnly) const {
    handler->insertIntoOptionToDisplayList(
        handler->createOptionToDisplay(OptionType::SymbolicLink, isViewOnly));
}

void OptionSelectionGate::insertImproveVeloraOption(bool isViewOnly) const {
    handler->insertIntoOptionToDisplayList(
        handler->createOptionToDisplay(OptionType::ImproveVelora, isViewOnly));
}

void OptionSelectionGate::insertConfigureLMAsAServiceOption(bool isViewOnly) const {
    handler->insertIntoOptionToDisplayList(
        handler->createOptionToDisplay(OptionType::ConfigureLMAsService, isViewOnly));
}

void OptionSelectionGate::setPrivacyPolicyUrl() const {
    handler->setPrivacyPolicyToDisplay(
        fl::i18n::message("privacyPolicyURL", handler->getReleaseFamily(), kInstallerPlatformCode));
}

OptionSelectionGate::TLMXSettingsClientResponse OptionSelectionGate::getTLMXSettingsClientResponse() const {
    TLMXSettingsClientResponse response(false, false, false);
    try {
        const auto client = getTLMXClientPtr();
        const auto userName = handler->getProxyUserName();
        const auto password = handler->getProxyPassword();
        if (!userName.empty() && !password.empty()) {
            client->setProxyCredentials(fl::i18n::to_string(userName), fl::i18n::to_string(password));
        }
        const auto releaseFamily = fl::i18n::to_string(handler->getReleaseFamily());
        if (handler->isOnlineInstallWorkflow()) {
            response = client->getSettings(kInstallerProductCode, releaseFamily,
                                           fl::i18n::to_string(handler->getAccessToken()));
        } else if (handler->isInteractiveInstallFromFolderWorkflow()) {
            response = client->getSettings(releaseFamily);
        }
    } catch (const std::exception& error) {
        // Without an answer the usage-data option is simply not offered.
        logMessage(fl::i18n::to_u16string(error.what()));
    }
    return response;
}

bool OptionSelectionGate::validateSymbolicLinkOption() const { return isSymbolicLinkFolderValid(); }

std::u16string OptionSelectionGate::getDefaultSymbolicLinkPath() const { return kDefaultSymbolicLinkPath; }

bool OptionSelectionGate::getDefaultForIsDesktopShortcutSelected() const { return false; }

bool OptionSelectionGate::getDefaultForIsSymbolicLinkSelected() const { return false; }

bool OptionSelectionGate::getDefaultForIsStartMenuShortcutSelected() const { return true; }

bool OptionSelectionGate::getDefaultForIsConfigureLMAsServiceSelected() const { return true; }

OptionSelectionGate::Platform OptionSelectionGate::getCurrentPlatform() const {
    return install::platformutil::getCurrentPlatform();
}

void OptionSelectionGate::logMessage(const std::u16string& message) const {
    install::cpputil::logger::append_message(message);
}

void OptionSelectionGate::collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                                  const std::string& details,
                                                  const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, message, details, location);
}

std::unique_ptr<OptionSelectionGateUtility> OptionSelectionGate::getOptionSelectionGateUtility() const {
    return std::make_unique<OptionSelectionGateUtility>();
}

std::unique_ptr<install::tlmxclient::TLMXSettingsClient> OptionSelectionGate::getTLMXClientPtr() const {
    return install::tlmxclient::createTLMXSettingsClientFactory()->createClient();
}

std::unique_ptr<install::validatefolder::FolderValidator> OptionSelectionGate::getFolderValidator() const {
    return std::make_unique<install::validatefolder::FolderValidator>();
}

std::unique_ptr<install::instlicutil::LicenseManagerServiceUtility>
OptionSelectionGate::getLicenseManagerServiceInstance() const {
    return std::make_unique<install::instlicutil::LicenseManagerServiceUtility>();
}

}  // namespace install::product_installer::workflow_utils
