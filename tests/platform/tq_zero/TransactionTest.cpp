#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "RecordingListeners.h"
#include "TestElements.h"

namespace tq_zero_test {
namespace {

using tq::zero::Model;
using tq::zero::nilUuid;

class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        gadget.setName(u"original");
        gadget.setPart(originalPart);
        model.addListener(observer);
    }
    void TearDown() override { model.removeListener(observer); }

    SeenCommit gadgetChanged(std::vector<std::string> properties) const {
        return {SeenChange{&Gadget::meta(), std::move(properties)}};
    }

    Model model;
    Gadget gadget = Gadget::create(model, nilUuid());
    Part originalPart = Part::create(model, nilUuid());
    RecordingObserver<Gadget> observer;
};

TEST_F(TransactionTest, WritesTakeEffectAtOnceButAreReportedOnlyAfterTheCommit) {
    const auto before = observer.commits().size();
    model.beginTransaction(false);
    gadget.setName(u"renamed");
    EXPECT_EQ(gadget.getName(), u"renamed");
    std::u16string seenByOtherThread;
    std::thread([&] { seenByOtherThread = gadget.getName(); }).join();
    EXPECT_EQ(seenByOtherThread, u"renamed");
    EXPECT_EQ(observer.commits().size(), before);

    EXPECT_TRUE(model.commit().isAccepted());
    EXPECT_EQ(observer.commits().back(), gadgetChanged({"name"}));
    model.endTransaction();
    EXPECT_EQ(gadget.getName(), u"renamed");
}

TEST_F(TransactionTest, EndingWithoutACommitRollsEveryKindOfPropertyBack) {
    const auto before = observer.commits().size();
    model.beginTransaction(false);
    gadget.setName(u"renamed");
    gadget.setCount(7);
    gadget.setPart(Part::create(model, nilUuid()));
    modifyAndCommit(gadget.getTags(), [&](auto& edit) { edit.append(u"t"); });
    modifyAndCommit(gadget.getLabels(), [&](auto& edit) { edit.insert(u"l"); });
    modifyAndCommit(gadget.getParts(), [&](auto& edit) { edit.append(Part::create(model, nilUuid())); });
    model.endTransaction();

    EXPECT_EQ(gadget.getName(), u"original");
    EXPECT_EQ(gadget.getCount(), 0);
    EXPECT_EQ(gadget.getPart(), originalPart);
    EXPECT_TRUE(gadget.getTags().empty());
    EXPECT_TRUE(gadget.getLabels().empty());
    EXPECT_TRUE(gadget.getParts().empty());
    EXPECT_EQ(observer.commits().size(), before);
}

TEST_F(TransactionTest, WritesAfterACommitAreRolledBackAtTheEnd) {
    model.beginTransaction(false);
    gadget.setName(u"kept");
    model.commit();
    gadget.setName(u"dropped");
    gadget.setCount(3);
    model.endTransaction();
    EXPECT_EQ(gadget.getName(), u"kept");
    EXPECT_EQ(gadget.getCount(), 0);
}

TEST_F(TransactionTest, RepeatedWritesOfOnePropertyRollBackToTheValueBeforeTheFirst) {
    model.beginTransaction(false);
    for (int i = 0; i < 10; ++i) gadget.setName(u"step" + std::u16string(1, char16_t(u'0' + i)));
    model.endTransaction();
    EXPECT_EQ(gadget.getName(), u"original");
}

TEST_F(TransactionTest, AWriteWithoutATransactionCommitsAndNotifiesAtOnce) {
    EXPECT_FALSE(model.isInTransaction());
    const auto before = observer.commits().size();
    gadget.setCount(5);
    ASSERT_EQ(observer.commits().size(), before + 1);
    EXPECT_EQ(observer.commits().back(), gadgetChanged({"count"}));
    EXPECT_FALSE(model.isInTransaction());
}

TEST_F(TransactionTest, WritingTheStoredValueAgainIsNoChange) {
    const auto before = observer.commits().size();
    gadget.setName(u"original");
    gadget.setPart(originalPart);
    modifyAndCommit(gadget.getTags(), [&](auto& edit) { edit.clear(); });
    EXPECT_EQ(observer.commits().size(), before);
}

TEST_F(TransactionTest, ACommitWithoutChangesOrWithAValueIsAccepted) {
    model.beginTransaction(false);
    EXPECT_TRUE(model.commit().isAccepted());
    gadget.setCount(1);
    EXPECT_TRUE(model.commit(std::string("label of the change")).isAccepted());
    model.endTransaction();
    EXPECT_EQ(gadget.getCount(), 1);
}

TEST_F(TransactionTest, TransactionsBelongToTheCallingThread) {
    model.beginTransaction(false);
    EXPECT_TRUE(model.isInTransaction());
    bool otherThreadInTransaction = true;
    std::thread([&] { otherThreadInTransaction = model.isInTransaction(); }).join();
    EXPECT_FALSE(otherThreadInTransaction);
    model.endTransaction();
    EXPECT_FALSE(model.isInTransaction());
}

TEST_F(TransactionTest, TransactionsOfOneModelDoNotLeakIntoAnother) {
    Model other;
    model.beginTransaction(false);
    EXPECT_FALSE(other.isInTransaction());
    model.endTransaction();
}

TEST_F(TransactionTest, CommitOrEndWithoutATransactionIsALogicError) {
    EXPECT_THROW(model.commit(), std::logic_error);
    EXPECT_THROW(model.endTransaction(), std::logic_error);
}

TEST_F(TransactionTest, AReadOnlyTransactionRefusesWritesAndKeepsTheValues) {
    model.beginTransaction(true);
    EXPECT_THROW(gadget.setName(u"x"), std::logic_error);
    EXPECT_THROW(modifyAndCommit(gadget.getTags(), [](auto& edit) { edit.append(u"t"); }), std::logic_error);
    EXPECT_EQ(gadget.getName(), u"original");
    EXPECT_TRUE(model.commit().isAccepted());
    model.endTransaction();
}

TEST_F(TransactionTest, AWritableTransactionMayNestInAReadOnlyOne) {
    model.beginTransaction(true);
    model.beginTransaction(false);
    gadget.setName(u"inner");
    model.commit();
    model.endTransaction();
    EXPECT_THROW(gadget.setName(u"outer"), std::logic_error);
    model.endTransaction();
    EXPECT_EQ(gadget.getName(), u"inner");
}

TEST_F(TransactionTest, ANestedCommitNotifiesItsOwnChangesAtOnce) {
    model.beginTransaction(false);
    gadget.setCount(1);
    model.beginTransaction(false);
    gadget.setName(u"inner");
    const auto before = observer.commits().size();
    model.commit();
    ASSERT_EQ(observer.commits().size(), before + 1);
    EXPECT_EQ(observer.commits().back(), gadgetChanged({"name"}));
    model.endTransaction();
    EXPECT_TRUE(model.isInTransaction());

    model.commit();
    EXPECT_EQ(observer.commits().back(), gadgetChanged({"count"}));
    model.endTransaction();
}

TEST_F(TransactionTest, AnOuterRollbackKeepsWhatANestedTransactionCommitted) {
    model.beginTransaction(false);
    gadget.setCount(1);
    gadget.setName(u"outer");
    model.beginTransaction(false);
    gadget.setName(u"inner");
    model.commit();
    model.endTransaction();
    model.endTransaction();
    EXPECT_EQ(gadget.getName(), u"inner");
    EXPECT_EQ(gadget.getCount(), 0);
}

TEST_F(TransactionTest, ANestedRollbackReturnsToTheOuterTransactionsValue) {
    const auto before = observer.commits().size();
    model.beginTransaction(false);
    gadget.setName(u"outer");
    model.beginTransaction(false);
    gadget.setName(u"inner");
    gadget.setCount(9);
    model.endTransaction();
    EXPECT_EQ(gadget.getName(), u"outer");
    EXPECT_EQ(gadget.getCount(), 0);
    model.commit();
    model.endTransaction();
    ASSERT_EQ(observer.commits().size(), before + 1);
    EXPECT_EQ(observer.commits().back(), gadgetChanged({"name"}));
}

TEST_F(TransactionTest, ARollbackLeavesAValueAnotherThreadWroteLater) {
    model.beginTransaction(false);
    gadget.setName(u"mine");
    std::thread([&] { gadget.setName(u"theirs"); }).join();
    model.endTransaction();
    EXPECT_EQ(gadget.getName(), u"theirs");
}

TEST_F(TransactionTest, TwoInterleavedRollbacksRestoreTheOriginalValue) {
    model.beginTransaction(false);
    gadget.setName(u"first");
    std::thread other([&] {
        model.beginTransaction(false);
        gadget.setName(u"second");
        model.endTransaction();
    });
    other.join();
    EXPECT_EQ(gadget.getName(), u"first");
    model.endTransaction();
    EXPECT_EQ(gadget.getName(), u"original");
}

TEST_F(TransactionTest, OverlappingRollbacksInEitherOrderRestoreTheOriginalValue) {
    for (const bool oursEndsFirst : {true, false}) {
        model.beginTransaction(false);
        gadget.setName(u"ours");
        std::mutex step;
        std::unique_lock holdOther(step);
        std::atomic<bool> written{false};
        std::thread other([&] {
            model.beginTransaction(false);
            gadget.setName(u"theirs");
            written = true;
            std::lock_guard wait(step);
            model.endTransaction();
        });
        while (!written) std::this_thread::yield();
        if (oursEndsFirst) {
            model.endTransaction();
            holdOther.unlock();
            other.join();
        } else {
            holdOther.unlock();
            other.join();
            model.endTransaction();
        }
        EXPECT_EQ(gadget.getName(), u"original")
            << (oursEndsFirst ? "ours ended first" : "theirs ended first");
    }
}

}  // namespace
}  // namespace tq_zero_test
