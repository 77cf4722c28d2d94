#pragma once

#include <string>

#include "foundation/ComponentExport.h"
#include "install/product_api/Product.h"

namespace install::engine {

// A product found in an installation folder. It is already in place, so it has nothing left to
// download or unpack.
class COMPONENT_API InstalledProduct : public product_api::Product {
public:
    InstalledProduct(std::u16string baseCode, std::u16string name, std::u16string productFamily);
    ~InstalledProduct() override;

    std::u16string getBaseCode() const override;
    std::u16string getName() const override;
    std::uint64_t getDownloadSize() const override;
    std::uint64_t getInstallSize() const override;
    const std::u16string& getProductFamily() const;

private:
    std::u16string baseCode_;
    std::u16string name_;
    std::u16string productFamily_;
};

}  // namespace install::engine
