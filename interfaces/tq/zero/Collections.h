#pragma once

#include <string>
#include <vector>

#include "tq/zero/Element.h"

namespace tq::zero {

namespace detail {

// Buffers edits of one collection property; they take effect together on commit().
class CollectionModification {
public:
    CollectionModification(NodePtr node, const PropertyInfo& property)
        : node_(std::move(node)), property_(&property) {}

    void commit() {
        if (!edits_.empty()) Runtime::modifyCollection(node_, *property_, edits_);
        edits_.clear();
    }

protected:
    void add(CollectionEdit::Op op, std::size_t index, Value value) {
        edits_.emplace_back(op, index, std::move(value));
    }

private:
    NodePtr node_;
    const PropertyInfo* property_;
    std::vector<CollectionEdit> edits_;
};

}  // namespace detail

// An ordered collection property of strings or elements.
template <class T>
class Sequence {
public:
    class Modification : public detail::CollectionModification {
    public:
        using CollectionModification::CollectionModification;
        // On a sequence declared unique, appending a value it already holds does nothing.
        void append(const T& v) { add(detail::CollectionEdit::Op::Append, 0, toValue(v)); }
        void insert(std::size_t index, const T& v) {
            add(detail::CollectionEdit::Op::Insert, index, toValue(v));
        }
        void removeAt(std::size_t index) { add(detail::CollectionEdit::Op::EraseAt, index, {}); }
        void remove(const T& v) { add(detail::CollectionEdit::Op::Erase, 0, toValue(v)); }
        void clear() { add(detail::CollectionEdit::Op::Clear, 0, {}); }
    };

    Sequence(detail::NodePtr owner, const PropertyInfo& property)
        : owner_(std::move(owner)), property_(&property) {}

    std::size_t size() const { return detail::Runtime::collectionSize(*owner_, *property_); }
    bool empty() const { return size() == 0; }
    bool isUnique() const { return property_->isUnique(); }
    // Searches the sequence where it is stored, without copying it.
    bool contains(const T& v) const {
        return detail::Runtime::collectionContains(*owner_, *property_, toValue(v));
    }
    std::vector<T> values() const {
        std::vector<T> out;
        for (const auto& v : detail::Runtime::readCollection(*owner_, *property_))
            out.push_back(fromValue(v));
        return out;
    }
    Modification modify() const { return Modification(owner_, *property_); }

private:
    static detail::Value toValue(const T& v) { return detail::ValueTraits<T>::toValue(v); }
    static T fromValue(const detail::Value& v) { return detail::ValueTraits<T>::fromValue(v); }

    detail::NodePtr owner_;
    const PropertyInfo* property_;
};

// An unordered collection property of strings; values() yields them in ascending order.
template <class T>
class Set {
public:
    class Modification : public detail::CollectionModification {
    public:
        using CollectionModification::CollectionModification;
        void insert(const T& v) {
            add(detail::CollectionEdit::Op::Append, 0, detail::ValueTraits<T>::toValue(v));
        }
        void erase(const T& v) {
            add(detail::CollectionEdit::Op::Erase, 0, detail::ValueTraits<T>::toValue(v));
        }
        void clear() { add(detail::CollectionEdit::Op::Clear, 0, {}); }
    };

    Set(detail::NodePtr owner, const PropertyInfo& property)
        : owner_(std::move(owner)), property_(&property) {}

    std::size_t size() const { return detail::Runtime::collectionSize(*owner_, *property_); }
    bool empty() const { return size() == 0; }
    bool contains(const T& v) const {
        return detail::Runtime::collectionContains(*owner_, *property_, detail::ValueTraits<T>::toValue(v));
    }
    std::vector<T> values() const {
        std::vector<T> out;
        for (const auto& v : detail::Runtime::readCollection(*owner_, *property_))
            out.push_back(detail::ValueTraits<T>::fromValue(v));
        return out;
    }
    Modification modify() const { return Modification(owner_, *property_); }

private:
    detail::NodePtr owner_;
    const PropertyInfo* property_;
};

}  // namespace tq::zero
