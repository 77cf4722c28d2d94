#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "RecordingListeners.h"
#include "TestElements.h"

namespace tq_zero_test {
namespace {

using tq::zero::Model;
using tq::zero::nilUuid;

// Validators and modifiers: the listeners that take part in a commit before it is final.
class CommitListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        gadget.setName(u"original");
        model.addListener(validator);
        model.addListener(observer);
    }
    void TearDown() override {
        model.removeListener(validator);
        model.removeListener(observer);
    }

    Model model;
    Gadget gadget = Gadget::create(model, nilUuid());
    NamedGadgetValidator validator;
    RecordingObserver<Gadget> observer;
};

TEST_F(CommitListenerTest, ARejectedCommitRollsTheFrameBackAndNotifiesNobody) {
    const auto before = observer.commits().size();
    model.beginTransaction(false);
    gadget.setCount(4);
    gadget.setName(u"");
    const auto result = model.commit();
    EXPECT_FALSE(result.isAccepted());
    EXPECT_EQ(result.rejectionReason(), "a gadget needs a name");
    EXPECT_EQ(gadget.getName(), u"original");
    EXPECT_EQ(gadget.getCount(), 0);
    EXPECT_TRUE(model.isInTransaction());
    model.endTransaction();
    EXPECT_EQ(observer.commits().size(), before);
}

TEST_F(CommitListenerTest, AnAcceptedCommitHasAnEmptyReason) {
    model.beginTransaction(false);
    gadget.setName(u"fine");
    const auto result = model.commit();
    model.endTransaction();
    EXPECT_TRUE(result.isAccepted());
    EXPECT_EQ(result.rejectionReason(), "");
}

TEST_F(CommitListenerTest, TheFrameStaysUsableAfterARejection) {
    model.beginTransaction(false);
    gadget.setName(u"");
    EXPECT_FALSE(model.commit().isAccepted());
    gadget.setName(u"second try");
    EXPECT_TRUE(model.commit().isAccepted());
    model.endTransaction();
    EXPECT_EQ(gadget.getName(), u"second try");
}

TEST_F(CommitListenerTest, ValidatorsAreNotAskedAboutOtherClasses) {
    Part part = Part::create(model, nilUuid());
    const int before = validator.calls;
    part.setLabel(u"p");
    EXPECT_EQ(validator.calls, before);
}

TEST_F(CommitListenerTest, ARejectedWriteOutsideATransactionThrowsAndChangesNothing) {
    EXPECT_THROW(gadget.setName(u""), std::runtime_error);
    EXPECT_EQ(gadget.getName(), u"original");
    EXPECT_FALSE(model.isInTransaction());
}

TEST_F(CommitListenerTest, AModifiersWritesLandInTheSameCommit) {
    RenameCountingModifier modifier;
    model.addListener(modifier);
    const auto before = observer.commits().size();
    model.beginTransaction(false);
    gadget.setName(u"renamed");
    model.commit();
    model.endTransaction();
    model.removeListener(modifier);

    EXPECT_EQ(gadget.getCount(), 1);
    ASSERT_EQ(observer.commits().size(), before + 1);
    EXPECT_EQ(observer.commits().back(), (SeenCommit{{&Gadget::meta(), {"name", "count"}}}));
}

TEST_F(CommitListenerTest, AModifiersWritesAreRolledBackWhenAValidatorRejects) {
    RenameCountingModifier modifier;
    model.addListener(modifier);
    model.beginTransaction(false);
    gadget.setName(u"");
    EXPECT_FALSE(model.commit().isAccepted());
    model.endTransaction();
    model.removeListener(modifier);
    EXPECT_EQ(gadget.getCount(), 0);
}

class ThrowingObserver : public tq::zero::Listener {
public:
    static constexpr bool IsObserver = true;
    void transactionCommitted(const tq::zero::ShallowChangeReport<Gadget>&) {
        throw std::runtime_error("observer");
    }
};

TEST_F(CommitListenerTest, AThrowingObserverDoesNotKeepTheOthersFromBeingTold) {
    ThrowingObserver thrower;
    RecordingObserver<Gadget> later;
    model.addListener(thrower);
    model.addListener(later);
    model.beginTransaction(false);
    gadget.setCount(2);
    EXPECT_THROW(model.commit(), std::runtime_error);
    model.endTransaction();
    model.removeListener(thrower);
    model.removeListener(later);
    EXPECT_EQ(later.commits().size(), 1u);
    EXPECT_EQ(gadget.getCount(), 2);
}

class CommittingModifier : public tq::zero::Listener {
public:
    static constexpr bool IsModifier = true;
    explicit CommittingModifier(Model model) : model_(std::move(model)) {}
    void transactionCommitting(const tq::zero::ShallowChangeReport<Gadget>&) {
        EXPECT_THROW(model_.commit(), std::logic_error);
        EXPECT_THROW(model_.endTransaction(), std::logic_error);
    }

private:
    Model model_;
};

TEST_F(CommitListenerTest, AModifierCannotCommitOrEndTheTransactionBeingCommitted) {
    CommittingModifier modifier(model);
    model.addListener(modifier);
    model.beginTransaction(false);
    gadget.setCount(2);
    EXPECT_TRUE(model.commit().isAccepted());
    model.endTransaction();
    model.removeListener(modifier);
    EXPECT_FALSE(model.isInTransaction());
}

}  // namespace
}  // namespace tq_zero_test
