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

void Frame::noteChange(const NodePtr& node, const PropertyInfo& property) {
    const auto known = changeIndex_.find(node.get());
    if (known == changeIndex_.end()) {
        changes_.push_back(NodeChange{node, {&property}});
        changeIndex_.emplace(node.get(), changes_.size() - 1);
        return;
    }
    auto& properties = changes_[known->second].changedProperties;
    if (std::find(properties.begin(), properties.end(), &property) == properties.end()) {
        properties.push_back(&property);
    }
}

ChangeSet Frame::takeChanges() {
    touched_.clear();
    changeIndex_.clear();
    return std::exchange(changes_, {});
}

}  // namespace tq::zero::detail
