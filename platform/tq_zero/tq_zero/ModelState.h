#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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
// Transaction semantics:
// - Writes take effect at once; other threads see them before the commit.
// - A commit is final at whatever depth it happens: it reports the changes its frame made
//   since the frame began or last committed, and no rollback undoes them later. So a nested
//   transaction that commits notifies its own changes, and an enclosing transaction that
//   ends without a commit rolls back only what it wrote itself.
// - Transactions are not isolated from each other. A rollback restores each property to its
//   value before the frame's first write of it, unless another write has replaced the
//   frame's value since: that later write stands. If another write came between two writes
//   of the frame, the frame rolls back to that write instead. So a rollback never undoes
//   a committed write, while a rolled-back write that another write built on (an append to
//   the same collection, say) may survive.
// - Writing a value equal to the stored one is no change and is not reported.
class ModelState {
public:
    ModelState() = default;
    ModelState(const ModelState&) = delete;
    ModelState& operator=(const ModelState&) = delete;

    // Transactions of the calling thread.
    void begin(bool readOnly);
    CommitResult commit();
    void end();
    bool inTransaction() const;

    Value read(const Node& node, std::size_t slot) const;
    std::vector<Value> readItems(const Node& node, std::size_t slot) const;
    std::size_t itemCount(const Node& node, std::size_t slot) const;
    void write(const NodePtr& node, const PropertyInfo& property, std::size_t slot, Value value);
    void modify(const NodePtr& node, const PropertyInfo& property, std::size_t slot,
                const std::vector<CollectionEdit>& edits);

    SubscriptionList& subscriptions() { return subscriptions_; }

    void nodeCreated() { liveNodes_.fetch_add(1, std::memory_order_relaxed); }
    void nodeDestroyed() { liveNodes_.fetch_sub(1, std::memory_order_relaxed); }
    std::size_t liveNodes() const { return liveNodes_.load(std::memory_order_relaxed); }

private:
    using Stack = std::vector<std::unique_ptr<Frame>>;

    // The calling thread's innermost frame, or nullptr. Callers hold mutex_.
    Frame* currentFrame();
    // Runs `apply` under the lock in the calling thread's innermost frame; without one, in a
    // transaction of its own that is committed at once.
    void change(const Node& node, const PropertyInfo& property, const std::function<void(Frame&)>& apply);
    // A node may hold only elements of this model that do not hold it. Callers hold mutex_.
    void requireAttachable(const Node& holder, const PropertyInfo& property, const Value& value) const;
    void rollBack(Frame& frame);
    void finishCommitting(Frame& frame);

    mutable std::mutex mutex_;
    std::unordered_map<std::thread::id, Stack> stacks_;  // no empty stacks
    std::uint64_t lastVersion_ = 0;
    SubscriptionList subscriptions_;
    std::atomic<std::size_t> liveNodes_{0};
};

}  // namespace tq::zero::detail
