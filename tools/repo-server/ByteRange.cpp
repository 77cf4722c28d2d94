#include "ByteRange.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

namespace velora::tools {
namespace {

std::optional<std::uint64_t> number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

ByteRange ByteRange::resolve(const std::string& header, std::uint64_t size) {
    constexpr std::string_view kUnit = "bytes=";
    const std::string_view text(header);
    if (!text.starts_with(kUnit) || text.find(',') != std::string_view::npos) return {};
    const std::string_view bounds = text.substr(kUnit.size());
    const auto dash = bounds.find('-');
    const ByteRange unsatisfiable{Kind::Unsatisfiable};
    if (dash == std::string_view::npos) return unsatisfiable;
    const auto first = number(bounds.substr(0, dash));
    const std::string_view lastText = bounds.substr(dash + 1);
    const auto last = number(lastText);
    if (!first) {
        // "-N": the last N bytes.
        if (dash != 0 || !last || *last == 0 || size == 0) return unsatisfiable;
        return {Kind::Part, size - std::min(*last, size), size - 1};
    }
    if (*first >= size || (!lastText.empty() && (!last || *last < *first))) return unsatisfiable;
    return {Kind::Part, *first, last ? std::min(*last, size - 1) : size - 1};
}

}  // namespace velora::tools
