#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "tq/zero/Model.h"
#include "tq_zero/Frame.h"
#include "tq_zero/Node.h"
#include "tq_zero/SubscriptionList.h"

namespace tq::zero::detail {

// Everything a model shares between its handles: one mutex over all property values and
// transaction bookkeeping, a stack of open transactions per thread, and the listeners.
//
// Transaction semantics (Model.h states them for users):
// - Writes take effect at once; other threads read them before the commit.
// - A slot written by an open transaction belongs to its thread until no undo step of the
//   thread is left in it; another thread's write of it waits until then. So undo steps of one
//   slot always come from one thread, and a rollback restores exactly what its frame changed.
// - A commit is final at whatever depth it happens: it reports the changes its frame made since
//   it began or last committed, and drops every undo step of the slots it changed, also those of
//   enclosing frames of the same thread. So a nested transaction that commits notifies its own
//   changes, and an enclosing transaction that ends without a commit rolls back only the rest.
// - Elements held by undo steps count as held for the test against containment cycles, so no
//   mix of rollbacks can close a cycle.
// - Writing a value equal to the stored one is no change and is not reported.
class ModelState : public std::enable_shared_from_this<ModelState> {
public:
    ModelState() = default;
    ModelState(const ModelState&) = delete;
    ModelState& operator=(const ModelState&) = delete;

    // Transactions of the calling thread.
    void begin(bool readOnly);
    CommitResult commit();
    void end();
    bool inTransaction() const;
    // Rolls back every transaction the calling thread left open; for the thread's end.
    void abandonTransactionsOfThisThread() noexcept;

    Value read(const Node& node, std::size_t slot) const;
    // Each property of `path` is a child property of the node the path has reached.
    NodePtr readChildPath(const Node& node, std::span<const PropertyInfo* const> path) const;
    std::vector<Value> readItems(const Node& node, std::size_t slot) const;
    std::size_t itemCount(const Node& node, std::size_t slot) const;
    bool holdsItem(const Node& node, const PropertyInfo& property, std::size_t slot, const Value& item) const;
    void write(const NodePtr& node, const PropertyInfo& property, std::size_t slot, Value value);
    void modify(const NodePtr& node, const PropertyInfo& property, std::size_t slot,
                const std::vector<CollectionEdit>& edits);

    SubscriptionList& subscriptions() { return subscriptions_; }
    void setErrorSink(ErrorSink sink);

    // Model handles. Nodes keep the state alive but not the model: once the last handle is gone,
    // using an element is an error, and no new handle can be made from an element.
    void handleCreated() { handles_.fetch_add(1, std::memory_order_relaxed); }
    // A new handle beside those that exist; false when none is left.
    bool handleCopied();
    void handleDropped() { handles_.fetch_sub(1, std::memory_order_acq_rel); }
    bool hasHandles() const { return handles_.load(std::memory_order_acquire) > 0; }

    void nodeCreated() { liveNodes_.fetch_add(1, std::memory_order_relaxed); }
    void nodeDestroyed() { liveNodes_.fetch_sub(1, std::memory_order_relaxed); }
    std::size_t liveNodes() const { return liveNodes_.load(std::memory_order_relaxed); }
    std::size_t waitingWriters() const;

private:
    // A thread's frames; those above `depth` are kept for reuse.
    struct Stack {
        std::vector<std::unique_ptr<Frame>> frames;
        std::size_t depth = 0;
    };
    // Makes the change `apply(Frame&, Slot&)` describes (true when something changed) in the
    // calling thread's innermost frame, or without one in a transaction of its own that is
    // committed at once.
    template <class Apply>
    void change(const NodePtr& node, const PropertyInfo& property, std::size_t slot, const Apply& apply);

    // Callers of the following hold mutex_.
    Frame* currentFrame();
    // Waits until no other thread's transaction owns the slot.
    void awaitSlot(std::unique_lock<std::mutex>& lock, const Node& node, const PropertyInfo& property,
                   const Slot& slot);
    bool waitWouldDeadlock(const Slot& wanted) const;
    // A node may hold only elements of this model that do not hold it.
    void requireAttachable(const Node& holder, const PropertyInfo& property, const Value& value) const;
    // For a slot whose undo steps are all gone.
    void release(Slot& slot);
    void rollBack(Frame& frame);
    void finishCommit(Frame& frame);

    void notifyObservers(Frame& frame, const ChangeSet& changes);
    void report(const std::string& text) noexcept;

    mutable std::mutex mutex_;
    std::condition_variable slotReleased_;
    std::unordered_map<std::thread::id, Stack> stacks_;  // of threads that began transactions and live on
    std::unordered_map<std::thread::id, const Slot*> waiting_;  // writers and the slot each waits for
    std::shared_ptr<const ErrorSink> errorSink_;
    SubscriptionList subscriptions_;
    std::atomic<std::size_t> liveNodes_{0};
    std::atomic<std::size_t> handles_{0};
};

}  // namespace tq::zero::detail
