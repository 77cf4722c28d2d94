// The benchmark account's files, address configuration and curl sign-in.
#include "BenchAccount.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "BenchWorkspace.h"
#include "LoopbackRepository.h"

namespace fs = std::filesystem;

namespace velora::bench {

namespace {

constexpr const char* kAccount = "bench@example.org";
constexpr const char* kPassword = "bench-account-password";

// A file only its owner reads.
void writeSecret(const fs::path& file, const std::string& text) {
    std::ofstream(file) << text;
    ::chmod(file.c_str(), 0600);
}

// curl's "@FILE": the value read from a file. Appended piece by piece: g++ 12 at -O3 warns
// falsely (-Wrestrict) on the equivalent concatenation.
std::string fileArgument(const fs::path& file) {
    std::string argument = "@";
    argument += file.string();
    return argument;
}

}  // namespace

BenchAccount::BenchAccount(fs::path secrets) : secrets_(std::move(secrets)) {
    fs::create_directories(secrets_);
    ::chmod(secrets_.c_str(), 0700);
    writeSecret(
        secrets_ / "accounts.json",
        nlohmann::json{
            {"accounts",
             {{{"email", kAccount}, {"password", kPassword}, {"firstName", "Bench"}, {"lastName", "Mark"}}}}}
            .dump());
    writeSecret(secrets_ / "password", std::string(kPassword) + "\n");
    writeSecret(secrets_ / "signin.json",
                nlohmann::json{{"email", kAccount}, {"password", kPassword}}.dump());
}

std::vector<std::string> BenchAccount::serverArguments() const {
    return {"--accounts", (secrets_ / "accounts.json").string()};
}

std::vector<std::string> BenchAccount::installerArguments(const LoopbackRepository& repository) const {
    const fs::path urls = secrets_.parent_path() / "urls.json";
    std::ofstream(urls) << nlohmann::json{
        {"EMBEDDED_SIGNIN", repository.url("signin")},
        {"ONLINE_SERVICE", repository.url("ping")},
        {"PRODUCT_REPOSITORY",
         repository.url()}}.dump();
    return {"--urls",
            urls.string(),
            "--account",
            kAccount,
            "--account-password-file",
            (secrets_ / "password").string()};
}

std::vector<std::string> BenchAccount::signInWithCurl(const fs::path& curl,
                                                      const LoopbackRepository& repository,
                                                      const fs::path& output,
                                                      tools::ChildOutcome& outcome) const {
    const fs::path answer = secrets_ / "signin-answer.json";
    outcome =
        runTimed(curl,
                 {"--silent", "--show-error", "--fail", "-H", "Content-Type: application/json", "--data",
                  fileArgument(secrets_ / "signin.json"), "-o", answer.string(), repository.url("signin")},
                 output, directToLoopback());
    require(outcome, "curl's sign-in", output);
    std::ifstream stream(answer);
    const std::string token = nlohmann::json::parse(stream).at("accessToken");
    std::string header = "Authorization: Bearer ";
    header += token;
    header += '\n';
    writeSecret(secrets_ / "headers", header);
    return {"-H", fileArgument(secrets_ / "headers")};
}

}  // namespace velora::bench
