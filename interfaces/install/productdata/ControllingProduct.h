#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include "install/platformutil/Platform.h"
#include "install/productdata/ProductRecord.h"

namespace install::productdata {

// The controlling product of a set of products (see ProductIdentifier::getControllingProduct).
// A set without one yields a record whose texts and maps are all empty.
class ControllingProduct {
public:
    ControllingProduct() = default;
    explicit ControllingProduct(ProductRecord record) : record_(std::move(record)) {}

    const std::u16string& getBaseCode() const { return record_.baseCode; }
    const std::u16string& getName() const { return record_.name; }
    const std::u16string& getProductFamily() const { return record_.productFamily; }
    const std::map<platformutil::Platform, std::filesystem::path>& getRelativeProductPath() const {
        return record_.relativeProductPath;
    }
    const std::map<std::u16string, std::u16string>& getDetectRunningExe() const {
        return record_.detectRunningExe;
    }
    const std::u16string& getRegistryKeyRoot() const { return record_.registryKeyRoot; }
    const std::u16string& getRegistryKey() const { return record_.registryKey; }
    const std::u16string& getRegistryKeySubRoot() const { return record_.registryKeySubRoot; }
    bool getIsRequiredForMacOSApp() const { return record_.isRequiredForMacOSApp; }
    const ProductRecord& getRecord() const { return record_; }

private:
    ProductRecord record_;
};

}  // namespace install::productdata
