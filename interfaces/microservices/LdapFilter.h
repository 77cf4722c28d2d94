#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/ComponentExport.h"

namespace microservices {

using ServiceProperties = std::map<std::string, std::string>;

// A filter over service properties in LDAP syntax: "(type=onlineproduct)",
// "(&(type=onlineproduct)(!(region=test)))", "(|(a=1)(a=2))", presence "(a=*)" and substrings
// "(name=velora*)". Property names compare without regard to case, values exactly; a backslash
// makes the next character literal ("\*", "\(", or two hex digits as in "\2a").
class COMPONENT_API LdapFilter {
public:
    // Throws std::invalid_argument when the text is not a well-formed filter. An empty text (or
    // one of blanks only) matches every service.
    explicit LdapFilter(std::string_view text);
    ~LdapFilter();
    LdapFilter(const LdapFilter&);
    LdapFilter& operator=(const LdapFilter&);

    bool matches(const ServiceProperties& properties) const;
    const std::string& text() const;

    struct Node;

private:
    std::string text_;
    std::shared_ptr<const Node> root_;
};

}  // namespace microservices
