#include "install/engine/EngineConfig.h"

namespace install::engine {

EngineConfig::EngineConfig() = default;
EngineConfig::~EngineConfig() = default;

void EngineConfig::setProxySettings(const std::string& userName, const std::string& password) {
    proxyUserName_ = userName;
    proxyPassword_ = password;
}

bool EngineConfig::hasProxySettings() const { return !proxyUserName_.empty(); }
const std::string& EngineConfig::getProxyUserName() const { return proxyUserName_; }
const std::string& EngineConfig::getProxyPassword() const { return proxyPassword_; }
void EngineConfig::setProxyUrl(const std::string& url) { proxyUrl_ = url; }
const std::string& EngineConfig::getProxyUrl() const { return proxyUrl_; }
void EngineConfig::setRelease(const ReleaseRecord& release) { release_ = release; }
const std::optional<ReleaseRecord>& EngineConfig::getRelease() const { return release_; }

}  // namespace install::engine
