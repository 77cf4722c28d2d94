#include "tq_zero/Node.h"

#include <unordered_set>

#include "tq_zero/ModelState.h"

namespace tq::zero::detail {

Node::Node(const std::shared_ptr<ModelState>& model, const InternedMetaClass& meta, const Uuid& id)
    : model_(model), meta_(meta), id_(id), slots_(meta.slotCount()) {
    model->nodeCreated();
}

Node::~Node() { model_->nodeDestroyed(); }

std::string Node::describe(const PropertyInfo& property) const {
    return meta_.name() + "." + property.name();
}

bool Node::reaches(const Node& other) const {
    // Iterative, and visiting shared sub-trees once, so a deep or diamond-shaped tree costs
    // no more than its size; a node without elements below costs no allocation at all.
    std::vector<const Node*> pending;
    std::unordered_set<const Node*> visited;
    auto push = [&](const Value& value) {
        const auto* child = std::get_if<NodePtr>(&value);
        if (child && *child && visited.insert(child->get()).second) pending.push_back(child->get());
    };
    for (const Node* node = this;;) {
        if (node == &other) return true;
        for (const Slot& slot : node->slots_) {
            push(slot.value);
            for (const Value& item : slot.items) push(item);
            for (const UndoStep& step : slot.undo) {
                push(step.value);
                for (const Value& item : step.items) push(item);
            }
        }
        if (pending.empty()) return false;
        node = pending.back();
        pending.pop_back();
    }
}

}  // namespace tq::zero::detail
