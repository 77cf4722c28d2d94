#pragma once

#include <string>
#include <vector>

#include "tq_zero/Node.h"

namespace tq::zero::detail {

// Applies collection edits to a copy of a collection's items, so a batch that fails half way
// leaves the stored collection untouched.
//   string sequence:  Append, Insert, Erase (every equal item), EraseAt, Clear; a unique
//                     sequence ignores an Append or Insert of a value it holds already
//   string set:       Append inserts in ascending order unless present, Erase, Clear
//   element sequence: as a sequence of strings, items compared by identity
class CollectionEditor {
public:
    CollectionEditor(const Node& owner, const PropertyInfo& property, std::vector<Value> items);

    // Throws std::invalid_argument for an edit or value the collection cannot take, and
    // std::out_of_range for an index past its end.
    void apply(const CollectionEdit& edit);
    const std::vector<Value>& items() const { return items_; }
    std::vector<Value> takeItems() { return std::move(items_); }

private:
    void requireItemKind(const Value& value) const;
    bool holds(const Value& value) const;
    void insertAt(std::size_t index, Value value);
    void insertSorted(Value value);
    void eraseAt(std::size_t index);
    void eraseEqual(const Value& value);

    std::string describe() const;

    const Node& owner_;
    const PropertyInfo& property_;
    std::vector<Value> items_;
};

}  // namespace tq::zero::detail
