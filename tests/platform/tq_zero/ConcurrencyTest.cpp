#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "RecordingListeners.h"
#include "TestElements.h"

namespace tq_zero_test {
namespace {

using tq::zero::Model;
using tq::zero::nilUuid;

constexpr int Writers = 8;
constexpr int WritesPerThread = 300;

std::u16string entry(int thread, int index) {
    const std::string text = std::to_string(thread) + ":" + std::to_string(index);
    return std::u16string(text.begin(), text.end());
}

template <class Work>
void onWriters(Work work) {
    std::vector<std::thread> threads;
    for (int t = 0; t < Writers; ++t) threads.emplace_back(work, t);
    for (auto& thread : threads) thread.join();
}

class CountingObserver : public tq::zero::Listener {
public:
    static constexpr bool IsObserver = true;
    void transactionCommitted(const tq::zero::ShallowChangeReport<Gadget>& report) {
        for (const auto& change : report) {
            if (change.isChanged(Gadget::notesProperty())) ++notesChanges;
        }
    }
    std::atomic<int> notesChanges{0};
};

class ConcurrencyTest : public ::testing::Test {
protected:
    Model model;
    Gadget shared = Gadget::create(model, nilUuid());
};

TEST_F(ConcurrencyTest, ConcurrentAppendsInTransactionsLoseNothingAndAreAllReported) {
    CountingObserver observer;
    model.addListener(observer);
    onWriters([&](int t) {
        for (int i = 0; i < WritesPerThread; ++i) {
            model.beginTransaction(false);
            auto edit = shared.getNotes().modify();
            edit.append(entry(t, i));
            edit.commit();
            model.commit();
            model.endTransaction();
        }
    });
    model.removeListener(observer);

    auto notes = shared.getNotes().values();
    ASSERT_EQ(notes.size(), std::size_t{Writers * WritesPerThread});
    std::sort(notes.begin(), notes.end());
    EXPECT_EQ(std::adjacent_find(notes.begin(), notes.end()), notes.end());
    EXPECT_EQ(observer.notesChanges, Writers * WritesPerThread);
}

TEST_F(ConcurrencyTest, ConcurrentWritesWithoutTransactionsLoseNothing) {
    std::vector<Part> parts;
    for (int t = 0; t < Writers; ++t) parts.push_back(Part::create(model, nilUuid()));
    onWriters([&](int t) {
        for (int i = 1; i <= WritesPerThread; ++i) {
            parts[t].setWeight(static_cast<std::uint64_t>(i));
            modifyAndCommit(shared.getLabels(), [&](auto& edit) { edit.insert(entry(t, i)); });
        }
    });
    for (const Part& part : parts) EXPECT_EQ(part.getWeight(), std::uint64_t{WritesPerThread});
    EXPECT_EQ(shared.getLabels().size(), std::size_t{Writers * WritesPerThread});
}

TEST_F(ConcurrencyTest, RollbacksOnOtherThreadsNeverUndoCommittedWrites) {
    onWriters([&](int t) {
        for (int i = 0; i < WritesPerThread; ++i) {
            model.beginTransaction(false);
            modifyAndCommit(shared.getTags(), [&](auto& edit) { edit.append(entry(t, i)); });
            if (i % 2 == 0) model.commit();
            model.endTransaction();
        }
    });
    // Odd appends were rolled back; one may survive when another thread appended on top of it
    // before the rollback. Every even append was committed and must be there.
    const auto tags = shared.getTags().values();
    for (int t = 0; t < Writers; ++t) {
        for (int i = 0; i < WritesPerThread; i += 2) {
            EXPECT_NE(std::find(tags.begin(), tags.end(), entry(t, i)), tags.end()) << t << ":" << i;
        }
    }
}

TEST_F(ConcurrencyTest, ARollbackKeepsAWriteCommittedBetweenTwoOfItsOwn) {
    model.beginTransaction(false);
    modifyAndCommit(shared.getTags(), [&](auto& edit) { edit.append(u"mine 1"); });
    std::thread([&] {
        modifyAndCommit(shared.getTags(), [&](auto& edit) { edit.append(u"theirs"); });
    }).join();
    modifyAndCommit(shared.getTags(), [&](auto& edit) { edit.append(u"mine 2"); });
    model.endTransaction();
    EXPECT_EQ(shared.getTags().values(), (std::vector<std::u16string>{u"mine 1", u"theirs"}));
}

TEST_F(ConcurrencyTest, ListenersComeAndGoWhileOtherThreadsCommit) {
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) shared.setCount(i);
    });
    for (int round = 0; round < 200; ++round) {
        RecordingObserver<Gadget> observer;
        model.addListener(observer);
        std::this_thread::yield();
        model.removeListener(observer);
        // Removal waited for any call in flight, so the observer may now be destroyed.
        EXPECT_EQ(observer.removedCalls, 1);
    }
    stop = true;
    writer.join();
}

TEST_F(ConcurrencyTest, ConcurrentNestedTransactionsKeepTheirOwnStacks) {
    onWriters([&](int t) {
        const Part part = Part::create(model, nilUuid());
        for (int i = 0; i < WritesPerThread / 10; ++i) {
            model.beginTransaction(false);
            part.setLabel(u"outer");
            model.beginTransaction(false);
            part.setWeight(static_cast<std::uint64_t>(t));
            model.commit();
            model.endTransaction();
            EXPECT_TRUE(model.isInTransaction());
            model.endTransaction();
            EXPECT_FALSE(model.isInTransaction());
            EXPECT_EQ(part.getLabel(), u"");
            EXPECT_EQ(part.getWeight(), static_cast<std::uint64_t>(t));
        }
    });
}

}  // namespace
}  // namespace tq_zero_test
