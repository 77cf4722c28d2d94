#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"
#include "install/productdata/ControllingProduct.h"
#include "install/productidentifier/ProductCatalogue.h"

namespace install::productidentifier {

// Answers questions about products from the product catalogue. The catalogue is read on the
// first question, so constructing one never fails; a missing or broken catalogue surfaces as a
// ProductCatalogueException from the question.
class COMPONENT_API ProductIdentifier {
public:
    // The catalogue beside the running installer (getDefaultCataloguePath).
    ProductIdentifier();
    explicit ProductIdentifier(std::filesystem::path catalogueFile);
    explicit ProductIdentifier(std::shared_ptr<const ProductCatalogue> catalogue);
    virtual ~ProductIdentifier();

    // The controlling product of the set: the first controlling product met when looking at the
    // listed products in order and then at their dependencies, nearest first. Never null: a set
    // without one yields an empty record. Unknown base codes are passed over.
    virtual std::shared_ptr<productdata::ControllingProduct> getControllingProduct(
        const std::vector<std::u16string>& products) const;
    // Throw UnknownProductException for a base code the catalogue does not know.
    virtual std::u16string getProductName(const std::u16string& baseCode) const;
    virtual std::u16string getProductFamily(const std::u16string& baseCode) const;
    virtual productdata::ProductRecord getProduct(const std::u16string& baseCode) const;
    // Direct and indirect dependencies, nearest first (see ProductCatalogue::getAllDependencies).
    virtual std::vector<std::u16string> getDependencies(const std::u16string& baseCode) const;
    virtual std::shared_ptr<const ProductCatalogue> getCatalogue() const;

    // "product_catalogue.json" in the running installer's installation path.
    static std::filesystem::path getDefaultCataloguePath();
    static constexpr const char* kCatalogueFileName = "product_catalogue.json";

private:
    const productdata::ProductRecord& require(const std::u16string& baseCode) const;

    std::filesystem::path catalogueFile_;
    mutable std::mutex mutex_;
    mutable std::shared_ptr<const ProductCatalogue> catalogue_;
};

}  // namespace install::productidentifier
