#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tq::zero {

class MetaClass;

enum class PropertyKind { Scalar, Child, StringSequence, StringSet, ElementSequence };

// One line of an element class declaration, as handed to MetaClass::intern.
struct PropertyDecl {
    const char* name;
    PropertyKind kind;
    bool unique;
};

class PropertyInfo {
public:
    PropertyInfo(std::string name, PropertyKind kind, bool unique, const MetaClass& owner)
        : name_(std::move(name)), kind_(kind), unique_(unique), owner_(&owner) {}

    const std::string& name() const { return name_; }
    PropertyKind kind() const { return kind_; }
    // Only meaningful for string sequences: an append of a value already held is ignored.
    bool isUnique() const { return unique_; }
    const MetaClass& owner() const { return *owner_; }

private:
    std::string name_;
    PropertyKind kind_;
    bool unique_;
    const MetaClass* owner_;
};

// Run-time description of an element class. Meta classes are interned by their qualified
// name, so every shared object that includes a declaration sees the same instance.
class MetaClass {
public:
    static const MetaClass& intern(const char* qualifiedName, const MetaClass* parent,
                                   std::initializer_list<PropertyDecl> properties);

    virtual ~MetaClass() = default;
    virtual const std::string& name() const = 0;
    virtual const MetaClass* parent() const = 0;
    // True for this class and every class derived from `other`.
    virtual bool isA(const MetaClass& other) const = 0;
    // Looks the property up on this class and its ancestors; nullptr when unknown.
    virtual const PropertyInfo* findProperty(std::string_view name) const = 0;
    // As findProperty, but throws std::out_of_range naming class and property.
    const PropertyInfo& property(std::string_view name) const;
};

}  // namespace tq::zero
