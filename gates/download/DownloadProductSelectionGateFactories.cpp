// The outside components the download product page works with, each made new for the operation
// that needs it.
#include "gates/download/DownloadProductSelectionGate.h"
#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

std::unique_ptr<install::engine::RequiredSizeCalculator>
DownloadProductSelectionGate::getRequiredSizeCalculatorInstance() const {
    return std::make_unique<install::engine::RequiredSizeCalculator>();
}

std::unique_ptr<install::productidentifier::ProductIdentifier>
DownloadProductSelectionGate::getProductIdentifier() const {
    return std::make_unique<install::productidentifier::ProductIdentifier>();
}

std::unique_ptr<install::product_validator::ProductSelection>
DownloadProductSelectionGate::getProductSelectionPtr() const {
    return std::make_unique<install::product_validator::ProductSelection>();
}

std::unique_ptr<install::engine::DiskSpaceValidator>
DownloadProductSelectionGate::getDiskSpaceValidatorInstance() const {
    return std::make_unique<install::engine::DiskSpaceValidator>();
}

std::unique_ptr<install::product_validator::ProductValidator>
DownloadProductSelectionGate::getProductValidatorPtr() const {
    return std::make_unique<install::product_validator::ProductValidator>();
}

}  // namespace install::product_installer::workflow_utils
