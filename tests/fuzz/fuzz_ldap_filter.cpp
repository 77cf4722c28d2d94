// Service filters: the first line is the filter, the others "name=value" properties of a
// service. A malformed filter is std::invalid_argument, and "(!filter)" is well formed exactly
// when the filter is and matches exactly the services it does not.
#include <algorithm>
#include <cctype>
#include <optional>
#include <sstream>

#include "FuzzSupport.h"
#include "microservices/LdapFilter.h"

using microservices::LdapFilter;

namespace {

std::optional<LdapFilter> parsed(std::string_view text) {
    try {
        return LdapFilter(text);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream lines{std::string(velora::fuzz::text(data, size))};
    std::string text;
    std::getline(lines, text);
    microservices::ServiceProperties properties;
    for (std::string line; std::getline(lines, line);) {
        if (const auto equals = line.find('='); equals != std::string::npos)
            properties[line.substr(0, equals)] = line.substr(equals + 1);
    }
    const auto filter = parsed(text);
    // A blank filter matches every service, but "(!)" is no filter at all.
    if (std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c) != 0; })) return 0;
    const auto negated = parsed("(!" + text + ")");
    velora::fuzz::check(filter.has_value() == negated.has_value());
    if (filter) velora::fuzz::check(filter->matches(properties) != negated->matches(properties));
    return 0;
}
