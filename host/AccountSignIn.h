// Signing in to the user's account the way the embedded sign-in page does.
#pragma once

#include <string>

namespace velora::installer {

// How the installer's web pages reach the internet: a proxy address (empty: the system's) and,
// when both are given, the credentials it wants.
struct ProxyRoute {
    std::string address;
    std::string userName;
    std::string password;
};

struct SignInOutcome {
    enum class Result { SignedIn, Refused, BackendError };
    Result result = Result::BackendError;
    std::string accessToken;
    std::string email;
    std::string firstName;
    std::string lastName;
    // Why there is no token, for the user and the log: never a password or a token.
    std::string details;
};

// One POST of {"email", "password"} (JSON) to the sign-in address. The account service answers
// 200 with {"accessToken", "firstName", "lastName", "email"}, 401 or 403 with {"error"} when it
// refuses the credentials; anything else is the back end failing.
class AccountSignIn {
public:
    AccountSignIn(std::string endPoint, ProxyRoute proxy, long timeoutSeconds = 30);

    SignInOutcome signIn(const std::string& email, const std::string& password) const;

    // What the answer `body` with HTTP `status` from the service at `service` means.
    static SignInOutcome interpret(long status, const std::string& body, const std::string& service);

private:
    std::string endPoint_;
    ProxyRoute proxy_;
    long timeoutSeconds_;
};

}  // namespace velora::installer
