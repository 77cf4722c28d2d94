#include "OnlineProduct.h"

#include <utility>

namespace install::repository_adapter {

OnlineProduct::OnlineProduct(std::u16string baseCode, std::u16string name, std::uint64_t downloadBytes,
                             std::uint64_t installBytes, std::vector<std::u16string> dependencies)
    : baseCode_(std::move(baseCode)),
      name_(std::move(name)),
      downloadBytes_(downloadBytes),
      installBytes_(installBytes),
      dependencies_(std::move(dependencies)) {}

OnlineProduct::~OnlineProduct() = default;

std::u16string OnlineProduct::getBaseCode() const { return baseCode_; }
std::u16string OnlineProduct::getName() const { return name_; }
std::uint64_t OnlineProduct::getDownloadSize() const { return downloadBytes_; }
std::uint64_t OnlineProduct::getInstallSize() const { return installBytes_; }
std::vector<std::u16string> OnlineProduct::getDependencies() const { return dependencies_; }

}  // namespace install::repository_adapter
