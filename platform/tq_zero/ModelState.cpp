#include "tq_zero/ModelState.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <stdexcept>

#include "tq_zero/CollectionEditor.h"
#include "tq_zero/ThreadEndRollback.h"

namespace tq::zero::detail {

bool ModelState::handleCopied() {
    std::size_t handles = handles_.load(std::memory_order_acquire);
    while (handles > 0) {
        if (handles_.compare_exchange_weak(handles, handles + 1, std::memory_order_acq_rel)) return true;
    }
    return false;
}

void ModelState::begin(bool readOnly) {
    std::lock_guard lock(mutex_);
    Stack& stack = stacks_[std::this_thread::get_id()];
    if (stack.depth == 0) ThreadEndRollback::watch(shared_from_this());
    if (stack.depth == stack.frames.size()) stack.frames.push_back(std::make_unique<Frame>());
    stack.frames[stack.depth]->reset(readOnly);
    ++stack.depth;
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
        // Nobody to ask or tell: the commit is done under this one lock.
        if (!subscriptions_.hasModifiers() && !subscriptions_.hasValidators() &&
            !subscriptions_.hasObservers()) {
            finishCommit(*frame);
            frame->giveBack(frame->takeChanges());
            return CommitResult::accepted();
        }
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
        finishCommit(*frame);
        committed = frame->takeChanges();
        frame->setCommitting(false);
    } catch (...) {
        // A failing modifier or validator leaves the changes pending for the caller to end.
        std::lock_guard lock(mutex_);
        frame->setCommitting(false);
        throw;
    }
    if (!committed.empty()) notifyObservers(*frame, committed);
    std::lock_guard lock(mutex_);
    frame->giveBack(std::move(committed));
    return CommitResult::accepted();
}

void ModelState::notifyObservers(Frame& frame, const ChangeSet& changes) {
    if (!subscriptions_.hasObservers()) return;
    struct Notifying {
        ModelState& model;
        Frame& frame;
        Notifying(ModelState& m, Frame& f) : model(m), frame(f) { set(true); }
        ~Notifying() { set(false); }
        void set(bool notifying) {
            std::lock_guard lock(model.mutex_);
            frame.setNotifying(notifying);
        }
    } notifying(*this, frame);
    subscriptions_.notifyObservers(changes, [this](const std::string& text) { report(text); });
}

void ModelState::end() {
    std::lock_guard lock(mutex_);
    const auto it = stacks_.find(std::this_thread::get_id());
    if (it == stacks_.end() || it->second.depth == 0)
        throw std::logic_error("endTransaction without a transaction");
    Frame& frame = *it->second.frames[it->second.depth - 1];
    if (frame.isCommitting() || frame.isNotifying())
        throw std::logic_error("endTransaction of a transaction while it is being committed");
    rollBack(frame);
    --it->second.depth;
}

bool ModelState::inTransaction() const {
    std::lock_guard lock(mutex_);
    const auto it = stacks_.find(std::this_thread::get_id());
    return it != stacks_.end() && it->second.depth > 0;
}

void ModelState::abandonTransactionsOfThisThread() noexcept {
    Stack abandoned;  // released after the lock
    std::lock_guard lock(mutex_);
    const auto it = stacks_.find(std::this_thread::get_id());
    if (it == stacks_.end()) return;
    for (std::size_t depth = it->second.depth; depth-- > 0;) rollBack(*it->second.frames[depth]);
    abandoned = std::move(it->second);
    stacks_.erase(it);
}

Value ModelState::read(const Node& node, std::size_t slot) const {
    std::lock_guard lock(mutex_);
    return node.slot(slot).value;
}

NodePtr ModelState::readChildPath(const Node& node, std::span<const PropertyInfo* const> path) const {
    std::lock_guard lock(mutex_);
    const Node* reached = &node;
    const NodePtr* link = nullptr;
    for (const PropertyInfo* property : path) {
        link = std::get_if<NodePtr>(&reached->slot(reached->meta().slotOf(*property)).value);
        if (!link || !*link) return nullptr;
        reached = link->get();
    }
    return link ? *link : nullptr;
}

std::vector<Value> ModelState::readItems(const Node& node, std::size_t slot) const {
    std::lock_guard lock(mutex_);
    return node.slot(slot).items;
}

std::size_t ModelState::itemCount(const Node& node, std::size_t slot) const {
    std::lock_guard lock(mutex_);
    return node.slot(slot).items.size();
}

bool ModelState::holdsItem(const Node& node, const PropertyInfo& property, std::size_t slot,
                           const Value& item) const {
    std::lock_guard lock(mutex_);
    const auto& items = node.slot(slot).items;
    const auto* text = std::get_if<std::u16string>(&item);
    if (property.kind() != PropertyKind::StringSet || !text)
        return std::find(items.begin(), items.end(), item) != items.end();
    const auto position = std::lower_bound(
        items.begin(), items.end(), *text,
        [](const Value& held, const std::u16string& t) { return std::get<std::u16string>(held) < t; });
    return position != items.end() && *position == item;
}

template <class Apply>
void ModelState::change(const NodePtr& node, const PropertyInfo& property, std::size_t slotIndex,
                        const Apply& apply) {
    {
        std::unique_lock lock(mutex_);
        Frame* frame = currentFrame();
        if (frame && !frame->isNotifying()) {
            if (frame->isReadOnly()) {
                throw std::logic_error("write of " + node->describe(property) +
                                       " in a read-only transaction");
            }
            Slot& slot = node->slot(slotIndex);
            awaitSlot(lock, *node, property, slot);
            const bool touched = slot.lastChangedBy(frame);
            const bool changed = apply(*frame, slot);
            if (slot.undo.empty()) {
                release(slot);
            } else {
                slot.owner = std::this_thread::get_id();
            }
            if (!changed) return;
            if (!touched && slot.lastChangedBy(frame)) frame->touch(node, slotIndex);
            frame->noteChange(node, property);
            return;
        }
    }
    begin(false);
    CommitResult result = CommitResult::accepted();
    try {
        change(node, property, slotIndex, apply);
        result = commit();
    } catch (...) {
        end();
        throw;
    }
    end();
    if (!result.isAccepted()) {
        throw std::runtime_error("write of " + node->describe(property) +
                                 " was rejected: " + result.rejectionReason());
    }
}

void ModelState::write(const NodePtr& node, const PropertyInfo& property, std::size_t slot, Value value) {
    change(node, property, slot, [&](Frame& frame, Slot& target) {
        if (target.value == value) return false;
        requireAttachable(*node, property, value);
        if (!target.lastChangedBy(&frame))
            target.record(&frame, UndoStep::Kind::PutValue).value = std::move(target.value);
        target.value = std::move(value);
        return true;
    });
}

void ModelState::modify(const NodePtr& node, const PropertyInfo& property, std::size_t slot,
                        const std::vector<CollectionEdit>& edits) {
    const auto admit = [&](const Value& item) { requireAttachable(*node, property, item); };
    change(node, property, slot, [&](Frame& frame, Slot& target) {
        return CollectionEditor(*node, property, target, &frame, std::cref(admit)).apply(edits);
    });
}

Frame* ModelState::currentFrame() {
    const auto it = stacks_.find(std::this_thread::get_id());
    if (it == stacks_.end() || it->second.depth == 0) return nullptr;
    return it->second.frames[it->second.depth - 1].get();
}

void ModelState::awaitSlot(std::unique_lock<std::mutex>& lock, const Node& node, const PropertyInfo& property,
                           const Slot& slot) {
    const auto self = std::this_thread::get_id();
    while (slot.owner != std::thread::id() && slot.owner != self) {
        if (waitWouldDeadlock(slot)) {
            throw std::runtime_error("write of " + node.describe(property) +
                                     " would wait for a transaction that waits for this thread's");
        }
        waiting_[self] = &slot;
        slotReleased_.wait(lock);
        waiting_.erase(self);
    }
}

bool ModelState::waitWouldDeadlock(const Slot& wanted) const {
    const auto self = std::this_thread::get_id();
    std::thread::id owner = wanted.owner;
    for (std::size_t hops = 0; hops <= waiting_.size(); ++hops) {
        if (owner == self) return true;
        const auto next = waiting_.find(owner);
        if (next == waiting_.end()) return false;
        owner = next->second->owner;
    }
    return false;
}

void ModelState::requireAttachable(const Node& holder, const PropertyInfo& property,
                                   const Value& value) const {
    const auto* child = std::get_if<NodePtr>(&value);
    if (!child || !*child) return;
    if (&(*child)->model() != this) {
        throw std::logic_error(holder.describe(property) + " cannot hold an element of another model");
    }
    // An element holding itself, directly or below, would never be freed. Elements that a
    // rollback may put back count as held, so no rollback can close such a cycle either.
    if ((*child)->reaches(holder)) {
        throw std::logic_error(holder.describe(property) + " cannot hold its own element or one above it");
    }
}

void ModelState::release(Slot& slot) {
    slot.owner = std::thread::id();
    // A long transaction's steps need not keep their room.
    if (slot.undo.capacity() > 16) std::vector<UndoStep>().swap(slot.undo);
    if (!waiting_.empty()) slotReleased_.notify_all();
}

void ModelState::rollBack(Frame& frame) {
    const auto& touched = frame.touched();
    for (auto it = touched.rbegin(); it != touched.rend(); ++it) {
        Slot& slot = it->first->slot(it->second);
        if (!slot.lastChangedBy(&frame)) continue;
        while (slot.lastChangedBy(&frame)) slot.undoLast();
        if (slot.undo.empty()) release(slot);
    }
    frame.takeChanges();
}

void ModelState::finishCommit(Frame& frame) {
    const auto self = std::this_thread::get_id();
    for (const auto& [node, index] : frame.touched()) {
        Slot& slot = node->slot(index);
        // A nested commit may have made the slot final already, and another thread may own it now.
        if (slot.owner != self) continue;
        slot.undo.clear();
        release(slot);
    }
}

void ModelState::setErrorSink(ErrorSink sink) {
    auto shared = sink ? std::make_shared<const ErrorSink>(std::move(sink)) : nullptr;
    std::lock_guard lock(mutex_);
    errorSink_ = std::move(shared);
}

void ModelState::report(const std::string& text) noexcept {
    std::shared_ptr<const ErrorSink> sink;
    {
        std::lock_guard lock(mutex_);
        sink = errorSink_;
    }
    try {
        if (sink) {
            (*sink)(text);
            return;
        }
    } catch (...) {
        // A sink that fails has nowhere else to say so than the fallback below.
    }
    std::cerr << text << '\n';
}

std::size_t ModelState::waitingWriters() const {
    std::lock_guard lock(mutex_);
    return waiting_.size();
}

}  // namespace tq::zero::detail
