#include "microservices/ServiceRegistry.h"

#include <algorithm>
#include <mutex>

namespace microservices {

struct ServiceRegistry::Registrations {
    struct Entry {
        RegistrationId id;
        std::string interfaceName;
        std::shared_ptr<void> service;
        ServiceProperties properties;
    };

    mutable std::mutex mutex;
    RegistrationId nextId = 1;
    std::vector<Entry> entries;
};

ServiceRegistry::ServiceRegistry() : registrations_(std::make_unique<Registrations>()) {}

ServiceRegistry::~ServiceRegistry() = default;

ServiceRegistry::RegistrationId ServiceRegistry::registerErased(std::string interfaceName,
                                                                std::shared_ptr<void> service,
                                                                ServiceProperties properties) {
    std::lock_guard lock(registrations_->mutex);
    const auto id = registrations_->nextId++;
    registrations_->entries.push_back(
        {id, std::move(interfaceName), std::move(service), std::move(properties)});
    return id;
}

std::vector<std::shared_ptr<void>> ServiceRegistry::findErased(const std::string& interfaceName,
                                                               const LdapFilter& filter) const {
    std::lock_guard lock(registrations_->mutex);
    std::vector<std::shared_ptr<void>> found;
    for (const auto& entry : registrations_->entries) {
        if (entry.interfaceName == interfaceName && filter.matches(entry.properties))
            found.push_back(entry.service);
    }
    return found;
}

bool ServiceRegistry::unregisterService(RegistrationId id) {
    std::lock_guard lock(registrations_->mutex);
    auto& entries = registrations_->entries;
    const auto found =
        std::find_if(entries.begin(), entries.end(), [id](const auto& entry) { return entry.id == id; });
    if (found == entries.end()) return false;
    entries.erase(found);
    return true;
}

}  // namespace microservices
