#pragma once

#include <cstddef>
#include <thread>
#include <vector>

#include "tq/zero/Runtime.h"

namespace tq::zero::detail {

// How to take back one uncommitted change of a slot. `frame` names the transaction that made it.
struct UndoStep {
    enum class Kind {
        PutValue,    // the slot's value becomes `value` again
        EraseItem,   // the item at `index` goes again (it was inserted)
        InsertItem,  // `value` comes back at `index` (it was erased)
        PutItems     // the items become `items` again (they were cleared)
    };
    const void* frame;
    Kind kind;
    std::size_t index = 0;
    Value value;
    std::vector<Value> items;
};

// The stored state of one property of one node. Guarded by the model's mutex.
//
// While open transactions have written the slot without committing, `undo` holds what it takes
// to reverse their changes, oldest first, and `owner` names their thread: only that thread may
// write the slot until the steps are gone (committed or taken back).
struct Slot {
    Value value;               // scalars and children
    std::vector<Value> items;  // collections
    std::thread::id owner;
    std::vector<UndoStep> undo;

    bool lastChangedBy(const void* frame) const { return !undo.empty() && undo.back().frame == frame; }
    // Records a step. Room is made first, so the step itself is stored without allocating:
    // callers change the slot after recording, and a failed recording leaves it untouched.
    UndoStep& record(const void* frame, UndoStep::Kind kind, std::size_t index = 0);
    // Reverses and forgets the latest step.
    void undoLast();
};

}  // namespace tq::zero::detail
