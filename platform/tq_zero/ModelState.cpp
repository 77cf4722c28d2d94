#include "tq_zero/ModelState.h"

#include <stdexcept>

#include "tq_zero/CollectionEditor.h"

namespace tq::zero::detail {

void ModelState::begin(bool readOnly) {
    std::lock_guard lock(mutex_);
    stacks_[std::this_thread::get_id()].push_back(std::make_unique<Frame>(readOnly));
}

CommitResult ModelState::commit() {
    Frame* frame = nullptr;
    {
        std::lock_guard lock(mutex_);
        frame = currentFrame();
        if (!frame) throw std::logic_error("commit without a transaction");
        if (frame->isCommitting())
            throw std::logic_error("commit of a transaction while it is being committed");
        if (!frame->hasChanges()) return CommitResult::accepted();
        frame->setCommitting(true);
    }
    // The frame cannot go away meanwhile: end() refuses a frame that is committing, and only
    // this thread could end it.
    ChangeSet committed;
    try {
        const auto currentChanges = [&] {
            std::lock_guard lock(mutex_);
            return frame->changes();
        };
        subscriptions_.runModifiers(currentChanges);
        if (auto rejection = subscriptions_.runValidators(currentChanges)) {
            std::lock_guard lock(mutex_);
            rollBack(*frame);
            frame->setCommitting(false);
            return CommitResult::rejected(std::move(*rejection));
        }
        std::lock_guard lock(mutex_);
        committed = frame->takeChanges();
        frame->setCommitting(false);
    } catch (...) {
        // A failing modifier or validator leaves the changes pending for the caller to end.
        finishCommitting(*frame);
        throw;
    }
    if (!committed.empty()) subscriptions_.notifyObservers(committed);
    return CommitResult::accepted();
}

void ModelState::finishCommitting(Frame& frame) {
    std::lock_guard lock(mutex_);
    frame.setCommitting(false);
}

void ModelState::end() {
    std::unique_ptr<Frame> finished;  // released after the lock: it may hold the last share of nodes
    std::lock_guard lock(mutex_);
    const auto it = stacks_.find(std::this_thread::get_id());
    if (it == stacks_.end()) throw std::logic_error("endTransaction without a transaction");
    Frame& frame = *it->second.back();
    if (frame.isCommitting())
        throw std::logic_error("endTransaction of a transaction while it is being committed");
    rollBack(frame);
    finished = std::move(it->second.back());
    it->second.pop_back();
    if (it->second.empty()) stacks_.erase(it);
}

bool ModelState::inTransaction() const {
    std::lock_guard lock(mutex_);
    return stacks_.count(std::this_thread::get_id()) != 0;
}

Value ModelState::read(const Node& node, std::size_t slot) const {
    std::lock_guard lock(mutex_);
    return node.slot(slot).value;
}

std::vector<Value> ModelState::readItems(const Node& node, std::size_t slot) const {
    std::lock_guard lock(mutex_);
    return node.slot(slot).items;
}

std::size_t ModelState::itemCount(const Node& node, std::size_t slot) const {
    std::lock_guard lock(mutex_);
    return node.slot(slot).items.size();
}

void ModelState::write(const NodePtr& node, const PropertyInfo& property, std::size_t slot, Value value) {
    change(*node, property, [&](Frame& frame) {
        requireAttachable(*node, property, value);
        Slot& target = node->slot(slot);
        if (target.value == value) return;
        const std::uint64_t version = ++lastVersion_;
        frame.noteWrite(node, slot, property, target, version);
        target.value = std::move(value);
        target.version = version;
    });
}

void ModelState::modify(const NodePtr& node, const PropertyInfo& property, std::size_t slot,
                        const std::vector<CollectionEdit>& edits) {
    change(*node, property, [&](Frame& frame) {
        Slot& target = node->slot(slot);
        CollectionEditor editor(*node, property, target.items);
        for (const CollectionEdit& edit : edits) {
            requireAttachable(*node, property, edit.value);
            editor.apply(edit);
        }
        if (editor.items() == target.items) return;
        const std::uint64_t version = ++lastVersion_;
        frame.noteWrite(node, slot, property, target, version);
        target.items = editor.takeItems();
        target.version = version;
    });
}

Frame* ModelState::currentFrame() {
    const auto it = stacks_.find(std::this_thread::get_id());
    return it == stacks_.end() ? nullptr : it->second.back().get();
}

void ModelState::change(const Node& node, const PropertyInfo& property,
                        const std::function<void(Frame&)>& apply) {
    {
        std::lock_guard lock(mutex_);
        if (Frame* frame = currentFrame()) {
            if (frame->isReadOnly()) {
                throw std::logic_error("write of " + node.describe(property) + " in a read-only transaction");
            }
            apply(*frame);
            return;
        }
    }
    begin(false);
    CommitResult result = CommitResult::accepted();
    try {
        change(node, property, apply);
        result = commit();
    } catch (...) {
        end();
        throw;
    }
    end();
    if (!result.isAccepted()) {
        throw std::runtime_error("write of " + node.describe(property) +
                                 " was rejected: " + result.rejectionReason());
    }
}

void ModelState::requireAttachable(const Node& holder, const PropertyInfo& property,
                                   const Value& value) const {
    const auto* child = std::get_if<NodePtr>(&value);
    if (!child || !*child) return;
    if ((*child)->model().get() != this) {
        throw std::logic_error(holder.describe(property) + " cannot hold an element of another model");
    }
    // An element holding itself, directly or below, would never be freed.
    if ((*child)->reaches(holder)) {
        throw std::logic_error(holder.describe(property) + " cannot hold its own element or one above it");
    }
}

void ModelState::rollBack(Frame& frame) {
    frame.rollBack([&](const RestorePoint& superseded) {
        for (auto& [thread, stack] : stacks_) {
            for (auto& other : stack) {
                if (other.get() != &frame && other->adoptRestorePoint(superseded)) return;
            }
        }
    });
}

}  // namespace tq::zero::detail
