#pragma once

namespace tq::zero {

// Base of every model listener. A derived listener states what it does through the three
// class constants (hiding these) and provides, for the element class E it listens to:
//   observer:  void transactionCommitted(const ShallowChangeReport<E>&)   after a commit
//   modifier:  void transactionCommitting(const ShallowChangeReport<E>&)  before a commit,
//              may write more changes into the same transaction
//   validator: std::optional<std::string> validateTransaction(const ShallowChangeReport<E>&)
//              a returned text rejects the commit
class Listener {
public:
    static constexpr bool IsObserver = false;
    static constexpr bool IsModifier = false;
    static constexpr bool IsValidator = false;

    Listener() = default;
    Listener(const Listener&) = default;
    Listener& operator=(const Listener&) = default;
    virtual ~Listener() = default;

    // Called by the model when the subscription of this listener has been removed.
    virtual void listenerRemoved() {}
};

}  // namespace tq::zero
