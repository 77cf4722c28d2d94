#include "microservices/LdapFilter.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <utility>
#include <vector>

namespace microservices {

struct LdapFilter::Node {
    enum class Kind { And, Or, Not, Equal, Present };
    Kind kind = Kind::Equal;
    std::vector<std::unique_ptr<Node>> children;
    std::string attribute;
    // The value split at its unescaped '*': one part means exact equality, more mean a substring
    // match (first part a prefix, last a suffix, the others in order in between).
    std::vector<std::string> parts;
};

namespace {

using Node = LdapFilter::Node;

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::unique_ptr<Node> parseAll() {
        skipBlanks();
        auto node = parseFilter();
        skipBlanks();
        if (position_ != text_.size()) fail("unexpected text after the filter");
        return node;
    }

private:
    [[noreturn]] void fail(const std::string& reason) const {
        throw std::invalid_argument("Malformed LDAP filter \"" + std::string(text_) + "\" at " +
                                    std::to_string(position_) + ": " + reason);
    }

    void skipBlanks() {
        while (position_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[position_])) != 0) {
            ++position_;
        }
    }

    void expect(char c) {
        if (position_ >= text_.size() || text_[position_] != c) fail(std::string("'") + c + "' expected");
        ++position_;
    }

    std::unique_ptr<Node> parseFilter() {
        expect('(');
        skipBlanks();
        if (position_ >= text_.size()) fail("filter ends early");
        std::unique_ptr<Node> node;
        const char c = text_[position_];
        if (c == '&' || c == '|') {
            ++position_;
            node = std::make_unique<Node>();
            node->kind = c == '&' ? Node::Kind::And : Node::Kind::Or;
            skipBlanks();
            while (position_ < text_.size() && text_[position_] == '(') {
                node->children.push_back(parseFilter());
                skipBlanks();
            }
            if (node->children.empty()) fail("an operator needs at least one filter");
        } else if (c == '!') {
            ++position_;
            skipBlanks();
            node = std::make_unique<Node>();
            node->kind = Node::Kind::Not;
            node->children.push_back(parseFilter());
            skipBlanks();
        } else {
            node = parseItem();
        }
        expect(')');
        return node;
    }

    std::unique_ptr<Node> parseItem() {
        const auto start = position_;
        while (position_ < text_.size() && text_[position_] != '=' && text_[position_] != '(' &&
               text_[position_] != ')') {
            ++position_;
        }
        if (position_ >= text_.size() || text_[position_] != '=') fail("'=' expected");
        std::string_view attribute = text_.substr(start, position_ - start);
        while (!attribute.empty() && std::isspace(static_cast<unsigned char>(attribute.back())) != 0) {
            attribute.remove_suffix(1);
        }
        if (attribute.empty()) fail("property name expected");
        if (std::string_view("~<>").find(attribute.back()) != std::string_view::npos) {
            fail("only equality, presence and substring comparisons are supported");
        }
        ++position_;
        auto node = std::make_unique<Node>();
        node->attribute = lowered(attribute);
        node->parts = parseValue();
        if (node->parts.size() == 2 && node->parts[0].empty() && node->parts[1].empty()) {
            node->kind = Node::Kind::Present;
        }
        return node;
    }

    std::vector<std::string> parseValue() {
        std::vector<std::string> parts(1);
        while (position_ < text_.size() && text_[position_] != ')') {
            const char c = text_[position_];
            if (c == '(') fail("unescaped '(' in a value");
            if (c == '*') {
                parts.emplace_back();
                ++position_;
            } else if (c == '\\') {
                if (position_ + 1 >= text_.size()) fail("escape at the end");
                const int high = hexValue(text_[position_ + 1]);
                const int low = position_ + 2 < text_.size() ? hexValue(text_[position_ + 2]) : -1;
                if (high >= 0 && low >= 0) {
                    parts.back().push_back(static_cast<char>(high * 16 + low));
                    position_ += 3;
                } else {
                    parts.back().push_back(text_[position_ + 1]);
                    position_ += 2;
                }
            } else {
                parts.back().push_back(c);
                ++position_;
            }
        }
        return parts;
    }

    std::string_view text_;
    std::size_t position_ = 0;
};

bool matchesParts(const std::vector<std::string>& parts, std::string_view value) {
    if (parts.size() == 1) return value == parts.front();
    if (value.substr(0, parts.front().size()) != parts.front()) return false;
    value.remove_prefix(parts.front().size());
    for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
        const auto found = value.find(parts[i]);
        if (found == std::string_view::npos) return false;
        value.remove_prefix(found + parts[i].size());
    }
    const auto& last = parts.back();
    return value.size() >= last.size() && value.substr(value.size() - last.size()) == last;
}

const std::string* findProperty(const ServiceProperties& properties, const std::string& loweredName) {
    for (const auto& [name, value] : properties) {
        if (lowered(name) == loweredName) return &value;
    }
    return nullptr;
}

bool evaluate(const Node& node, const ServiceProperties& properties) {
    switch (node.kind) {
        case Node::Kind::And:
            return std::all_of(node.children.begin(), node.children.end(),
                               [&](const auto& child) { return evaluate(*child, properties); });
        case Node::Kind::Or:
            return std::any_of(node.children.begin(), node.children.end(),
                               [&](const auto& child) { return evaluate(*child, properties); });
        case Node::Kind::Not:
            return !evaluate(*node.children.front(), properties);
        case Node::Kind::Present:
            return findProperty(properties, node.attribute) != nullptr;
        case Node::Kind::Equal: {
            const auto* value = findProperty(properties, node.attribute);
            return value != nullptr && matchesParts(node.parts, *value);
        }
    }
    return false;
}

bool isBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c) != 0; });
}

}  // namespace

LdapFilter::LdapFilter(std::string_view text)
    : text_(text), root_(isBlank(text) ? nullptr : Parser(text).parseAll()) {}

LdapFilter::~LdapFilter() = default;
LdapFilter::LdapFilter(const LdapFilter&) = default;
LdapFilter& LdapFilter::operator=(const LdapFilter&) = default;

bool LdapFilter::matches(const ServiceProperties& properties) const {
    return !root_ || evaluate(*root_, properties);
}

const std::string& LdapFilter::text() const { return text_; }

}  // namespace microservices
