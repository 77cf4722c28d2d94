#include <gtest/gtest.h>

#include "RecordingListeners.h"
#include "TestElements.h"

namespace tq_zero_test {
namespace {

using tq::zero::Model;
using tq::zero::nilUuid;

class SubscriptionTest : public ::testing::Test {
protected:
    Model model;
    Gadget gadget = Gadget::create(model, nilUuid());
    RecordingObserver<Gadget> observer;
};

TEST_F(SubscriptionTest, AListenerIsSubscribedOnceHoweverOftenItIsAdded) {
    model.addListener(observer);
    model.addListener(observer);
    EXPECT_TRUE(model.hasListener(observer));
    gadget.setCount(1);
    EXPECT_EQ(observer.commits().size(), 1u);
    model.removeListener(observer);
    EXPECT_FALSE(model.hasListener(observer));
    gadget.setCount(2);
    EXPECT_EQ(observer.commits().size(), 1u);
}

TEST_F(SubscriptionTest, RemovalCallsListenerRemovedOnceAndOnlyForASubscription) {
    model.removeListener(observer);
    EXPECT_EQ(observer.removedCalls, 0);
    model.addListener(observer);
    model.removeListener(observer);
    model.removeListener(observer);
    EXPECT_EQ(observer.removedCalls, 1);
}

TEST_F(SubscriptionTest, ListenersOfOneModelHearNothingOfAnother) {
    Model other;
    other.addListener(observer);
    gadget.setCount(1);
    EXPECT_TRUE(observer.commits().empty());
    EXPECT_FALSE(model.hasListener(observer));
    other.removeListener(observer);
}

TEST_F(SubscriptionTest, AListenerRemovedDuringATransactionIsNotToldOfItsCommit) {
    model.addListener(observer);
    model.beginTransaction(false);
    gadget.setCount(1);
    model.removeListener(observer);
    model.commit();
    model.endTransaction();
    EXPECT_TRUE(observer.commits().empty());
    EXPECT_EQ(observer.removedCalls, 1);
}

TEST_F(SubscriptionTest, AListenerRemovedWhileACommitIsDispatchedIsNotCalledAnyMore) {
    RecordingObserver<Gadget> first;
    first.onCommit = [&](const auto&) { model.removeListener(observer); };
    model.addListener(first);
    model.addListener(observer);
    gadget.setCount(1);
    EXPECT_EQ(first.commits().size(), 1u);
    EXPECT_TRUE(observer.commits().empty());
    EXPECT_EQ(observer.removedCalls, 1);
    model.removeListener(first);
}

TEST_F(SubscriptionTest, AListenerMayRemoveItselfWhileBeingNotified) {
    observer.onCommit = [&](const auto&) { model.removeListener(observer); };
    model.addListener(observer);
    gadget.setCount(1);
    gadget.setCount(2);
    EXPECT_EQ(observer.commits().size(), 1u);
    EXPECT_EQ(observer.removedCalls, 1);
    EXPECT_FALSE(model.hasListener(observer));
}

TEST_F(SubscriptionTest, NoNotificationForARolledBackTransaction) {
    model.addListener(observer);
    model.beginTransaction(false);
    gadget.setCount(1);
    model.endTransaction();
    EXPECT_TRUE(observer.commits().empty());
    model.removeListener(observer);
}

// Which elements an observer of a class hears about: those of the class and its subclasses.
class ShallowChangeReportTest : public SubscriptionTest {
protected:
    void SetUp() override {
        model.addListener(observer);
        model.addListener(fancyObserver);
        model.addListener(partObserver);
        model.beginTransaction(false);
        fancy.setFlourish(u"swirl");
        gadget.setCount(1);
        part.setLabel(u"p");
        fancy.setName(u"fancy");
        modifyAndCommit(gadget.getTags(), [&](auto& edit) { edit.append(u"t"); });
        gadget.setCount(2);
        model.commit();
        model.endTransaction();
    }
    void TearDown() override {
        model.removeListener(observer);
        model.removeListener(fancyObserver);
        model.removeListener(partObserver);
    }

    FancyGadget fancy = FancyGadget::create(model, nilUuid());
    Part part = Part::create(model, nilUuid());
    RecordingObserver<FancyGadget> fancyObserver;
    RecordingObserver<Part> partObserver;
};

TEST_F(ShallowChangeReportTest, AClassReportHoldsItsSubclassesInOrderOfFirstChange) {
    ASSERT_EQ(observer.commits().size(), 1u);
    EXPECT_EQ(observer.commits()[0], (SeenCommit{{&FancyGadget::meta(), {"flourish", "name"}},
                                                 {&Gadget::meta(), {"count", "tags"}}}));
}

TEST_F(ShallowChangeReportTest, ASubclassReportLeavesTheBaseClassOut) {
    ASSERT_EQ(fancyObserver.commits().size(), 1u);
    EXPECT_EQ(fancyObserver.commits()[0], (SeenCommit{{&FancyGadget::meta(), {"flourish", "name"}}}));
}

TEST_F(ShallowChangeReportTest, AnUnrelatedClassReportHoldsOnlyItsOwn) {
    ASSERT_EQ(partObserver.commits().size(), 1u);
    EXPECT_EQ(partObserver.commits()[0], (SeenCommit{{&Part::meta(), {"label"}}}));
}

TEST_F(ShallowChangeReportTest, EntriesHandOutTheChangedElementsAndTheirProperties) {
    const auto report = observer.reports().at(0);
    ASSERT_EQ(report.size(), 2u);
    const auto& first = report.entries()[0];
    EXPECT_EQ(&first.element.metaClass(), &FancyGadget::meta());
    EXPECT_EQ(first.element.getName(), u"fancy");
    EXPECT_TRUE(first.isChanged(Gadget::nameProperty()));
    EXPECT_FALSE(first.isChanged(Gadget::countProperty()));
    EXPECT_EQ(report.entries()[1].element, gadget);
}

TEST_F(ShallowChangeReportTest, AnObserverIsNotCalledWhenNothingOfItsClassChanged) {
    part.setWeight(3);
    EXPECT_EQ(observer.commits().size(), 1u);
    EXPECT_EQ(fancyObserver.commits().size(), 1u);
    EXPECT_EQ(partObserver.commits().size(), 2u);
}

}  // namespace
}  // namespace tq_zero_test
