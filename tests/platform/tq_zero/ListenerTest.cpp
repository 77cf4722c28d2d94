// Who is told of a commit: subscriptions, removal at any moment, and the elements a listener's
// report holds (its class and subclasses).
#include <gtest/gtest.h>

#include "TestModel.h"

namespace tq_zero_test {
namespace {

using tq::zero::nilUuid;

class ListenerTest : public GadgetModel, public ::testing::Test {};

TEST_F(ListenerTest, AListenerIsToldOnceOfItsModelsCommitsAndNotOnceRemovedEvenDuringADispatch) {
    tq::zero::Model other;
    RecordingObserver<Gadget> first;
    first.onCommit = [&](const Report&) { model.removeListener(observer), model.removeListener(first); };
    model.addListener(first), model.addListener(observer);
    gadget.setCount(1);  // `first` removes both, itself too
    other.addListener(observer);
    model.addListener(observer), model.addListener(observer);
    gadget.setCount(2);
    tq::zero::Transaction transaction(model);
    gadget.setCount(3);
    model.removeListener(observer), model.removeListener(observer), other.removeListener(observer);
    transaction.commit();
    EXPECT_EQ(first.commits().size(), 1u);
    EXPECT_EQ(observer.commits(), std::vector<std::string>{"Gadget(count)"});
    EXPECT_EQ(observer.removedCalls + first.removedCalls, 4);
    EXPECT_FALSE(model.hasListener(observer));
}

TEST_F(ListenerTest, AReportHoldsTheListenersClassAndItsSubclassesInOrderOfFirstChange) {
    const FancyGadget fancy = FancyGadget::create(model, nilUuid());
    const Part part = Part::create(model, nilUuid());
    RecordingObserver<FancyGadget> fancyObserver;
    RecordingObserver<Part> partObserver;
    model.addListener(observer), model.addListener(fancyObserver), model.addListener(partObserver);
    {
        tq::zero::Transaction transaction(model);
        fancy.setFlourish(u"swirl"), gadget.setCount(1), part.setLabel(u"p"), fancy.setName(u"fancy");
        edit(gadget.getTags(), [](auto& m) { m.append(u"t"); });
        gadget.setCount(2);
        transaction.commit();
    }
    part.setWeight(3);
    model.removeListener(fancyObserver), model.removeListener(partObserver);
    EXPECT_EQ(observer.commits(), std::vector<std::string>{"FancyGadget(flourish name) Gadget(count tags)"});
    EXPECT_EQ(fancyObserver.commits(), std::vector<std::string>{"FancyGadget(flourish name)"});
    EXPECT_EQ(partObserver.commits(), (std::vector<std::string>{"Part(label)", "Part(weight)"}));
}

}  // namespace
}  // namespace tq_zero_test
