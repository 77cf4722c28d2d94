#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "foundation/ComponentExport.h"
#include "microservices/LdapFilter.h"

namespace microservices {

// The services the host offers to the workflow library, found by interface and property filter
// (for example the online repository adapter by "(type=onlineproduct)"). The host creates one
// registry and hands it down; it is safe to use from several threads.
class COMPONENT_API ServiceRegistry {
public:
    using RegistrationId = std::uint64_t;

    ServiceRegistry();
    ~ServiceRegistry();
    ServiceRegistry(const ServiceRegistry&) = delete;
    ServiceRegistry& operator=(const ServiceRegistry&) = delete;

    template <class Interface>
    RegistrationId registerService(std::shared_ptr<Interface> service, ServiceProperties properties = {}) {
        return registerErased(typeid(Interface).name(), std::move(service), std::move(properties));
    }

    // Every service registered for the interface whose properties match the filter, in
    // registration order. Throws std::invalid_argument for a malformed filter.
    template <class Interface>
    std::vector<std::shared_ptr<Interface>> findServices(const std::string& ldapFilter = {}) const {
        std::vector<std::shared_ptr<Interface>> services;
        for (auto& service : findErased(typeid(Interface).name(), LdapFilter(ldapFilter))) {
            services.push_back(std::static_pointer_cast<Interface>(std::move(service)));
        }
        return services;
    }

    // The first match, or null.
    template <class Interface>
    std::shared_ptr<Interface> findService(const std::string& ldapFilter = {}) const {
        auto services = findServices<Interface>(ldapFilter);
        return services.empty() ? nullptr : std::move(services.front());
    }

    // False when the registration is unknown (already removed).
    bool unregisterService(RegistrationId id);

private:
    // Interfaces are told apart by the name of their type, which stays the same in every library
    // of the process even where a type's identity object does not.
    RegistrationId registerErased(std::string interfaceName, std::shared_ptr<void> service,
                                  ServiceProperties properties);
    std::vector<std::shared_ptr<void>> findErased(const std::string& interfaceName,
                                                  const LdapFilter& filter) const;

    struct Registrations;
    std::unique_ptr<Registrations> registrations_;
};

}  // namespace microservices
