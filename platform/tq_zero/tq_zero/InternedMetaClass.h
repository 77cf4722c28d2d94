#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tq/zero/MetaClass.h"

namespace tq::zero::detail {

// The one kind of meta class the framework hands out. Besides describing the class it lays
// out the nodes of the class: every property of the class and of its ancestors owns one slot,
// ancestors' properties first, so an inherited property has the same slot in every subclass.
class InternedMetaClass final : public MetaClass {
public:
    InternedMetaClass(std::string name, const InternedMetaClass* parent,
                      std::initializer_list<PropertyDecl> properties);
    InternedMetaClass(const InternedMetaClass&) = delete;
    InternedMetaClass& operator=(const InternedMetaClass&) = delete;

    // Meta classes not made by intern() cannot lay out nodes: throws std::invalid_argument.
    static const InternedMetaClass& from(const MetaClass& meta);

    const std::string& name() const override { return name_; }
    const MetaClass* parent() const override { return parent_; }
    bool isA(const MetaClass& other) const override;
    const PropertyInfo* findProperty(std::string_view name) const override;

    std::size_t slotCount() const { return slots_.size(); }
    // Throws std::invalid_argument when the property belongs to no class of this lineage.
    std::size_t slotOf(const PropertyInfo& property) const;
    // True when a second intern() of this name describes the same class.
    bool matches(const MetaClass* parent, std::initializer_list<PropertyDecl> properties) const;

private:
    std::string name_;
    const InternedMetaClass* parent_;
    std::vector<PropertyInfo> declared_;  // reserved once, so the addresses handed out stay put
    std::vector<const PropertyInfo*> slots_;
    std::unordered_map<const PropertyInfo*, std::size_t> slotByProperty_;
    std::map<std::string, const PropertyInfo*, std::less<>> byName_;
};

}  // namespace tq::zero::detail
