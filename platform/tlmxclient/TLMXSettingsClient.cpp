#include "install/tlmxclient/TLMXSettingsClient.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

#include "install/platformutil/PlatformUtility.h"

namespace install::tlmxclient {
namespace {

constexpr char kSettingsVariable[] = "VELORA_USAGE_DATA_SETTINGS";
constexpr char kSettingsFileName[] = "usage_data_settings.json";

struct Answers {
    bool shown = true;
    bool selectable = true;
    bool checked = false;
};

bool field(const nlohmann::json& entry, const char* name, bool fallback) {
    const auto found = entry.find(name);
    if (found == entry.end()) return fallback;
    if (!found->is_boolean()) {
        throw TLMXSettingsClientException(std::string("usage-data setting \"") + name +
                                          "\" is not true or false");
    }
    return found->get<bool>();
}

void overlay(Answers& answers, const nlohmann::json& entry) {
    if (!entry.is_object()) throw TLMXSettingsClientException("a usage-data settings entry is not an object");
    answers.shown = field(entry, "shown", answers.shown);
    answers.selectable = field(entry, "selectable", answers.selectable);
    answers.checked = field(entry, "checked", answers.checked);
}

std::optional<nlohmann::json> readSettings(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return std::nullopt;
    std::ifstream stream(file, std::ios::binary);
    if (!stream) throw TLMXSettingsClientException("cannot read usage-data settings " + file.string());
    nlohmann::json settings = nlohmann::json::parse(stream, nullptr, false);
    if (settings.is_discarded() || !settings.is_object()) {
        throw TLMXSettingsClientException("usage-data settings " + file.string() + " are not a JSON object");
    }
    return settings;
}

TLMXSettingsClientResponse answer(const std::filesystem::path& file, const std::string& releaseFamily) {
    Answers answers;
    if (const auto settings = readSettings(file)) {
        if (const auto defaults = settings->find("default"); defaults != settings->end())
            overlay(answers, *defaults);
        if (const auto releases = settings->find("releases"); releases != settings->end()) {
            if (!releases->is_object()) throw TLMXSettingsClientException("\"releases\" is not an object");
            if (const auto release = releases->find(releaseFamily); release != releases->end()) {
                overlay(answers, *release);
            }
        }
    }
    return {answers.shown, answers.selectable, answers.checked};
}

}  // namespace

TLMXSettingsClient::TLMXSettingsClient(std::filesystem::path settingsFile)
    : settingsFile_(std::move(settingsFile)) {}

TLMXSettingsClient::~TLMXSettingsClient() = default;

void TLMXSettingsClient::setProxyCredentials(const std::string& userName, const std::string& password) {
    proxyUserName_ = userName;
    proxyPassword_ = password;
}

TLMXSettingsClientResponse TLMXSettingsClient::getSettings(const std::string&,
                                                           const std::string& releaseFamily,
                                                           const std::string&) const {
    // The settings file speaks for the service; it holds nothing per product code or account.
    return answer(settingsFile_, releaseFamily);
}

TLMXSettingsClientResponse TLMXSettingsClient::getSettings(const std::string& releaseFamily) const {
    return answer(settingsFile_, releaseFamily);
}

std::filesystem::path TLMXSettingsClient::defaultSettingsFile() {
    if (const char* named = std::getenv(kSettingsVariable); named != nullptr && *named != '\0') return named;
    return platformutil::PlatformUtility::getInstallationPath() / kSettingsFileName;
}

TLMXSettingsClientException::~TLMXSettingsClientException() = default;

TLMXSettingsClientFactory::~TLMXSettingsClientFactory() = default;

std::unique_ptr<TLMXSettingsClient> TLMXSettingsClientFactory::createClient() const {
    return std::make_unique<TLMXSettingsClient>(TLMXSettingsClient::defaultSettingsFile());
}

std::unique_ptr<TLMXSettingsClientFactory> createTLMXSettingsClientFactory() {
    return std::make_unique<TLMXSettingsClientFactory>();
}

}  // namespace install::tlmxclient
