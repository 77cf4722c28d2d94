#pragma once

#include <boost/uuid/nil_generator.hpp>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "tq/zero/Model.h"
#include "tq/zero/Runtime.h"

namespace tq::zero {

inline Uuid nilUuid() { return boost::uuids::nil_uuid(); }

// A value a new element is created with, of the scalar property's declared type (see
// ElementMacros.h): an element created whole is one that nobody saw half filled, and filling it
// takes no transaction.
struct InitialValue {
    const PropertyInfo& property;
    detail::Value value;
};

class Element;

namespace detail {

// Conversion between typed property values and the untyped Value.
template <class T, class = void>
struct ValueTraits {
    static Value toValue(const T& v) { return Value(v); }
    static T fromValue(const Value& v) {
        if (const T* p = std::get_if<T>(&v)) return *p;
        return T{};
    }
};

template <class T>
struct ValueTraits<T, std::enable_if_t<std::is_enum_v<T>>> {
    static Value toValue(const T& v) { return Value(static_cast<std::int32_t>(v)); }
    static T fromValue(const Value& v) {
        if (const auto* p = std::get_if<std::int32_t>(&v)) return static_cast<T>(*p);
        return T{};
    }
};

template <class T>
struct ValueTraits<T, std::enable_if_t<std::is_base_of_v<Element, T>>> {
    static Value toValue(const T& v) { return Value(v.node_); }
    static T fromValue(const Value& v) {
        if (const auto* p = std::get_if<NodePtr>(&v)) return T::fromNode(*p);
        return T{};
    }
};

}  // namespace detail

// A shared handle to one element of a model; copies refer to the same element. A handle
// may be null (an absent child): reading or writing through it throws std::logic_error
// naming what is absent.
class Element {
public:
    static constexpr const char* QualifiedName = "tq::zero::Element";
    static const MetaClass& meta() {
        static const MetaClass& m = MetaClass::intern(QualifiedName, nullptr, {});
        return m;
    }

    Element() = default;
    static Element fromNode(detail::NodePtr node) {
        Element element;
        element.node_ = std::move(node);
        return element;
    }

    bool isNull() const { return !node_; }
    explicit operator bool() const { return static_cast<bool>(node_); }
    const MetaClass& metaClass() const { return detail::Runtime::metaOf(node()); }
    const Uuid& id() const { return detail::Runtime::idOf(node()); }
    Model model() const { return detail::Runtime::modelOf(node()); }

    friend bool operator==(const Element& a, const Element& b) { return a.node_ == b.node_; }

    // The element at the end of a chain of child properties from this one, all read at once, so a
    // writer on another thread cannot replace a link half way; a null handle naming `description`
    // when a link is absent. Throws std::logic_error when the element found is not a T.
    template <class T>
    T childAt(std::initializer_list<const PropertyInfo*> path, const char* description) const {
        detail::NodePtr found = detail::Runtime::readChildPath(node(), {path.begin(), path.size()});
        if (!found) return T::absent(description);
        return Element::fromNode(std::move(found)).as<T>();
    }

    // The same element seen as class T; throws std::logic_error when it is not a T.
    template <class T>
    T as() const {
        if (!metaClass().isA(T::meta())) {
            throw std::logic_error("data model element of class " + metaClass().name() + " is not a " +
                                   T::meta().name());
        }
        return T::fromNode(node_);
    }

protected:
    template <class T, class>
    friend struct detail::ValueTraits;
    template <class T>
    friend class Sequence;
    template <class T>
    friend class Set;

    const detail::Node& node() const {
        if (!node_) throw std::logic_error(std::string("data model element is absent: ") + absent_);
        return *node_;
    }
    const detail::NodePtr& nodePtr() const {
        node();
        return node_;
    }

    template <class T>
    T read(const PropertyInfo& property) const {
        return detail::ValueTraits<T>::fromValue(detail::Runtime::read(node(), property));
    }
    template <class T>
    void write(const PropertyInfo& property, const T& value) const {
        detail::Runtime::write(nodePtr(), property, detail::ValueTraits<T>::toValue(value));
    }
    // A child element; a null handle naming `description` when absent.
    template <class T>
    T readChild(const PropertyInfo& property, const char* description) const {
        const detail::Value v = detail::Runtime::read(node(), property);
        if (const auto* p = std::get_if<detail::NodePtr>(&v); p && *p) return T::fromNode(*p);
        return T::absent(description);
    }

    detail::NodePtr node_;
    // Always a literal, so that taking a handle never allocates.
    const char* absent_ = "null element handle";
};

}  // namespace tq::zero
