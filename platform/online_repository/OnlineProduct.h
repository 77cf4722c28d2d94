#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"
#include "install/product_api/Product.h"

namespace install::repository_adapter {

// A product the online repository offers: fetched, for every platform asked for, before it is
// installed.
class COMPONENT_API OnlineProduct : public product_api::Product {
public:
    OnlineProduct(std::u16string baseCode, std::u16string name, std::uint64_t downloadBytes,
                  std::uint64_t installBytes, std::vector<std::u16string> dependencies);
    ~OnlineProduct() override;

    std::u16string getBaseCode() const override;
    std::u16string getName() const override;
    // The archives of every platform the repository was configured for.
    std::uint64_t getDownloadSize() const override;
    std::uint64_t getInstallSize() const override;
    // As the index of the first platform that offers the product lists them.
    std::vector<std::u16string> getDependencies() const override;

private:
    std::u16string baseCode_;
    std::u16string name_;
    std::uint64_t downloadBytes_;
    std::uint64_t installBytes_;
    std::vector<std::u16string> dependencies_;
};

}  // namespace install::repository_adapter
