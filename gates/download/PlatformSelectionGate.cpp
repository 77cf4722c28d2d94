// The platform page's step protocol and what it records of the user's choice. Whether the online
// repository can serve that choice is decided in PlatformSelectionGateRepository.cpp.
#include "gates/download/PlatformSelectionGate.h"

#include "fl/i18n/TextConversion.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"

namespace install::product_installer::workflow_utils {

namespace {

// Session figure agreed with the diagnostics service: the platforms chosen.
constexpr install::tlmx::SessionDataKey kPlatformsChosen{44};

}  // namespace

PlatformSelectionGate::PlatformSelectionGate(const std::u16string& name,
                                             const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler), tlmxUtil(std::make_shared<install::tlmx::TlmxUtil>()) {}

PlatformSelectionGate::PlatformSelectionGate(const PlatformSelectionGate& other) = default;
PlatformSelectionGate::PlatformSelectionGate(PlatformSelectionGate&&) noexcept = default;
PlatformSelectionGate& PlatformSelectionGate::operator=(const PlatformSelectionGate& other) = default;
PlatformSelectionGate& PlatformSelectionGate::operator=(PlatformSelectionGate&&) noexcept = default;
PlatformSelectionGate::~PlatformSelectionGate() = default;

void PlatformSelectionGate::setServiceRegistry(
    const std::shared_ptr<microservices::ServiceRegistry>& registry) {
    serviceRegistry = registry;
}

void PlatformSelectionGate::setDefaultData() const {
    handler->setDefaultPlatform(handler->getExecutionPlatform());
}

void PlatformSelectionGate::setRequiredData() const { handler->setDataRequired(name); }

void PlatformSelectionGate::processData() {
    std::u16string platforms;
    for (const auto& platform : handler->getDownloadPlatforms()) {
        platforms += (platforms.empty() ? u"" : u" ") + platform;
    }
    logMessage(u"User selected the following platform(s): " + platforms);
    diagnosticsData.add(kPlatformsChosen, fl::i18n::to_string(platforms));
    if (!doProductsExist()) return;
    handler->setAsValid();
    handler->setAsDataProcessed();
}

void PlatformSelectionGate::logMessage(const std::u16string& message) const {
    install::cpputil::logger::append_message(message);
}

install::tlmx::DiagnosticsData::Map PlatformSelectionGate::getDiagnosticsData() const {
    return diagnosticsData.getData();
}

void PlatformSelectionGate::collectErrorInfoForTlmx(const std::string& errorCode,
                                                    const std::string& primaryMessage,
                                                    const std::string& secondaryMessage,
                                                    const std::string& location) const {
    tlmxUtil->collectErrorInfo(errorCode, primaryMessage, secondaryMessage, location);
}

std::string PlatformSelectionGate::getDownloadFolder() const { return "DownloadFolder"; }

}  // namespace install::product_installer::workflow_utils
