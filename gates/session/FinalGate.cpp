#include "gates/session/FinalGate.h"

#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

FinalGate::FinalGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler)
    : name(name), handler(handler) {}

FinalGate::~FinalGate() = default;

void FinalGate::processData() {}

void FinalGate::setRequiredData() const {
    handler->setExitStatus(0);
    handler->setDataRequired(name);
}

}  // namespace install::product_installer::workflow_utils
