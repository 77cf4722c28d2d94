#include "install/instlicutil/LicenseManagerServiceUtility.h"

#include <cstdlib>
#include <fstream>
#include <utility>

#include <nlohmann/json.hpp>

#include "fl/i18n/TextConversion.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::instlicutil {
namespace {

constexpr char kServicesVariable[] = "VELORA_LICENSE_MANAGER_SERVICES";
constexpr char kServicesFileName[] = "license_manager_services.json";

std::filesystem::path comparable(const std::filesystem::path& folder) {
    std::filesystem::path normal = folder.lexically_normal();
    // "/opt/lm/" and "/opt/lm" name the same folder.
    if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
    return normal;
}

nlohmann::json readServices(const std::filesystem::path& file) {
    std::error_code error;
    const bool present = std::filesystem::exists(file, error);
    if (error)
        throw UnableToFindLMServiceException("cannot look for " + file.string() + ": " + error.message());
    if (!present) return nlohmann::json::array();

    std::ifstream stream(file, std::ios::binary);
    if (!stream) throw UnableToFindLMServiceException("cannot read the service list " + file.string());
    const nlohmann::json list = nlohmann::json::parse(stream, nullptr, false);
    if (list.is_discarded() || !list.is_object()) {
        throw UnableToFindLMServiceException("the service list " + file.string() + " is not a JSON object");
    }
    const auto services = list.find("services");
    if (services == list.end()) return nlohmann::json::array();
    if (!services->is_array()) throw UnableToFindLMServiceException("\"services\" is not a list");
    return *services;
}

std::string text(const nlohmann::json& service, const char* name) {
    const auto found = service.find(name);
    if (found == service.end()) return {};
    if (!found->is_string())
        throw UnableToFindLMServiceException(std::string("\"") + name + "\" is not a text");
    return found->get<std::string>();
}

}  // namespace

LicenseManagerServiceUtility::LicenseManagerServiceUtility()
    : LicenseManagerServiceUtility(defaultServicesFile()) {}

LicenseManagerServiceUtility::LicenseManagerServiceUtility(std::filesystem::path servicesFile)
    : servicesFile_(std::move(servicesFile)) {}

LicenseManagerServiceUtility::~LicenseManagerServiceUtility() = default;

void LicenseManagerServiceUtility::checkIfLMServiceExists(const std::u16string& installFolder) const {
    const std::filesystem::path ours = comparable(std::filesystem::path(fl::i18n::to_string(installFolder)));
    for (const nlohmann::json& service : readServices(servicesFile_)) {
        if (!service.is_object()) throw UnableToFindLMServiceException("a service entry is not an object");
        const auto running = service.find("running");
        if (running != service.end() && !running->is_boolean()) {
            throw UnableToFindLMServiceException("\"running\" is not true or false");
        }
        const std::string folder = text(service, "folder");
        if (running == service.end() || !running->get<bool>() || folder.empty()) continue;
        if (comparable(folder) == ours) continue;
        throw LMServiceExistsException("the licence-manager service \"" + text(service, "name") +
                                       "\" is running from " + folder);
    }
}

std::filesystem::path LicenseManagerServiceUtility::defaultServicesFile() {
    if (const char* named = std::getenv(kServicesVariable); named != nullptr && *named != '\0') return named;
    return platformutil::PlatformUtility::getInstallationPath() / kServicesFileName;
}

LMServiceExistsException::~LMServiceExistsException() = default;
UnableToFindLMServiceException::~UnableToFindLMServiceException() = default;

}  // namespace install::instlicutil
