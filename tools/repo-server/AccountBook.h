// The accounts the test server signs in, and the access tokens it has issued to them.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace velora::tools {

struct Account {
    std::string email;
    std::string password;
    std::string firstName;
    std::string lastName;
};

// Read from a JSON file:
//   { "accounts": [ { "email": "...", "password": "...", "firstName": "...", "lastName": "..." } ] }
// E-mail addresses are compared without regard to case, passwords exactly. Every successful
// sign-in gets a fresh token; a token stays valid while the server runs. Safe from any thread.
class AccountBook {
public:
    // Throws std::invalid_argument with a message for the user when the file cannot be used.
    static std::unique_ptr<AccountBook> read(const std::filesystem::path& file);

    void add(Account account);
    // The account with a token issued to it, or nothing when the credentials are refused.
    std::optional<std::pair<Account, std::string>> signIn(const std::string& email,
                                                          const std::string& password);
    bool isIssued(const std::string& token) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, Account> accounts_;  // by e-mail address in lower case
    std::set<std::string> tokens_;
};

}  // namespace velora::tools
