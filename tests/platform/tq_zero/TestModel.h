#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tq/zero/ElementMacros.h"
#include "tq/zero/Transaction.h"

namespace tq_zero_test {

// clang-format off
TQ_ELEMENT("tq_zero_test", Part, ::tq::zero::Element,
           (PROPERTY, std::u16string, label, Label)
           (PROPERTY, std::uint64_t, weight, Weight))

TQ_ELEMENT("tq_zero_test", Gadget, ::tq::zero::Element,
           (PROPERTY, std::u16string, name, Name)
           (PROPERTY, std::int32_t, count, Count)
           (CHILD, Part, part, Part)
           (STRINGS, UNIQUE, tags, Tags)
           (STRINGS, ANY, notes, Notes)
           (STRING_SET, ANY, labels, Labels)
           (ELEMENTS, Part, parts, Parts))

TQ_ELEMENT("tq_zero_test", FancyGadget, Gadget,
           (PROPERTY, std::u16string, flourish, Flourish))

// Holds elements of any class, so it can be asked to hold itself.
TQ_ELEMENT("tq_zero_test", Branch, ::tq::zero::Element,
           (ELEMENTS, ::tq::zero::Element, branches, Branches))
// clang-format on

using Report = tq::zero::ShallowChangeReport<Gadget>;

// One modification of a collection, committed: `edits` receives the modification.
template <class Collection, class Edits>
void edit(const Collection& collection, Edits edits) {
    auto modification = collection.modify();
    edits(modification);
    modification.commit();
}

// What an observer is told of one commit, element by element: "FancyGadget(flourish name) Gadget(count)".
template <class E>
std::string describe(const tq::zero::ShallowChangeReport<E>& report) {
    std::string text;
    for (const auto& entry : report) {
        const std::string& qualified = entry.element.metaClass().name();
        if (!text.empty()) text += ' ';
        text.append(qualified, qualified.rfind(':') + 1) += '(';
        for (const auto* property : entry.changedProperties) {
            if (text.back() != '(') text += ' ';
            text += property->name();
        }
        text += ')';
    }
    return text;
}

// Records what it is told, then runs `onCommit`.
template <class E>
class RecordingObserver : public tq::zero::Listener {
public:
    static constexpr bool IsObserver = true;
    void transactionCommitted(const tq::zero::ShallowChangeReport<E>& report) {
        {
            std::lock_guard lock(mutex_);
            commits_.push_back(describe(report));
        }
        if (onCommit) onCommit(report);
    }
    void listenerRemoved() override { ++removedCalls; }
    std::vector<std::string> commits() const {
        std::lock_guard lock(mutex_);
        return commits_;
    }

    std::function<void(const tq::zero::ShallowChangeReport<E>&)> onCommit;
    std::atomic<int> removedCalls{0};

private:
    mutable std::mutex mutex_;
    std::vector<std::string> commits_;
};

// Takes part in commits that changed gadgets: `onCommitting` may write into the commit, and
// `reject` may refuse it with a reason.
class CommitParticipant : public tq::zero::Listener {
public:
    static constexpr bool IsModifier = true;
    static constexpr bool IsValidator = true;
    void transactionCommitting(const Report& report) { onCommitting(report); }
    std::optional<std::string> validateTransaction(const Report& report) { return reject(report); }

    std::function<void(const Report&)> onCommitting = [](const Report&) {};
    std::function<std::optional<std::string>(const Report&)> reject = [](const Report&) {
        return std::nullopt;
    };
};

// A model with one gadget, and an observer of gadgets for the cases that subscribe it.
struct GadgetModel {
    ~GadgetModel() { model.removeListener(observer); }
    tq::zero::Model model;
    Gadget gadget = Gadget::create(model, tq::zero::nilUuid());
    RecordingObserver<Gadget> observer;
};

}  // namespace tq_zero_test
