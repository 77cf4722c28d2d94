#include "tq_zero/Slot.h"

#include <utility>

namespace tq::zero::detail {

UndoStep& Slot::record(const void* frame, UndoStep::Kind kind, std::size_t index) {
    // Doubling keeps a long run of edits in one transaction at amortised constant cost.
    if (undo.size() == undo.capacity()) undo.reserve(undo.capacity() * 2 + 1);
    return undo.emplace_back(UndoStep{frame, kind, index, {}, {}});
}

void Slot::undoLast() {
    UndoStep step = std::move(undo.back());
    undo.pop_back();
    const auto at = items.begin() + static_cast<std::ptrdiff_t>(step.index);
    switch (step.kind) {
        case UndoStep::Kind::PutValue:
            value = std::move(step.value);
            return;
        case UndoStep::Kind::EraseItem:
            items.erase(at);
            return;
        case UndoStep::Kind::InsertItem:
            items.insert(at, std::move(step.value));
            return;
        case UndoStep::Kind::PutItems:
            items = std::move(step.items);
            return;
    }
}

}  // namespace tq::zero::detail
