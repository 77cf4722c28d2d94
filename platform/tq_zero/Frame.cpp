#include "tq_zero/Frame.h"

#include <algorithm>

namespace tq::zero::detail {

void Frame::reset(bool readOnly) {
    readOnly_ = readOnly;
    committing_ = false;
    notifying_ = false;
    touched_.clear();
    changes_.clear();
    changeIndex_.clear();
}

NodeChange* Frame::findChange(const Node* node) {
    // A commit mostly changes a few elements: a scan finds them sooner than a hash, and costs no
    // allocation. The index is built once a transaction has changed many.
    if (changes_.size() < kIndexedFrom) {
        for (NodeChange& change : changes_) {
            if (change.node.get() == node) return &change;
        }
        return nullptr;
    }
    if (changeIndex_.empty()) {
        for (std::size_t i = 0; i < changes_.size(); ++i) changeIndex_.emplace(changes_[i].node.get(), i);
    }
    const auto known = changeIndex_.find(node);
    return known == changeIndex_.end() ? nullptr : &changes_[known->second];
}

void Frame::noteChange(const NodePtr& node, const PropertyInfo& property) {
    if (NodeChange* change = findChange(node.get())) {
        auto& properties = change->changedProperties;
        if (std::find(properties.begin(), properties.end(), &property) == properties.end()) {
            properties.push_back(&property);
        }
        return;
    }
    if (spareChanges_.empty()) {
        changes_.push_back(NodeChange{node, {&property}});
    } else {
        changes_.push_back(std::move(spareChanges_.back()));
        spareChanges_.pop_back();
        changes_.back().node = node;
        changes_.back().changedProperties.push_back(&property);
    }
    if (!changeIndex_.empty()) changeIndex_.emplace(node.get(), changes_.size() - 1);
}

ChangeSet Frame::takeChanges() {
    touched_.clear();
    changeIndex_.clear();
    return std::exchange(changes_, std::move(spare_));
}

void Frame::giveBack(ChangeSet&& changes) {
    // A rare large commit need not keep its room for the small ones that follow.
    if (changes.capacity() > kKeptChanges) return;
    for (NodeChange& change : changes) {
        if (spareChanges_.size() == kKeptChanges) break;
        change.node.reset();
        change.changedProperties.clear();
        spareChanges_.push_back(std::move(change));
    }
    changes.clear();
    spare_ = std::move(changes);
}

}  // namespace tq::zero::detail
