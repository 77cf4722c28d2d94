#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tq/zero/Model.h"

namespace tq::zero::detail {

// The listeners of one model. Listeners are called without any lock held, so they may read,
// write and run transactions of their own. A listener removed while a commit is being
// dispatched is not called any more from then on, and removal waits until calls of it
// running on other threads have returned, so the listener may be destroyed right after.
class SubscriptionList {
public:
    // Ignored when the listener object is subscribed already.
    void add(Subscription subscription);
    bool contains(const Listener& listener) const;
    // Calls listenerRemoved() once the subscription is gone; nothing when there was none.
    void remove(const Listener& listener);

    // Without taking the lock; a listener subscribing meanwhile may or may not be counted.
    bool hasObservers() const { return observers_.load(std::memory_order_acquire) > 0; }
    bool hasModifiers() const { return modifiers_.load(std::memory_order_acquire) > 0; }
    bool hasValidators() const { return validators_.load(std::memory_order_acquire) > 0; }

    // Each modifier sees the changes as they stand when its turn comes, including those made
    // by the modifiers before it.
    void runModifiers(const std::function<ChangeSet()>& currentChanges);
    // All validators see the same changes; the first rejection wins, later validators are
    // not asked. `changes` is called only if there is a validator.
    std::optional<std::string> runValidators(const std::function<ChangeSet()>& changes);
    // Every observer is told even if one throws: what it throws goes to `report` as text, never
    // to the writer, whose commit stands.
    void notifyObservers(const ChangeSet& changes, const std::function<void(const std::string&)>& report);

private:
    struct Entry {
        Subscription subscription;
        bool active = true;
        std::vector<std::thread::id> callers;  // threads inside a call of this listener
    };
    using Role = bool Subscription::*;

    std::vector<std::shared_ptr<Entry>> entriesWith(Role role) const;
    // Runs `call` unless the entry has been removed meanwhile.
    void callIfActive(Entry& entry, const std::function<void(const Subscription&)>& call);

    mutable std::mutex mutex_;
    std::condition_variable callFinished_;
    std::vector<std::shared_ptr<Entry>> entries_;
    // How many entries have each role, so that a commit skips the roles nobody has.
    std::atomic<std::size_t> observers_{0}, modifiers_{0}, validators_{0};
    void count(const Subscription& subscription, int step);
};

}  // namespace tq::zero::detail
