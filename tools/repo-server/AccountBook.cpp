// Reading the accounts file, checking credentials and issuing tokens.
#include "AccountBook.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <stdexcept>

namespace velora::tools {
namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A fixed prefix makes a token that leaked into some output easy to find; the rest is 256 bits
// from the system's random source.
std::string freshToken() {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device source;
    std::string token = "vrs-token-";
    for (int word = 0; word < 8; ++word) {
        std::uint32_t bits = source();
        for (int digit = 0; digit < 8; ++digit, bits >>= 4) token += kHex[bits & 15];
    }
    return token;
}

std::string textField(const nlohmann::json& entry, const char* key, const std::string& file) {
    const auto found = entry.find(key);
    if (found == entry.end() || !found->is_string())
        throw std::invalid_argument("every account in " + file + " needs \"" + key + "\" as a text");
    return found->get<std::string>();
}

}  // namespace

std::unique_ptr<AccountBook> AccountBook::read(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) throw std::invalid_argument("cannot read --accounts " + file.string());
    const nlohmann::json document = nlohmann::json::parse(stream, nullptr, false);
    // The parser's own message could quote a password: only the file is named.
    if (document.is_discarded() || !document.is_object() || !document.contains("accounts") ||
        !document.at("accounts").is_array())
        throw std::invalid_argument("--accounts " + file.string() + " must hold {\"accounts\": [...]}");
    auto book = std::make_unique<AccountBook>();
    for (const nlohmann::json& entry : document.at("accounts")) {
        if (!entry.is_object())
            throw std::invalid_argument("every account in " + file.string() + " is an object");
        book->add({textField(entry, "email", file.string()), textField(entry, "password", file.string()),
                   textField(entry, "firstName", file.string()),
                   textField(entry, "lastName", file.string())});
    }
    return book;
}

void AccountBook::add(Account account) {
    const std::lock_guard lock(mutex_);
    const std::string key = lowerCase(account.email);
    accounts_.insert_or_assign(key, std::move(account));
}

std::optional<std::pair<Account, std::string>> AccountBook::signIn(const std::string& email,
                                                                   const std::string& password) {
    const std::lock_guard lock(mutex_);
    const auto found = accounts_.find(lowerCase(email));
    if (found == accounts_.end() || found->second.password != password) return std::nullopt;
    std::string token = freshToken();
    tokens_.insert(token);
    return std::make_pair(found->second, std::move(token));
}

bool AccountBook::isIssued(const std::string& token) const {
    const std::lock_guard lock(mutex_);
    return tokens_.contains(token);
}

}  // namespace velora::tools
