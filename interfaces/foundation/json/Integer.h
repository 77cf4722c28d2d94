#pragma once

// Whole numbers read from untrusted JSON. The library's own conversion casts a floating-point
// value such as 1e90 straight to the integer type (undefined behaviour) and wraps a negative
// value read as unsigned; these refuse both with the library's own exceptions, so callers that
// already turn json::exception into their refusal need nothing else.
#include <concepts>
#include <cstdint>
#include <string>
#include <utility>

#include "foundation/json/Value.h"

namespace foundation::json {

template <std::integral T>
T integerIn(const Value& value) {
    if (!value.is_number_integer())
        throw nlohmann::json::type_error::create(
            302, std::string("type must be a whole number, but is ") + value.type_name(), &value);
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (std::in_range<T>(number)) return static_cast<T>(number);
    } else {
        const auto number = value.get<std::int64_t>();
        if (std::in_range<T>(number)) return static_cast<T>(number);
    }
    throw nlohmann::json::out_of_range::create(406, "the number " + value.dump() + " is out of range",
                                               &value);
}

template <std::integral T>
T integerAt(const Value& object, const char* key) {
    return integerIn<T>(object.at(key));
}

template <std::integral T>
T integerOr(const Value& object, const char* key, T fallback) {
    const auto found = object.find(key);
    return found == object.end() ? fallback : integerIn<T>(*found);
}

}  // namespace foundation::json
