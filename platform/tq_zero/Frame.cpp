#include "tq_zero/Frame.h"

#include <algorithm>

namespace tq::zero::detail {

void Frame::noteWrite(const NodePtr& node, std::size_t slot, const PropertyInfo& property, Slot& current,
                      std::uint64_t version) {
    // Bookkeeping that may fail comes first, so a failure leaves `current` untouched.
    const auto known = changeIndex_.find(node.get());
    if (known == changeIndex_.end()) {
        changes_.push_back(NodeChange{node, {&property}});
        changeIndex_.emplace(node.get(), changes_.size() - 1);
    } else {
        auto& properties = changes_[known->second].changedProperties;
        if (std::find(properties.begin(), properties.end(), &property) == properties.end()) {
            properties.push_back(&property);
        }
    }

    auto [point, first] = restorePoints_.try_emplace(Key{node.get(), slot});
    if (first) {
        point->second.node = node;
        point->second.slot = slot;
    }
    // Someone else wrote the property since our last write; rolling back to the value before
    // our first write would undo theirs, which may be committed. Their write stands instead.
    if (first || current.version != point->second.lastVersion) point->second.before = std::move(current);
    point->second.lastVersion = version;
}

ChangeSet Frame::takeChanges() {
    restorePoints_.clear();
    changeIndex_.clear();
    return std::exchange(changes_, {});
}

void Frame::rollBack(const std::function<void(const RestorePoint&)>& handOver) {
    for (auto& [key, point] : restorePoints_) {
        Slot& slot = point.node->slot(point.slot);
        if (slot.version == point.lastVersion) {
            slot = std::move(point.before);
        } else {
            handOver(point);
        }
    }
    restorePoints_.clear();
    changes_.clear();
    changeIndex_.clear();
}

bool Frame::adoptRestorePoint(const RestorePoint& superseded) {
    const auto it = restorePoints_.find(Key{superseded.node.get(), superseded.slot});
    if (it == restorePoints_.end() || it->second.before.version != superseded.lastVersion) return false;
    it->second.before = superseded.before;
    return true;
}

}  // namespace tq::zero::detail
