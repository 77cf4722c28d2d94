#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tq_zero/Node.h"

namespace tq::zero::detail {

// Applies one batch of edits to a collection slot in place, recording in the slot how to undo
// each effective edit for the transaction `frame`, so an append costs the same whatever the
// collection's size. A batch that fails half way is taken back at once.
//   string sequence:  Append, Insert, Erase (every equal item), EraseAt, Clear; a unique
//                     sequence ignores an Append or Insert of a value it holds already
//   string set:       Append inserts in ascending order unless present, Erase, Clear
//   element sequence: as a sequence of strings, items compared by identity
class CollectionEditor {
public:
    // `admit` is asked about every element before it goes in, and throws to refuse it.
    CollectionEditor(const Node& owner, const PropertyInfo& property, Slot& slot, const void* frame,
                     std::function<void(const Value&)> admit);

    // True when the collection differs from before the batch. Throws std::invalid_argument for an
    // edit or value the collection cannot take and std::out_of_range for an index past its end,
    // leaving the collection as before.
    bool apply(const std::vector<CollectionEdit>& edits);

private:
    void applyOne(const CollectionEdit& edit);
    void requireItemKind(const Value& value) const;
    void insertAt(std::size_t index, const Value& value);
    void insertSorted(const Value& value);
    void insert(std::size_t index, const Value& value);
    void eraseAt(std::size_t index);
    void eraseEqual(const Value& value);
    void clear();
    bool isSet() const { return property_.kind() == PropertyKind::StringSet; }
    std::string describe() const;

    const Node& owner_;
    const PropertyInfo& property_;
    Slot& slot_;
    const void* frame_;
    std::function<void(const Value&)> admit_;
};

}  // namespace tq::zero::detail
