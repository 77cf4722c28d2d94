#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "TestElements.h"
#include "tq/zero/Model.h"

namespace tq_zero_test {

// What one observer saw of one commit: per element, the names of its changed properties.
struct SeenChange {
    const tq::zero::MetaClass* meta;
    std::vector<std::string> properties;
    friend bool operator==(const SeenChange&, const SeenChange&) = default;
};
using SeenCommit = std::vector<SeenChange>;

inline void PrintTo(const SeenChange& change, std::ostream* out) {
    *out << change.meta->name() << "{";
    for (const auto& property : change.properties) *out << " " << property;
    *out << " }";
}

template <class E>
SeenCommit describe(const tq::zero::ShallowChangeReport<E>& report) {
    SeenCommit seen;
    for (const auto& entry : report) {
        SeenChange change{&entry.element.metaClass(), {}};
        for (const auto* property : entry.changedProperties) change.properties.push_back(property->name());
        seen.push_back(change);
    }
    return seen;
}

template <class E>
class RecordingObserver : public tq::zero::Listener {
public:
    static constexpr bool IsObserver = true;

    void transactionCommitted(const tq::zero::ShallowChangeReport<E>& report) {
        {
            std::lock_guard lock(mutex_);
            commits_.push_back(describe(report));
            reports_.push_back(report);
        }
        if (onCommit) onCommit(report);
    }
    void listenerRemoved() override { ++removedCalls; }

    std::vector<SeenCommit> commits() const {
        std::lock_guard lock(mutex_);
        return commits_;
    }
    std::vector<tq::zero::ShallowChangeReport<E>> reports() const {
        std::lock_guard lock(mutex_);
        return reports_;
    }

    std::function<void(const tq::zero::ShallowChangeReport<E>&)> onCommit;
    std::atomic<int> removedCalls{0};

private:
    mutable std::mutex mutex_;
    std::vector<SeenCommit> commits_;
    std::vector<tq::zero::ShallowChangeReport<E>> reports_;
};

// Rejects a gadget whose name was set empty.
class NamedGadgetValidator : public tq::zero::Listener {
public:
    static constexpr bool IsValidator = true;

    std::optional<std::string> validateTransaction(const tq::zero::ShallowChangeReport<Gadget>& report) {
        ++calls;
        for (const auto& entry : report) {
            if (entry.isChanged(Gadget::nameProperty()) && entry.element.getName().empty()) {
                return std::string("a gadget needs a name");
            }
        }
        return std::nullopt;
    }

    int calls = 0;
};

// Counts renames into the same transaction, the way a modifier adds derived data.
class RenameCountingModifier : public tq::zero::Listener {
public:
    static constexpr bool IsModifier = true;

    void transactionCommitting(const tq::zero::ShallowChangeReport<Gadget>& report) {
        for (const auto& entry : report) {
            if (entry.isChanged(Gadget::nameProperty())) entry.element.setCount(entry.element.getCount() + 1);
        }
    }
};

}  // namespace tq_zero_test
