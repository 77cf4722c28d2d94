// The outside components the product page works with, each made new for the operation that needs it.
#include "gates/selection/ProductSelectionGate.h"
#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

std::unique_ptr<install::product_validator::ProductSelection> ProductSelectionGate::getProductSelectionPtr()
    const {
    return std::make_unique<install::product_validator::ProductSelection>();
}

std::unique_ptr<install::product_validator::ProductValidator> ProductSelectionGate::getProductValidatorPtr()
    const {
    return std::make_unique<install::product_validator::ProductValidator>();
}

std::unique_ptr<install::account_service::AccountServiceClient>
ProductSelectionGate::getAccountServiceClientInstance() const {
    return std::make_unique<install::account_service::AccountServiceClient>();
}

std::unique_ptr<install::productidentifier::ProductIdentifier> ProductSelectionGate::getProductIdentifier()
    const {
    return std::make_unique<install::productidentifier::ProductIdentifier>();
}

std::unique_ptr<install::engine::Engine> ProductSelectionGate::getEngineInstance() const {
    return install::engine::createEngine();
}

std::unique_ptr<install::engine::RequiredSizeCalculator>
ProductSelectionGate::getRequiredSizeCalculatorInstance() const {
    return std::make_unique<install::engine::RequiredSizeCalculator>();
}

std::unique_ptr<install::engine::DiskSpaceValidator> ProductSelectionGate::getDiskSpaceValidatorInstance()
    const {
    return std::make_unique<install::engine::DiskSpaceValidator>();
}

std::unique_ptr<install::platformutil::VolumeDetector> ProductSelectionGate::getVolumeDetetorInstance()
    const {
    return std::make_unique<install::platformutil::VolumeDetector>();
}

}  // namespace install::product_installer::workflow_utils
