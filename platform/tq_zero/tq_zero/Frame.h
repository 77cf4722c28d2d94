#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tq/zero/ChangeReport.h"
#include "tq_zero/Node.h"

namespace tq::zero::detail {

// What a rollback needs to put one property back.
struct RestorePoint {
    NodePtr node;
    std::size_t slot = 0;
    Slot before;                    // the property as the frame's rollback leaves it
    std::uint64_t lastVersion = 0;  // stamp of the frame's latest write
};

// One open transaction of one thread: the changes it has made since it began or last
// committed, and how to undo them. Guarded by the model's mutex.
class Frame {
public:
    explicit Frame(bool readOnly) : readOnly_(readOnly) {}

    bool isReadOnly() const { return readOnly_; }
    bool isCommitting() const { return committing_; }
    void setCommitting(bool committing) { committing_ = committing; }

    // Call before a slot is overwritten; `version` is the stamp of the new value. Only the
    // first write of a property in the frame keeps its old value (and a write following
    // someone else's), so repeated writes of one property cost nothing and retain nothing.
    // The old value is moved out of `current`, which the caller then overwrites.
    void noteWrite(const NodePtr& node, std::size_t slot, const PropertyInfo& property, Slot& current,
                   std::uint64_t version);

    bool hasChanges() const { return !changes_.empty(); }
    ChangeSet changes() const { return changes_; }
    // The changes become final: nothing is kept to undo them.
    ChangeSet takeChanges();

    // Reverts each property the frame changed, unless someone wrote it since: a later write
    // stands. If that later write belongs to another open frame, `handOver` passes our
    // restore point on, so a rollback of that frame, too, goes back to the older value.
    // Never undoes a committed write of another frame.
    void rollBack(const std::function<void(const RestorePoint&)>& handOver);
    // Takes over a superseded frame's restore point if this frame wrote right over it.
    bool adoptRestorePoint(const RestorePoint& superseded);

private:
    using Key = std::pair<const Node*, std::size_t>;

    bool readOnly_;
    bool committing_ = false;
    std::map<Key, RestorePoint> restorePoints_;
    ChangeSet changes_;
    std::unordered_map<const Node*, std::size_t> changeIndex_;
};

}  // namespace tq::zero::detail
