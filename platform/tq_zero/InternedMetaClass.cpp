#include "tq_zero/InternedMetaClass.h"

#include <functional>
#include <stdexcept>

namespace tq::zero::detail {

InternedMetaClass::InternedMetaClass(std::string name, const InternedMetaClass* parent,
                                     std::initializer_list<PropertyDecl> properties)
    : name_(std::move(name)), parent_(parent) {
    if (parent_) {
        slots_ = parent_->slots_;
        slotByProperty_ = parent_->slotByProperty_;
        byName_ = parent_->byName_;
    }
    declared_.reserve(properties.size());
    for (const PropertyDecl& decl : properties) {
        for (const PropertyInfo& earlier : declared_) {
            if (earlier.name() == decl.name)
                throw std::logic_error("class " + name_ + " declares property " + decl.name + " twice");
        }
        const PropertyInfo& info = declared_.emplace_back(decl.name, decl.kind, decl.unique, *this);
        slotByProperty_.emplace(&info, slots_.size());
        slots_.push_back(&info);
        // A redeclared ancestor property is shadowed by name but keeps its own slot.
        byName_.insert_or_assign(info.name(), &info);
    }
}

const InternedMetaClass& InternedMetaClass::from(const MetaClass& meta) {
    if (const auto* interned = dynamic_cast<const InternedMetaClass*>(&meta)) return *interned;
    throw std::invalid_argument("meta class " + meta.name() + " was not made by MetaClass::intern");
}

bool InternedMetaClass::isA(const MetaClass& other) const {
    for (const MetaClass* m = this; m; m = m->parent()) {
        if (m == &other) return true;
    }
    return false;
}

const PropertyInfo* InternedMetaClass::findProperty(std::string_view name) const {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

std::size_t InternedMetaClass::slotOf(const PropertyInfo& property) const {
    // Every access to a property asks this, so the slot is worked out from where the class that
    // declares the property keeps it, without a look-up; the map answers for anything unusual.
    for (const InternedMetaClass* m = this; m; m = m->parent_) {
        if (&property.owner() != m) continue;
        const PropertyInfo* first = m->declared_.data();
        const PropertyInfo* last = first + m->declared_.size();
        if (!std::less_equal<>{}(first, &property) || !std::less<>{}(&property, last)) break;
        const std::size_t slot =
            m->slots_.size() - m->declared_.size() + static_cast<std::size_t>(&property - first);
        if (slots_[slot] == &property) return slot;
        break;
    }
    const auto it = slotByProperty_.find(&property);
    if (it == slotByProperty_.end()) {
        throw std::invalid_argument("property " + property.owner().name() + "." + property.name() +
                                    " does not belong to class " + name_);
    }
    return it->second;
}

bool InternedMetaClass::matches(const MetaClass* parent,
                                std::initializer_list<PropertyDecl> properties) const {
    if (parent != parent_ || properties.size() != declared_.size()) return false;
    auto info = declared_.begin();
    for (const PropertyDecl& decl : properties) {
        if (info->name() != decl.name || info->kind() != decl.kind || info->isUnique() != decl.unique) {
            return false;
        }
        ++info;
    }
    return true;
}

}  // namespace tq::zero::detail
