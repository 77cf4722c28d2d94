#include "foundation/urlmanager/UrlManager.h"

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "foundation/urlmanager/UrlNotFoundError.h"

namespace foundation::urlmanager {
namespace {

constexpr char kConfigurationVariable[] = "VELORA_URL_CONFIGURATION";
constexpr char kDefaultFileName[] = "urls.json";

std::map<std::string, std::string> readUrls(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot read the address configuration " + file.string());
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(in);
    } catch (const nlohmann::json::exception& error) {
        throw std::runtime_error("The address configuration " + file.string() +
                                 " is not valid JSON: " + error.what());
    }
    if (!document.is_object()) {
        throw std::runtime_error("The address configuration " + file.string() + " must hold one object");
    }
    std::map<std::string, std::string> urls;
    for (const auto& [key, value] : document.items()) {
        if (!value.is_string()) {
            throw std::runtime_error("The address \"" + key + "\" in " + file.string() + " is not a text");
        }
        urls.emplace(key, value.get<std::string>());
    }
    return urls;
}

}  // namespace

UrlManager::UrlManager(const std::filesystem::path& configurationFile)
    : configurationFile_(configurationFile), urls_(readUrls(configurationFile)) {}

UrlManager::~UrlManager() = default;

std::string UrlManager::getUrl(const std::string& key) const {
    const auto found = urls_.find(key);
    if (found == urls_.end()) throw UrlNotFoundError(key, configurationFile_.string());
    return found->second;
}

bool UrlManager::hasUrl(const std::string& key) const { return urls_.contains(key); }

std::filesystem::path UrlManager::defaultConfigurationFile() {
    if (const char* configured = std::getenv(kConfigurationVariable);
        configured != nullptr && *configured != '\0') {
        return configured;
    }
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw std::runtime_error("Cannot locate the running program to find " +
                                 std::string(kDefaultFileName));
    return program.parent_path() / kDefaultFileName;
}

std::shared_ptr<UrlManager> createUrlManager() {
    return createUrlManager(UrlManager::defaultConfigurationFile());
}

std::shared_ptr<UrlManager> createUrlManager(const std::filesystem::path& configurationFile) {
    return std::make_shared<UrlManager>(configurationFile);
}

}  // namespace foundation::urlmanager
