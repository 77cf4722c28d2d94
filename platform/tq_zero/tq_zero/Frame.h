#pragma once

#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tq/zero/ChangeReport.h"
#include "tq_zero/Node.h"

namespace tq::zero::detail {

// One open transaction of one thread: the changes it has made since it began or last
// committed, and the slots that hold its undo steps. Guarded by the model's mutex. A thread
// reuses its frames, so beginning a transaction rarely allocates.
class Frame {
public:
    using SlotRef = std::pair<NodePtr, std::size_t>;

    void reset(bool readOnly);

    bool isReadOnly() const { return readOnly_; }
    bool isCommitting() const { return committing_; }
    void setCommitting(bool committing) { committing_ = committing; }
    // While observers are told of its commit, the frame takes no writes: theirs commit by themselves.
    bool isNotifying() const { return notifying_; }
    void setNotifying(bool notifying) { notifying_ = notifying; }

    // Call when the frame records its first undo step in a slot.
    void touch(const NodePtr& node, std::size_t slot) { touched_.emplace_back(node, slot); }
    void noteChange(const NodePtr& node, const PropertyInfo& property);

    const std::vector<SlotRef>& touched() const { return touched_; }

    bool hasChanges() const { return !changes_.empty(); }
    ChangeSet changes() const { return changes_; }
    // Forgets everything the frame has done, handing over the changes.
    ChangeSet takeChanges();
    // Takes back a change set handed over before, once nobody reads it any more, so that the next
    // commits reuse its room and that of its property lists instead of allocating.
    void giveBack(ChangeSet&& changes);

private:
    static constexpr std::size_t kIndexedFrom = 16;
    static constexpr std::size_t kKeptChanges = 16;
    NodeChange* findChange(const Node* node);

    bool readOnly_ = false;
    bool committing_ = false;
    bool notifying_ = false;
    std::vector<SlotRef> touched_;
    ChangeSet changes_;
    ChangeSet spare_;         // empty, with room
    ChangeSet spareChanges_;  // entries without a node or properties, with room for properties
    // Filled only once changes_ holds kIndexedFrom elements.
    std::unordered_map<const Node*, std::size_t> changeIndex_;
};

}  // namespace tq::zero::detail
