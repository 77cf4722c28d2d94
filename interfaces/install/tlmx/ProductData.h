#pragma once

#include <cstdint>
#include <string>

#include "foundation/ComponentExport.h"
#include "foundation/json/Value.h"

namespace install::tlmx {

// What the diagnostics service learns of one product the user selected. Texts are UTF-8.
struct ProductData {
    std::string baseCode;
    std::string name;
    std::uint64_t downloadSize = 0;
    std::uint64_t installSize = 0;
    bool downloadable = false;

    bool operator==(const ProductData&) const = default;
};

// The record's JSON form, one member per ProductDataKey, named by keyName.
COMPONENT_API foundation::json::Value toJson(const ProductData& product);

}  // namespace install::tlmx
