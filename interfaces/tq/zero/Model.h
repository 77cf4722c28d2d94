#pragma once

#include <boost/optional.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "tq/zero/ChangeReport.h"
#include "tq/zero/Listener.h"

namespace tq::zero {

// Outcome of a commit: accepted, or rejected by a validator with its reason.
class CommitResult {
public:
    static CommitResult accepted() { return CommitResult(std::nullopt); }
    static CommitResult rejected(std::string reason) { return CommitResult(std::move(reason)); }

    bool isAccepted() const { return !rejection_; }
    const std::string& rejectionReason() const {
        static const std::string none;
        return rejection_ ? *rejection_ : none;
    }

private:
    explicit CommitResult(std::optional<std::string> rejection) : rejection_(std::move(rejection)) {}
    std::optional<std::string> rejection_;
};

namespace detail {

struct Subscription {
    const Listener* key = nullptr;
    bool observer = false;
    bool modifier = false;
    bool validator = false;
    std::function<void(const ChangeSet&)> committed;
    std::function<void(const ChangeSet&)> committing;
    std::function<std::optional<std::string>(const ChangeSet&)> validate;
    std::function<void()> removed;
};

template <class F>
struct ReportArgument;
template <class L, class E>
struct ReportArgument<void (L::*)(const ShallowChangeReport<E>&)> {
    using Element = E;
};
template <class L, class E>
struct ReportArgument<void (L::*)(const ShallowChangeReport<E>&) const> {
    using Element = E;
};
template <class L, class E>
struct ReportArgument<std::optional<std::string> (L::*)(const ShallowChangeReport<E>&)> {
    using Element = E;
};
template <class L, class E>
struct ReportArgument<std::optional<std::string> (L::*)(const ShallowChangeReport<E>&) const> {
    using Element = E;
};

}  // namespace detail

// Receives what the model cannot hand to a caller: that an observer threw after a commit,
// which stands all the same. Called on the committing thread, without any lock held.
using ErrorSink = std::function<void(const std::string& report)>;

// A handle to one model; copies share it. All operations are thread-safe.
//
// Transactions belong to the calling thread and nest. Writes take effect at once, and other
// threads read them before the commit; the commit of the innermost transaction runs modifiers
// and validators, then (outside any lock) tells the observers what changed. Ending a
// transaction that was not committed, or whose commit was rejected, rolls its changes back. A
// write made while the thread holds no transaction, or by an observer while it is told of a
// commit, commits itself.
//
// Two threads never hold uncommitted writes of one property at once. A property written in an
// open transaction stays the writing thread's until that transaction commits or ends: a write
// of it from another thread waits until then (reads never wait). So a rollback puts back
// exactly the value the property had before the transaction first wrote it, and a property
// ends with the value of the transaction that committed it last. A commit makes each property
// it changed final, also what enclosing transactions of the same thread wrote to it before; a
// rollback of those leaves it. A write that would wait for a thread that itself waits for this
// one throws std::runtime_error instead: ending the transaction lets the other thread go on.
//
// An element never holds itself, directly or below, and no rollback can make it do so: a write
// that would let an element hold one above it throws std::logic_error, counting the elements
// that open transactions would put back as held where they were.
//
// Observers never make a write or a commit fail: what one throws goes to the error sink as
// text, and the others are told all the same. A thread that ends with transactions open has
// them rolled back as it ends.
class Model {
public:
    Model();  // a new, empty model
    // Elements keep their model's state, but the model ends with its last handle: its elements
    // cannot be used after that.
    Model(const Model& other);
    Model(Model&& other) noexcept;
    Model& operator=(const Model& other);
    Model& operator=(Model&& other) noexcept;
    ~Model();

    bool isValid() const { return static_cast<bool>(state_); }
    friend bool operator==(const Model& a, const Model& b) { return a.state_ == b.state_; }

    // readOnly: a write inside the transaction throws std::logic_error.
    void beginTransaction(bool readOnly) const;
    // `value` travels with the commit to the validators (a label of the change).
    CommitResult commit(const boost::optional<std::string>& value = boost::none) const;
    void endTransaction() const;
    bool isInTransaction() const;

    // Subscribes a listener once; a second subscription of the same object is ignored.
    template <class L>
    void addListener(L& listener) const {
        static_assert(std::is_base_of_v<Listener, L>);
        detail::Subscription s;
        s.key = &listener;
        s.observer = L::IsObserver;
        s.modifier = L::IsModifier;
        s.validator = L::IsValidator;
        if constexpr (L::IsObserver) {
            using E = typename detail::ReportArgument<decltype(&L::transactionCommitted)>::Element;
            s.committed = [&listener](const detail::ChangeSet& changes) {
                ShallowChangeReport<E> report(changes);
                if (!report.empty()) listener.transactionCommitted(report);
            };
        }
        if constexpr (L::IsModifier) {
            using E = typename detail::ReportArgument<decltype(&L::transactionCommitting)>::Element;
            s.committing = [&listener](const detail::ChangeSet& changes) {
                ShallowChangeReport<E> report(changes);
                if (!report.empty()) listener.transactionCommitting(report);
            };
        }
        if constexpr (L::IsValidator) {
            using E = typename detail::ReportArgument<decltype(&L::validateTransaction)>::Element;
            s.validate = [&listener](const detail::ChangeSet& changes) -> std::optional<std::string> {
                ShallowChangeReport<E> report(changes);
                if (report.empty()) return std::nullopt;
                return listener.validateTransaction(report);
            };
        }
        s.removed = [&listener] { listener.listenerRemoved(); };
        subscribe(std::move(s));
    }
    bool hasListener(const Listener& listener) const;
    // Removes the subscription, also from the notifications of a transaction in progress.
    void removeListener(const Listener& listener) const;

    // Without a sink, or with an empty one, reports go to the standard error stream.
    void setErrorSink(ErrorSink sink) const;

private:
    friend struct detail::Runtime;
    // A handle to the model of an element; invalid when the model has ended.
    explicit Model(const std::shared_ptr<detail::ModelState>& state);
    void subscribe(detail::Subscription subscription) const;

    std::shared_ptr<detail::ModelState> state_;
};

}  // namespace tq::zero
