// Several threads on one model: two transactions on one property in every interleaving, many
// writers that lose nothing committed, listeners that come and go, waits that could never end,
// and threads that end with transactions open.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>

#include "TestModel.h"
#include "tq_zero/ModelDiagnostics.h"

namespace tq_zero_test {
namespace {

using tq::zero::nilUuid;
using tq::zero::Transaction;
using tq::zero::detail::waitingWriters;

// Thread K writes "k1" then "k2", thread F writes "f", each in a transaction it then commits or
// rolls back; `order` says whose step comes next, e.g. "KFKKF".
struct Interleaving {
    std::string name;  // e.g. "K1_F1_K2_Kcommit_Frollback"
    std::string order;
    bool kCommits, fCommits;
};
void PrintTo(const Interleaving& i, std::ostream* out) { *out << i.name; }

std::vector<Interleaving> everyInterleaving() {
    std::vector<Interleaving> all;
    std::string order = "FFKKK";
    do {
        for (const int commits : {0, 1, 2, 3}) {
            const bool k = commits & 1, f = commits & 2;
            const std::vector<std::string> kSteps{"K1", "K2", k ? "Kcommit" : "Krollback"},
                fSteps{"F1", f ? "Fcommit" : "Frollback"};
            std::string name;
            std::size_t nextK = 0, nextF = 0;
            for (const char who : order)
                name += (name.empty() ? "" : "_") + (who == 'K' ? kSteps[nextK++] : fSteps[nextF++]);
            all.push_back({name, order, k, f});
        }
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
                         [](const auto& info) { return info.param.name; });

class ConcurrencyTest : public GadgetModel, public ::testing::Test {};

TEST_F(ConcurrencyTest, EveryCommittedAppendStaysAndIsReportedAndEveryRolledBackOneGoes) {
    constexpr int Writers = 8, Appends = 200;
    const auto entry = [](int thread, int index) {
        const std::string text = std::to_string(thread) + ":" + std::to_string(index);
        return std::u16string(text.begin(), text.end());
    };
    model.addListener(observer);
    std::vector<std::thread> writers;
    for (int t = 0; t < Writers; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < Appends; ++i) {
                Transaction transaction(model);
                edit(gadget.getNotes(), [&](auto& m) { m.append(entry(t, i)); });
                edit(gadget.getLabels(), [&](auto& m) { m.insert(entry(t, i)); });
                if (i % 2 == 0) transaction.commit();
            }
        });
    }
    for (auto& writer : writers) writer.join();
    std::vector<std::u16string> committed;
    for (int t = 0; t < Writers; ++t) {
        for (int i = 0; i < Appends; i += 2) committed.push_back(entry(t, i));
    }
    std::sort(committed.begin(), committed.end());
    auto notes = gadget.getNotes().values();
    std::sort(notes.begin(), notes.end());
    EXPECT_EQ(notes, committed);
    EXPECT_EQ(gadget.getLabels().values(), committed);
    EXPECT_EQ(observer.commits().size(), committed.size());
}

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
