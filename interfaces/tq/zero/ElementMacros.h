#pragma once

// Declares a typed element class over the model framework in one statement, one line per
// property:
//
//   TQ_ELEMENT("install::datamodels::common", ValidationStatus, ::tq::zero::Element,
//       (PROPERTY, Result, result, Result)
//       (PROPERTY, std::u16string, title, Title))
//
// Kinds of line, each (KIND, Type, name, Name):
//   PROPERTY      scalar (bool, std::int8_t, std::int32_t, std::uint64_t, std::u16string,
//                 an enumeration): getName(), setName(value)
//   CHILD         owned child element of class Type: getName() (a null handle when absent),
//                 setName(element), hasName()
//   STRINGS       sequence of strings; Type is UNIQUE or ANY: getName() -> Sequence
//   STRING_SET    set of strings; Type is ignored (write ANY): getName() -> Set
//   ELEMENTS      sequence of elements of class Type: getName() -> Sequence<Type>
// Every property also gets a static nameProperty() returning its PropertyInfo.
// Every class gets create(model, id), and createWith(model, id, values), which creates the element
// with the given values of scalar properties (moved from `values`): they are its values from the
// start, not changes that a transaction would report or take back.
// Child element classes must be declared before the classes that hold them.

#include <boost/preprocessor/cat.hpp>
#include <boost/preprocessor/seq/for_each.hpp>
#include <boost/preprocessor/seq/variadic_seq_to_seq.hpp>
#include <boost/preprocessor/tuple/elem.hpp>
#include <cstdint>
#include <span>
#include <string>

#include "tq/zero/Collections.h"
#include "tq/zero/Element.h"

#define TQ_DETAIL_APPLY(macro, args) macro args
#define TQ_DETAIL_KIND(line) BOOST_PP_TUPLE_ELEM(4, 0, line)
#define TQ_DETAIL_TYPE(line) BOOST_PP_TUPLE_ELEM(4, 1, line)
#define TQ_DETAIL_NAME(line) BOOST_PP_TUPLE_ELEM(4, 2, line)
#define TQ_DETAIL_UNAME(line) BOOST_PP_TUPLE_ELEM(4, 3, line)

#define TQ_DETAIL_UNIQUE_UNIQUE true
#define TQ_DETAIL_UNIQUE_ANY false

#define TQ_DETAIL_DECL_PROPERTY(T, n) {#n, ::tq::zero::PropertyKind::Scalar, false},
#define TQ_DETAIL_DECL_CHILD(T, n) {#n, ::tq::zero::PropertyKind::Child, false},
#define TQ_DETAIL_DECL_STRINGS(T, n) \
    {#n, ::tq::zero::PropertyKind::StringSequence, BOOST_PP_CAT(TQ_DETAIL_UNIQUE_, T)},
#define TQ_DETAIL_DECL_STRING_SET(T, n) {#n, ::tq::zero::PropertyKind::StringSet, true},
#define TQ_DETAIL_DECL_ELEMENTS(T, n) {#n, ::tq::zero::PropertyKind::ElementSequence, false},
#define TQ_DETAIL_DECL(r, data, line)                                    \
    TQ_DETAIL_APPLY(BOOST_PP_CAT(TQ_DETAIL_DECL_, TQ_DETAIL_KIND(line)), \
                    (TQ_DETAIL_TYPE(line), TQ_DETAIL_NAME(line)))

#define TQ_DETAIL_PROPERTY_INFO(n)                                         \
    static const ::tq::zero::PropertyInfo& n##Property() {                 \
        static const ::tq::zero::PropertyInfo& info = meta().property(#n); \
        return info;                                                       \
    }

#define TQ_DETAIL_ACCESS_PROPERTY(C, T, n, N)           \
    TQ_DETAIL_PROPERTY_INFO(n)                          \
    T get##N() const { return read<T>(n##Property()); } \
    void set##N(const T& value) const { write(n##Property(), value); }
#define TQ_DETAIL_ACCESS_CHILD(C, T, n, N)                              \
    TQ_DETAIL_PROPERTY_INFO(n)                                          \
    T get##N() const { return readChild<T>(n##Property(), #C "." #n); } \
    void set##N(const T& value) const { write(n##Property(), value); }  \
    bool has##N() const { return !get##N().isNull(); }
#define TQ_DETAIL_ACCESS_STRINGS(C, T, n, N) \
    TQ_DETAIL_PROPERTY_INFO(n)               \
    ::tq::zero::Sequence<std::u16string> get##N() const { return {nodePtr(), n##Property()}; }
#define TQ_DETAIL_ACCESS_STRING_SET(C, T, n, N) \
    TQ_DETAIL_PROPERTY_INFO(n)                  \
    ::tq::zero::Set<std::u16string> get##N() const { return {nodePtr(), n##Property()}; }
#define TQ_DETAIL_ACCESS_ELEMENTS(C, T, n, N) \
    TQ_DETAIL_PROPERTY_INFO(n)                \
    ::tq::zero::Sequence<T> get##N() const { return {nodePtr(), n##Property()}; }
#define TQ_DETAIL_ACCESSORS(r, C, line)                                    \
    TQ_DETAIL_APPLY(BOOST_PP_CAT(TQ_DETAIL_ACCESS_, TQ_DETAIL_KIND(line)), \
                    (C, TQ_DETAIL_TYPE(line), TQ_DETAIL_NAME(line), TQ_DETAIL_UNAME(line)))

#define TQ_ELEMENT(NamespaceText, Class, BaseClass, LINES)                                        \
    class Class : public BaseClass {                                                              \
    public:                                                                                       \
        using Base = BaseClass;                                                                   \
        static constexpr const char* QualifiedName = NamespaceText "::" #Class;                   \
        static const ::tq::zero::MetaClass& meta() {                                              \
            static const ::tq::zero::MetaClass& m = ::tq::zero::MetaClass::intern(                \
                QualifiedName, &Base::meta(),                                                     \
                {BOOST_PP_SEQ_FOR_EACH(TQ_DETAIL_DECL, ~, BOOST_PP_VARIADIC_SEQ_TO_SEQ(LINES))}); \
            return m;                                                                             \
        }                                                                                         \
        Class() = default;                                                                        \
        static Class create(const ::tq::zero::Model& model, const ::tq::zero::Uuid& id) {         \
            return fromNode(::tq::zero::detail::Runtime::createNode(model, meta(), id));          \
        }                                                                                         \
        static Class createWith(const ::tq::zero::Model& model, const ::tq::zero::Uuid& id,       \
                                std::span<::tq::zero::InitialValue> values) {                     \
            return fromNode(::tq::zero::detail::Runtime::createNode(model, meta(), id, values));  \
        }                                                                                         \
        static Class fromNode(::tq::zero::detail::NodePtr node) {                                 \
            Class c;                                                                              \
            c.node_ = std::move(node);                                                            \
            return c;                                                                             \
        }                                                                                         \
        static Class absent(const char* what) {                                                   \
            Class c;                                                                              \
            c.absent_ = what;                                                                     \
            return c;                                                                             \
        }                                                                                         \
        BOOST_PP_SEQ_FOR_EACH(TQ_DETAIL_ACCESSORS, Class, BOOST_PP_VARIADIC_SEQ_TO_SEQ(LINES))    \
    };
