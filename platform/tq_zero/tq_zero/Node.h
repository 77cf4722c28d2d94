#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "tq/zero/Runtime.h"
#include "tq_zero/InternedMetaClass.h"
#include "tq_zero/Slot.h"

namespace tq::zero::detail {

// One element of a model. The model state owns no nodes for longer than a transaction, and
// nodes own nothing but their property values and a share of the state, so dropping the last
// handle of an element (or replacing it as a child) frees it and everything below it.
class Node {
public:
    Node(const std::shared_ptr<ModelState>& model, const InternedMetaClass& meta, const Uuid& id);
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    ~Node();

    const InternedMetaClass& meta() const { return meta_; }
    const Uuid& id() const { return id_; }
    // The node keeps the state alive, so that no access through it races with the model's end;
    // whether the model itself still exists is ModelState::hasHandles().
    ModelState& model() const { return *model_; }
    const std::shared_ptr<ModelState>& sharedModel() const { return model_; }
    // "Class.property", for diagnostics.
    std::string describe(const PropertyInfo& property) const;

    // Slots are guarded by the model's mutex; callers hold it.
    Slot& slot(std::size_t index) { return slots_[index]; }
    const Slot& slot(std::size_t index) const { return slots_[index]; }

    // True when `other` is this node or lies anywhere below it, counting the elements that
    // open transactions would put back on rollback as below their holders too.
    bool reaches(const Node& other) const;

private:
    std::shared_ptr<ModelState> model_;
    const InternedMetaClass& meta_;
    Uuid id_;
    std::vector<Slot> slots_;
};

}  // namespace tq::zero::detail
