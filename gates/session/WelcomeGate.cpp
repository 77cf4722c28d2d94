#include "gates/session/WelcomeGate.h"

#include "install/cpputil/Logger.h"
#include "workflow_core/PathJoin.h"

namespace install::product_installer::workflow_utils {

WelcomeGate::WelcomeGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler) {}

WelcomeGate::~WelcomeGate() = default;

void WelcomeGate::setDefaultData() const {
    const auto bundleDirectory = handler->getStaticExtractedBundleDirectory();
    const auto logo = handler->getUserAppLogo();
    handler->setUserAppLogo(joinPath(bundleDirectory, logo));
}

void WelcomeGate::setRequiredData() const { handler->setDataRequired(name); }

void WelcomeGate::processData() {
    handler->setAsValid();
    handler->setAsDataProcessed();
}

void WelcomeGate::log_message(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

}  // namespace install::product_installer::workflow_utils
