// Several threads on one model: two transactions on one property in every interleaving, listeners
// that come and go, waits that could never end, and threads that end with transactions open.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>

#include "TestModel.h"
#include "tq_zero/ModelDiagnostics.h"

namespace tq_zero_test {
namespace {

using tq::zero::nilUuid, tq::zero::Transaction;
using tq::zero::detail::waitingWriters;

// Whose step comes next, e.g. "KFKKF": thread K writes "k1", then "k2", then ends its transaction;
// thread F writes "f", then ends its own. Each end is a commit or a rollback.
struct Interleaving {
    std::string order;
    bool kCommits, fCommits;
    std::string name() const {
        return order + (kCommits ? "_Kcommits" : "_KrollsBack") + (fCommits ? "_Fcommits" : "_FrollsBack");
    }
};
void PrintTo(const Interleaving& i, std::ostream* out) { *out << i.name(); }

std::vector<Interleaving> everyInterleaving() {
    std::vector<Interleaving> all;
    std::string order = "FFKKK";
    do {
        for (const int ends : {0, 1, 2, 3}) all.push_back({order, (ends & 1) != 0, (ends & 2) != 0});
    } while (std::next_permutation(order.begin(), order.end()));
    return all;
}

class InterleavingTest : public GadgetModel, public ::testing::TestWithParam<Interleaving> {};

// The first to write holds the property until it ends and the other's write waits meanwhile, so
// the property ends with the value of the transaction that committed last, or the original one,
// and observers hear of exactly the commits.
TEST_P(InterleavingTest, ThePropertyEndsAsTheLastCommitLeftItAndEveryCommitIsReported) {
    const Interleaving& c = GetParam();
    gadget.setName(u"original");
    model.addListener(observer);
    std::atomic<std::size_t> turn{0};
    std::array<std::atomic<bool>, 5> done{};
    const auto actor = [&](char who, std::vector<const char16_t*> writes, bool commits) {
        std::optional<Transaction> transaction;
        for (std::size_t i = 0, step = 0; i < c.order.size(); ++i) {
            if (c.order[i] != who) continue;
            while (turn < i) std::this_thread::yield();
            if (step < writes.size()) {
                if (!transaction) transaction.emplace(model);
                gadget.setName(writes[step++]);
            } else {
                if (commits) transaction->commit();
                transaction.reset();
            }
            done[i] = true;
        }
    };
    std::thread k(actor, 'K', std::vector{u"k1", u"k2"}, c.kCommits),
        f(actor, 'F', std::vector{u"f"}, c.fCommits);
    for (std::size_t i = 0; i < c.order.size(); ++i) {
        turn = i;
        bool ownEarlierStepWaits = false, otherWaits = false;
        for (std::size_t j = 0; j < i; ++j)
            (c.order[j] == c.order[i] ? ownEarlierStepWaits : otherWaits) |= !done[j];
        // Until the step is done, or its thread waits for the property.
        while (!ownEarlierStepWaits && !done[i] && waitingWriters(gadget) <= (otherWaits ? 1u : 0u))
            std::this_thread::yield();
    }
    k.join(), f.join();
    const bool kFirst = c.order.find('K') < c.order.find('F');
    const bool firstCommits = kFirst ? c.kCommits : c.fCommits,
               secondCommits = kFirst ? c.fCommits : c.kCommits;
    const std::u16string firstValue = kFirst ? u"k2" : u"f", secondValue = kFirst ? u"f" : u"k2";
    EXPECT_EQ(gadget.getName(), secondCommits ? secondValue : firstCommits ? firstValue : u"original");
    EXPECT_EQ(observer.commits().size(), std::size_t{firstCommits} + std::size_t{secondCommits});
}

INSTANTIATE_TEST_SUITE_P(TwoThreads, InterleavingTest, ::testing::ValuesIn(everyInterleaving()),
                         [](const auto& info) { return info.param.name(); });

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
