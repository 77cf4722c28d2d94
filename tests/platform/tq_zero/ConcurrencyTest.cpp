// Several threads on one model: a write waiting for another thread's transaction, listeners that
// come and go, waits that could never end, and threads that end with transactions open.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "TestModel.h"
#include "tq_zero/ModelDiagnostics.h"

namespace tq_zero_test {
namespace {

using tq::zero::nilUuid;
using tq::zero::Transaction;
using tq::zero::detail::waitingWriters;

class ConcurrencyTest : public GadgetModel, public ::testing::Test {};

TEST_F(ConcurrencyTest, AListenerRemovedWhileOtherThreadsCommitIsNoLongerCalledOnceRemoved) {
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) gadget.setCount(i);
    });
    for (int round = 0; round < 200; ++round) {
        RecordingObserver<Gadget> listener;
        model.addListener(listener);
        std::this_thread::yield();
        model.removeListener(listener);  // waits for a call in flight, so `listener` may go now
        EXPECT_EQ(listener.removedCalls, 1);
    }
    stop = true;
    writer.join();
}

TEST_F(ConcurrencyTest, AWriteThatWouldWaitForeverIsRefusedAndTheOtherGoesOn) {
    const Part part = Part::create(model, nilUuid());
    model.addListener(observer);
    std::optional<Transaction> mine(std::in_place, model);
    gadget.setName(u"mine");
    std::thread other([&] {
        Transaction theirs(model);
        part.setLabel(u"theirs");
        gadget.setName(u"theirs");  // waits for `mine`
        theirs.commit();
    });
    while (waitingWriters(gadget) == 0) std::this_thread::yield();
    EXPECT_THROW(part.setLabel(u"mine"), std::runtime_error);
    mine.reset();
    other.join();
    EXPECT_EQ(gadget.getName() + part.getLabel(), u"theirstheirs");
    EXPECT_EQ(observer.commits(), std::vector<std::string>{"Gadget(name)"}) << "only the commit is reported";
}

TEST_F(ConcurrencyTest, AThreadThatEndsWithATransactionOpenLeavesNothingBehind) {
    gadget.setName(u"original");
    std::thread([&] { model.beginTransaction(false), gadget.setName(u"abandoned"); }).join();
    EXPECT_EQ(gadget.getName(), u"original");
    std::thread([&] {
        EXPECT_FALSE(model.isInTransaction());  // a later thread, which may be given the same id
        gadget.setName(u"later");               // would wait for ever for a transaction left open
    }).join();
    EXPECT_EQ(gadget.getName(), u"later");
}

TEST_F(ConcurrencyTest, NoRollbackCanTieElementsIntoACycleSoAllAreFreed) {
    const auto settled = tq::zero::detail::liveNodeCount(gadget);
    {
        const Branch x = Branch::create(model, nilUuid()), y = Branch::create(model, nilUuid());
        edit(x.getBranches(), [&](auto& m) { m.append(y); });
        Transaction detaching(model);
        edit(x.getBranches(), [](auto& m) { m.clear(); });
        std::thread([&] {  // the rollback would give y back to x, so y may not hold x meanwhile
            EXPECT_THROW(edit(y.getBranches(), [&](auto& m) { m.append(x); }), std::logic_error);
        })
            .join();
    }
    EXPECT_EQ(tq::zero::detail::liveNodeCount(gadget), settled);
}

}  // namespace
}  // namespace tq_zero_test
