#include "tq_zero/MetaClassRegistry.h"

#include <stdexcept>

namespace tq::zero::detail {

MetaClassRegistry& MetaClassRegistry::instance() {
    static MetaClassRegistry registry;
    return registry;
}

const InternedMetaClass& MetaClassRegistry::intern(const char* qualifiedName, const MetaClass* parent,
                                                   std::initializer_list<PropertyDecl> properties) {
    const InternedMetaClass* interned = parent ? &InternedMetaClass::from(*parent) : nullptr;
    std::lock_guard lock(mutex_);
    auto it = classes_.find(qualifiedName);
    if (it == classes_.end()) {
        auto meta = std::make_unique<InternedMetaClass>(qualifiedName, interned, properties);
        it = classes_.emplace(qualifiedName, std::move(meta)).first;
    } else if (!it->second->matches(interned, properties)) {
        // Two shared objects built from different declarations would silently disagree on
        // the layout of every node of the class.
        throw std::logic_error(std::string("meta class ") + qualifiedName +
                               " is declared twice with different parents or properties");
    }
    return *it->second;
}

}  // namespace tq::zero::detail
