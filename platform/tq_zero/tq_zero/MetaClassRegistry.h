#pragma once

#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "tq_zero/InternedMetaClass.h"

namespace tq::zero::detail {

// Meta classes by qualified name. Every shared object that declares an element class asks
// here, so all of them agree on one instance and isA() can compare addresses.
class MetaClassRegistry {
public:
    // The process has exactly one registry: that is the point of interning.
    static MetaClassRegistry& instance();

    // Throws std::logic_error when the name was interned before with another declaration.
    const InternedMetaClass& intern(const char* qualifiedName, const MetaClass* parent,
                                    std::initializer_list<PropertyDecl> properties);

private:
    MetaClassRegistry() = default;

    std::mutex mutex_;
    std::unordered_map<std::string, std::unique_ptr<InternedMetaClass>> classes_;
};

}  // namespace tq::zero::detail
