#include "install/account_service/AccountServiceClient.h"

#include <cstdlib>
#include <fstream>
#include <utility>

#include <nlohmann/json.hpp>

#include "install/platformutil/PlatformUtility.h"

namespace install::account_service {
namespace {

constexpr char kSettingsVariable[] = "VELORA_ACCOUNT_SERVICE_SETTINGS";
constexpr char kSettingsFileName[] = "account_service.json";

}  // namespace

AccountServiceClient::AccountServiceClient() : AccountServiceClient(defaultSettingsFile()) {}

AccountServiceClient::AccountServiceClient(std::filesystem::path settingsFile)
    : settingsFile_(std::move(settingsFile)) {}

AccountServiceClient::~AccountServiceClient() = default;

std::vector<std::string> AccountServiceClient::getMinimalProductSet(const std::string& releaseFamily) const {
    std::error_code error;
    if (!std::filesystem::exists(settingsFile_, error)) return {};
    std::ifstream stream(settingsFile_, std::ios::binary);
    if (!stream) throw AccountServiceException("cannot read account settings " + settingsFile_.string());
    const nlohmann::json settings = nlohmann::json::parse(stream, nullptr, false);
    if (settings.is_discarded() || !settings.is_object()) {
        throw AccountServiceException("account settings " + settingsFile_.string() +
                                      " are not a JSON object");
    }

    if (const auto release = settings.find("releaseFamily"); release != settings.end()) {
        if (!release->is_string()) throw AccountServiceException("\"releaseFamily\" is not a text");
        if (release->get<std::string>() != releaseFamily) return {};
    }
    const auto products = settings.find("minimalProducts");
    if (products == settings.end()) return {};
    if (!products->is_array()) throw AccountServiceException("\"minimalProducts\" is not a list");
    std::vector<std::string> minimal;
    for (const nlohmann::json& product : *products) {
        if (!product.is_string()) throw AccountServiceException("a minimal product is not a base code text");
        minimal.push_back(product.get<std::string>());
    }
    return minimal;
}

std::filesystem::path AccountServiceClient::defaultSettingsFile() {
    if (const char* named = std::getenv(kSettingsVariable); named != nullptr && *named != '\0') return named;
    return platformutil::PlatformUtility::getInstallationPath() / kSettingsFileName;
}

AccountServiceException::~AccountServiceException() = default;

}  // namespace install::account_service
