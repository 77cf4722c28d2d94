#include "tq_zero/CollectionEditor.h"

#include <algorithm>
#include <stdexcept>

namespace tq::zero::detail {

CollectionEditor::CollectionEditor(const Node& owner, const PropertyInfo& property, std::vector<Value> items)
    : owner_(owner), property_(property), items_(std::move(items)) {}

std::string CollectionEditor::describe() const { return owner_.describe(property_); }

void CollectionEditor::apply(const CollectionEdit& edit) {
    using Op = CollectionEdit::Op;
    const bool isSet = property_.kind() == PropertyKind::StringSet;
    switch (edit.op) {
        case Op::Append:
            requireItemKind(edit.value);
            if (isSet) {
                insertSorted(edit.value);
            } else {
                insertAt(items_.size(), edit.value);
            }
            return;
        case Op::Insert:
            if (isSet) throw std::invalid_argument("set " + describe() + " has no positions to insert at");
            requireItemKind(edit.value);
            insertAt(edit.index, edit.value);
            return;
        case Op::Erase:
            requireItemKind(edit.value);
            eraseEqual(edit.value);
            return;
        case Op::EraseAt:
            if (isSet) throw std::invalid_argument("set " + describe() + " has no positions to erase at");
            eraseAt(edit.index);
            return;
        case Op::Clear:
            items_.clear();
            return;
    }
    throw std::invalid_argument("unknown edit of collection " + describe());
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

bool CollectionEditor::holds(const Value& value) const {
    return std::find(items_.begin(), items_.end(), value) != items_.end();
}

void CollectionEditor::insertAt(std::size_t index, Value value) {
    if (index > items_.size()) {
        throw std::out_of_range("insert at " + std::to_string(index) + " past the end of " + describe() +
                                " (size " + std::to_string(items_.size()) + ")");
    }
    if (property_.isUnique() && holds(value)) return;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(value));
}

void CollectionEditor::insertSorted(Value value) {
    const auto& text = std::get<std::u16string>(value);
    const auto position =
        std::lower_bound(items_.begin(), items_.end(), text,
                         [](const Value& item, const auto& v) { return std::get<std::u16string>(item) < v; });
    if (position != items_.end() && std::get<std::u16string>(*position) == text) return;
    items_.insert(position, std::move(value));
}

void CollectionEditor::eraseAt(std::size_t index) {
    if (index >= items_.size()) {
        throw std::out_of_range("erase at " + std::to_string(index) + " past the end of " + describe() +
                                " (size " + std::to_string(items_.size()) + ")");
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void CollectionEditor::eraseEqual(const Value& value) {
    items_.erase(std::remove(items_.begin(), items_.end(), value), items_.end());
}

}  // namespace tq::zero::detail
