#include "InstalledProduct.h"

#include <utility>

namespace install::engine {

InstalledProduct::InstalledProduct(std::u16string baseCode, std::u16string name, std::u16string productFamily)
    : baseCode_(std::move(baseCode)), name_(std::move(name)), productFamily_(std::move(productFamily)) {}

InstalledProduct::~InstalledProduct() = default;

std::u16string InstalledProduct::getBaseCode() const { return baseCode_; }
std::u16string InstalledProduct::getName() const { return name_; }
std::uint64_t InstalledProduct::getDownloadSize() const { return 0; }
std::uint64_t InstalledProduct::getInstallSize() const { return 0; }
const std::u16string& InstalledProduct::getProductFamily() const { return productFamily_; }

}  // namespace install::engine
