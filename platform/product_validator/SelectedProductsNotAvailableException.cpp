#include "install/product_validator/SelectedProductsNotAvailableException.h"

#include <utility>

#include "fl/i18n/TextConversion.h"

namespace install::product_validator {
namespace {

std::string describe(const std::vector<std::u16string>& baseCodes) {
    std::string text = "Installation files are not available for:";
    for (std::size_t index = 0; index < baseCodes.size(); ++index) {
        text += (index == 0 ? " " : ", ") + fl::i18n::to_string(baseCodes[index]);
    }
    return text;
}

}  // namespace

SelectedProductsNotAvailableException::SelectedProductsNotAvailableException(
    std::vector<std::u16string> baseCodes)
    : std::runtime_error(describe(baseCodes)), baseCodes_(std::move(baseCodes)) {}

SelectedProductsNotAvailableException::~SelectedProductsNotAvailableException() = default;

const std::vector<std::u16string>& SelectedProductsNotAvailableException::getBasecodeList() const noexcept {
    return baseCodes_;
}

}  // namespace install::product_validator
