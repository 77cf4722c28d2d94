#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"

namespace install::product_validator {

// A selection names products the installer cannot install here. what() lists their base codes.
class COMPONENT_API SelectedProductsNotAvailableException : public std::runtime_error {
public:
    explicit SelectedProductsNotAvailableException(std::vector<std::u16string> baseCodes);
    ~SelectedProductsNotAvailableException() override;

    // The offending base codes, in the order they were selected.
    const std::vector<std::u16string>& getBasecodeList() const noexcept;

private:
    std::vector<std::u16string> baseCodes_;
};

}  // namespace install::product_validator
