#include "tq_zero/CollectionEditor.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace tq::zero::detail {

namespace {

using Op = CollectionEdit::Op;

bool removes(const CollectionEdit& edit) {
    return edit.op == Op::Erase || edit.op == Op::EraseAt || edit.op == Op::Clear;
}

// Sets hold strings in ascending order.
auto setPosition(std::vector<Value>& items, const std::u16string& text) {
    return std::lower_bound(items.begin(), items.end(), text, [](const Value& item, const std::u16string& v) {
        return std::get<std::u16string>(item) < v;
    });
}

}  // namespace

CollectionEditor::CollectionEditor(const Node& owner, const PropertyInfo& property, Slot& slot,
                                   const void* frame, std::function<void(const Value&)> admit)
    : owner_(owner), property_(property), slot_(slot), frame_(frame), admit_(std::move(admit)) {}

std::string CollectionEditor::describe() const { return owner_.describe(property_); }

bool CollectionEditor::apply(const std::vector<CollectionEdit>& edits) {
    const std::size_t mark = slot_.undo.size();
    // Only a batch that removes can put back what it removed and so change nothing; only such a
    // batch pays for a copy to compare with, so appends stay at constant cost.
    std::optional<std::vector<Value>> before;
    if (std::any_of(edits.begin(), edits.end(), removes)) before = slot_.items;
    try {
        for (const CollectionEdit& edit : edits) applyOne(edit);
    } catch (...) {
        while (slot_.undo.size() > mark) slot_.undoLast();
        throw;
    }
    if (before && *before == slot_.items) {
        slot_.undo.erase(slot_.undo.begin() + static_cast<std::ptrdiff_t>(mark), slot_.undo.end());
        return false;
    }
    return slot_.undo.size() > mark;
}

void CollectionEditor::applyOne(const CollectionEdit& edit) {
    switch (edit.op) {
        case Op::Append:
            requireItemKind(edit.value);
            if (isSet()) {
                insertSorted(edit.value);
            } else {
                insertAt(slot_.items.size(), edit.value);
            }
            return;
        case Op::Insert:
            if (isSet()) throw std::invalid_argument("set " + describe() + " has no positions to insert at");
            requireItemKind(edit.value);
            insertAt(edit.index, edit.value);
            return;
        case Op::Erase:
            requireItemKind(edit.value);
            eraseEqual(edit.value);
            return;
        case Op::EraseAt:
            if (isSet()) throw std::invalid_argument("set " + describe() + " has no positions to erase at");
            eraseAt(edit.index);
            return;
        case Op::Clear:
            clear();
            return;
    }
}

void CollectionEditor::requireItemKind(const Value& value) const {
    if (property_.kind() == PropertyKind::ElementSequence) {
        const auto* node = std::get_if<NodePtr>(&value);
        if (!node || !*node)
            throw std::invalid_argument("element sequence " + describe() + " takes elements only");
    } else if (!std::holds_alternative<std::u16string>(value)) {
        throw std::invalid_argument("string collection " + describe() + " takes strings only");
    }
}

void CollectionEditor::insertAt(std::size_t index, const Value& value) {
    auto& items = slot_.items;
    if (index > items.size()) {
        throw std::out_of_range("insert at " + std::to_string(index) + " past the end of " + describe() +
                                " (size " + std::to_string(items.size()) + ")");
    }
    if (property_.isUnique() && std::find(items.begin(), items.end(), value) != items.end()) return;
    admit_(value);
    insert(index, value);
}

void CollectionEditor::insertSorted(const Value& value) {
    auto& items = slot_.items;
    const auto position = setPosition(items, std::get<std::u16string>(value));
    if (position != items.end() && *position == value) return;
    insert(static_cast<std::size_t>(position - items.begin()), value);
}

void CollectionEditor::insert(std::size_t index, const Value& value) {
    // Everything that may fail comes first; the insertion itself then only moves.
    Value item = value;
    auto& items = slot_.items;
    if (items.size() == items.capacity()) items.reserve(items.capacity() * 2 + 1);
    slot_.record(frame_, UndoStep::Kind::EraseItem, index);
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
}

void CollectionEditor::eraseAt(std::size_t index) {
    auto& items = slot_.items;
    if (index >= items.size()) {
        throw std::out_of_range("erase at " + std::to_string(index) + " past the end of " + describe() +
                                " (size " + std::to_string(items.size()) + ")");
    }
    slot_.record(frame_, UndoStep::Kind::InsertItem, index).value = std::move(items[index]);
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
}

void CollectionEditor::eraseEqual(const Value& value) {
    auto& items = slot_.items;
    if (isSet()) {
        const auto position = setPosition(items, std::get<std::u16string>(value));
        if (position != items.end() && *position == value)
            eraseAt(static_cast<std::size_t>(position - items.begin()));
        return;
    }
    // From the back, so the steps taken back in reverse put every item at its old position.
    for (std::size_t index = items.size(); index-- > 0;) {
        if (items[index] == value) eraseAt(index);
    }
}

void CollectionEditor::clear() {
    if (slot_.items.empty()) return;
    slot_.record(frame_, UndoStep::Kind::PutItems).items = std::move(slot_.items);
    slot_.items.clear();
}

}  // namespace tq::zero::detail
