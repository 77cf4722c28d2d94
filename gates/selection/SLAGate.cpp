#include "gates/selection/SLAGate.h"

#include "fl/i18n/Message.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"

namespace install::product_installer::workflow_utils {

SLAGate::SLAGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler), tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()) {}

SLAGate::SLAGate(const SLAGate& other)
    : install::workflow_manager::Gate(other),
      name(other.name),
      handler(other.handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>(*other.tlmxUtil)) {}

SLAGate::SLAGate(SLAGate&&) noexcept = default;

SLAGate& SLAGate::operator=(const SLAGate& other) {
    if (this != &other) {
        SLAGate copy(other);
        *this = std::move(copy);
    }
    return *this;
}

SLAGate& SLAGate::operator=(SLAGate&&) noexcept = default;

SLAGate::~SLAGate() = default;

bool SLAGate::checkIfShouldBeSkipped() const {
    if (handler->getIsAgreeToLicense()) return true;
    using install::datamodels::product_installer::UpdateScenario;
    return handler->getIsVantapakInstallation() &&
           handler->getUpdateScenario() != UpdateScenario::FreshInstallation;
}

void SLAGate::setRequiredData() const { handler->setDataRequired(name); }

void SLAGate::skip() const { handler->setDataProcessed(name); }

void SLAGate::processData() {
    if (handler->getIsAgreeToLicense()) {
        handler->joinArchiveReadingThread();
        handler->setAsValid();
        handler->setAsDataProcessed();
        log_message(u"License Agreement validation is successful.");
        return;
    }
    const auto message = fl::i18n::message("agreeToLicenseErrorMsg");
    log_message(message);
    handler->setCurrentValidationFailure(install::datamodels::product_installer::validationResultType(11),
                                         message, u"");
    collectErrorInfoForTlmx("1850", "User declined license agreement", "", "SLAGate::AgreeToLicense");
}

void SLAGate::log_message(const std::u16string& message) const {
    install::cpputil::logger::append_message(message);
}

void SLAGate::collectErrorInfoForTlmx(const std::string& code, const std::string& message,
                                      const std::string& details, const std::string& location) const {
    tlmxUtil->collectErrorInfo(code, message, details, location);
}

}  // namespace install::product_installer::workflow_utils
