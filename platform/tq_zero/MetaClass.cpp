#include "tq/zero/MetaClass.h"

#include <stdexcept>

#include "tq_zero/MetaClassRegistry.h"

namespace tq::zero {

const MetaClass& MetaClass::intern(const char* qualifiedName, const MetaClass* parent,
                                   std::initializer_list<PropertyDecl> properties) {
    return detail::MetaClassRegistry::instance().intern(qualifiedName, parent, properties);
}

const PropertyInfo& MetaClass::property(std::string_view name) const {
    if (const PropertyInfo* info = findProperty(name)) return *info;
    throw std::out_of_range("class " + this->name() + " has no property " + std::string(name));
}

}  // namespace tq::zero
