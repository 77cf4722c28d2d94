#include "tq_zero/SubscriptionList.h"

#include <algorithm>
#include <exception>
#include <string>

namespace tq::zero::detail {

namespace {

void eraseOne(std::vector<std::thread::id>& callers, std::thread::id caller) {
    callers.erase(std::find(callers.begin(), callers.end(), caller));
}

}  // namespace

void SubscriptionList::add(Subscription subscription) {
    std::lock_guard lock(mutex_);
    for (const auto& entry : entries_) {
        if (entry->subscription.key == subscription.key) return;
    }
    auto entry = std::make_shared<Entry>();
    entry->subscription = std::move(subscription);
    count(entry->subscription, +1);
    entries_.push_back(std::move(entry));
}

void SubscriptionList::count(const Subscription& subscription, int step) {
    const auto change = [step](std::atomic<std::size_t>& counter, bool has) {
        if (!has) return;
        if (step > 0) {
            counter.fetch_add(1, std::memory_order_release);
        } else {
            counter.fetch_sub(1, std::memory_order_release);
        }
    };
    change(observers_, subscription.observer);
    change(modifiers_, subscription.modifier);
    change(validators_, subscription.validator);
}

bool SubscriptionList::contains(const Listener& listener) const {
    std::lock_guard lock(mutex_);
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const auto& entry) { return entry->subscription.key == &listener; });
}

void SubscriptionList::remove(const Listener& listener) {
    std::shared_ptr<Entry> removed;
    {
        std::unique_lock lock(mutex_);
        const auto it = std::find_if(entries_.begin(), entries_.end(),
                                     [&](const auto& entry) { return entry->subscription.key == &listener; });
        if (it == entries_.end()) return;
        removed = *it;
        removed->active = false;
        count(removed->subscription, -1);
        entries_.erase(it);
        // A call on this very thread (the listener removing itself) cannot be waited for.
        const auto self = std::this_thread::get_id();
        callFinished_.wait(lock, [&] {
            return std::all_of(removed->callers.begin(), removed->callers.end(),
                               [&](std::thread::id caller) { return caller == self; });
        });
    }
    if (removed->subscription.removed) removed->subscription.removed();
}

std::vector<std::shared_ptr<SubscriptionList::Entry>> SubscriptionList::entriesWith(Role role) const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<Entry>> selected;
    for (const auto& entry : entries_) {
        if (entry->subscription.*role) selected.push_back(entry);
    }
    return selected;
}

void SubscriptionList::callIfActive(Entry& entry, const std::function<void(const Subscription&)>& call) {
    const auto self = std::this_thread::get_id();
    {
        std::lock_guard lock(mutex_);
        if (!entry.active) return;
        entry.callers.push_back(self);
    }
    struct Leave {
        SubscriptionList& list;
        Entry& entry;
        std::thread::id self;
        ~Leave() {
            {
                std::lock_guard lock(list.mutex_);
                eraseOne(entry.callers, self);
            }
            list.callFinished_.notify_all();
        }
    } leave{*this, entry, self};
    call(entry.subscription);
}

void SubscriptionList::runModifiers(const std::function<ChangeSet()>& currentChanges) {
    if (!hasModifiers()) return;
    for (const auto& entry : entriesWith(&Subscription::modifier)) {
        callIfActive(*entry, [&](const Subscription& s) { s.committing(currentChanges()); });
    }
}

std::optional<std::string> SubscriptionList::runValidators(const std::function<ChangeSet()>& changes) {
    if (!hasValidators()) return std::nullopt;
    const auto validators = entriesWith(&Subscription::validator);
    if (validators.empty()) return std::nullopt;
    const ChangeSet proposed = changes();
    std::optional<std::string> rejection;
    for (const auto& entry : validators) {
        callIfActive(*entry, [&](const Subscription& s) { rejection = s.validate(proposed); });
        if (rejection) break;
    }
    return rejection;
}

void SubscriptionList::notifyObservers(const ChangeSet& changes,
                                       const std::function<void(const std::string&)>& report) {
    constexpr char kFailure[] = "a model observer failed after a commit, which stands: ";
    for (const auto& entry : entriesWith(&Subscription::observer)) {
        try {
            callIfActive(*entry, [&](const Subscription& s) { s.committed(changes); });
        } catch (const std::exception& error) {
            report(kFailure + std::string(error.what()));
        } catch (...) {
            report(std::string(kFailure) + "an exception not derived from std::exception");
        }
    }
}

}  // namespace tq::zero::detail
