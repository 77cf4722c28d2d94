#pragma once

// Renders several values as one line of text, so that a test can compare everything one
// operation left behind with a single literal, and a failure shows all of it at once:
//   EXPECT_EQ(joined(handler.getReleaseFamily(), handler.getUpdateLevel()), "2031.1|-5");
// UTF-16 texts appear as UTF-8, lists as "[a,b]", booleans as "true" / "false", enumerations
// as their number.

#include <concepts>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "fl/i18n/TextConversion.h"

namespace workflow_test {

inline std::string valueText(const std::u16string& text) { return fl::i18n::to_string(text); }
inline std::string valueText(const std::string& text) { return text; }
inline std::string valueText(const char* text) { return text; }
inline std::string valueText(bool value) { return value ? "true" : "false"; }

template <class T>
requires(std::integral<T> && !std::same_as<T, bool>) std::string valueText(T value) {
    return std::to_string(value);
}

template <class T>
requires std::is_enum_v<T> std::string valueText(T value) {
    return std::to_string(static_cast<long long>(value));
}

template <class T>
std::string valueText(const std::vector<T>& values) {
    std::string text = "[";
    for (const auto& value : values) {
        if (text.size() > 1) text += ',';
        text += valueText(value);
    }
    return text + "]";
}

// A table row prints as its name, in test names (`rowName` names an instantiation's tests) and in
// failure messages alike, never as a dump of its bytes; a test file brings the printer into its
// rows' namespace with `using workflow_test::PrintTo;`.
template <class Row>
requires requires(const Row& row) { row.name; }
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

inline constexpr auto rowName = [](const auto& info) { return std::string(info.param.name); };

template <class First, class... Rest>
std::string joined(const First& first, const Rest&... rest) {
    return (valueText(first) + ... + ("|" + valueText(rest)));
}

}  // namespace workflow_test
