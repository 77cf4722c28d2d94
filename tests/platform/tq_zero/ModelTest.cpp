// What one thread's writes, collection edits and transactions leave in the model, and which
// commits its observers are told of, with the modifiers and validators that take part in them;
// who is told of a commit: subscriptions, removal at any moment, and the elements a listener's
// report holds (its class and subclasses).
#include <gtest/gtest.h>

#include "TestModel.h"

namespace tq_zero_test {
namespace {

using tq::zero::nilUuid, tq::zero::Transaction;

struct Env : GadgetModel {
    Env() {
        gadget.setName(u"original");
        model.addListener(observer);
        model.setErrorSink([this](const std::string& text) { reports.push_back(text); });
    }
    ~Env() { model.removeListener(participant), model.removeListener(reacting); }

    // "name count=2 tags=c,b | Gadget(tags); Gadget(name)": the gadget where not empty, then the
    // commits its observer was told of.
    std::string outcome() const {
        const auto narrow = [](const std::u16string& text) { return std::string(text.begin(), text.end()); };
        std::string text = narrow(gadget.getName()) +
                           (gadget.getCount() ? " count=" + std::to_string(gadget.getCount()) : "");
        for (const auto& [property, values] : {std::pair{"tags", gadget.getTags().values()},
                                               {"notes", gadget.getNotes().values()},
                                               {"labels", gadget.getLabels().values()}}) {
            for (std::size_t i = 0; i < values.size(); ++i)
                text += (i ? "," : std::string(" ") + property + "=") + narrow(values[i]);
        }
        const auto commits = observer.commits();
        for (std::size_t i = 0; i < commits.size(); ++i) text += (i ? "; " : " | ") + commits[i];
        return text;
    }

    CommitParticipant participant;
    RecordingObserver<Gadget> reacting;  // for the cases that give it something to do
    std::vector<std::string> reports;
};

struct Scenario {
    const char* name;
    std::function<void(Env&)> run;
    std::string outcome;
};
void PrintTo(const Scenario& s, std::ostream* out) { *out << s.name; }

class TransactionTest : public Env, public ::testing::TestWithParam<Scenario> {};

TEST_P(TransactionTest, LeavesTheExpectedValuesAndReportsEveryCommitOnce) {
    GetParam().run(*this);
    EXPECT_FALSE(model.isInTransaction());
    EXPECT_EQ(outcome(), GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, TransactionTest,
    ::testing::Values(
        Scenario{"UniqueCollectionsIgnoreValuesTheyHoldSetsSortThemAndNoChangeIsReported",
                 [](Env& e) {
                     e.gadget.setName(u"original");
                     edit(e.gadget.getTags(), [](auto& m) { m.append(u"t"), m.remove(u"t"), m.clear(); });
                     edit(e.gadget.getTags(),
                          [](auto& m) { m.append(u"b"), m.insert(0, u"a"), m.insert(0, u"b"); });
                     EXPECT_TRUE(e.gadget.getTags().contains(u"a") && !e.gadget.getTags().contains(u"c"));
                     edit(e.gadget.getLabels(), [](auto& m) {
                         m.insert(u"p"), m.insert(u"a"), m.insert(u"Z"), m.insert(u"a"), m.erase(u"x");
                     });
                     edit(e.gadget.getLabels(), [](auto& m) { m.insert(u"f"), m.erase(u"p"); });
                 },
                 "original tags=a,b labels=Z,a,f | Gadget(tags); Gadget(labels); Gadget(labels)"},
        Scenario{"AFailingBatchLeavesEveryEditUnapplied",
                 [](Env& e) {
                     edit(e.gadget.getNotes(), [](auto& m) { m.append(u"a"); });
                     const auto failing = [](auto& m) { m.clear(), m.append(u"b"), m.removeAt(1); };
                     EXPECT_THROW(edit(e.gadget.getNotes(), failing), std::out_of_range);
                 },
                 "original notes=a | Gadget(notes)"},
        Scenario{"AnOrdinarySequenceRemovesEveryEqualValueAndARollbackPutsItsItemsBackInOrder",
                 [](Env& e) {
                     edit(e.gadget.getNotes(),
                          [](auto& m) { m.append(u"x"), m.append(u"y"), m.append(u"x"), m.append(u"z"); });
                     Transaction t(e.model);
                     edit(e.gadget.getNotes(),
                          [](auto& m) { m.remove(u"x"), m.removeAt(0), m.insert(1, u"w"); });
                     EXPECT_EQ(e.gadget.getNotes().values(), (std::vector<std::u16string>{u"z", u"w"}));
                     edit(e.gadget.getNotes(), [](auto& m) { m.clear(), m.append(u"d"); });
                     for (int i = 0; i < 20; ++i) edit(e.gadget.getNotes(), [](auto& m) { m.append(u"e"); });
                     edit(e.gadget.getLabels(), [](auto& m) { m.insert(u"l"); });
                 },
                 "original notes=x,y,x,z | Gadget(notes)"},
        Scenario{"ANestedRollbackReturnsToTheOuterValueAndANestedCommitSurvivesTheOuterRollback",
                 [](Env& e) {
                     Transaction readOnly(e.model, true);
                     Transaction outer(e.model);  // a writable transaction may nest in a read-only one
                     e.gadget.setCount(1);
                     e.gadget.setName(u"outer");
                     std::optional<Transaction> inner(std::in_place, e.model);
                     e.gadget.setName(u"dropped");
                     inner.emplace(e.model);  // the first rolls back, then another begins
                     EXPECT_EQ(e.gadget.getName(), u"outer");
                     e.gadget.setName(u"inner");
                     inner->commit();
                     EXPECT_EQ(e.observer.commits().size(), 1u);  // before the outer transaction ends
                 },
                 "inner | Gadget(name)"},
        Scenario{"AModifiersWritesLandInTheCommitAndARejectionRollsBackButLeavesTheTransactionUsable",
                 [](Env& e) {
                     e.participant.onCommitting = [](const Report& report) {
                         const auto g = report.entries()[0].element;
                         g.setCount(g.getCount() + 1);
                     };
                     e.participant.reject = [](const Report& report) -> std::optional<std::string> {
                         if (report.entries()[0].element.getName().empty()) return "a gadget needs a name";
                         return std::nullopt;
                     };
                     e.model.addListener(e.participant);
                     e.gadget.setName(u"renamed");
                     EXPECT_THROW(e.gadget.setName(u""), std::runtime_error);
                     Transaction t(e.model);
                     e.gadget.setName(u"");
                     EXPECT_EQ(t.commit().rejectionReason(), "a gadget needs a name");
                     EXPECT_EQ(e.gadget.getName(), u"renamed");
                     EXPECT_EQ(e.gadget.getCount(), 1);
                     e.gadget.setName(u"second try");
                     EXPECT_TRUE(t.commit(std::string("label of the change")).isAccepted());
                     e.gadget.setName(u"dropped");  // after the commit, so rolled back to what it committed
                 },
                 "second try count=2 | Gadget(name count); Gadget(name count)"},
        Scenario{"AnObserversWritesCommitByThemselvesWhileTheWritersTransactionIsOpen",
                 [](Env& e) {
                     e.reacting.onCommit = [&](const Report& report) {
                         if (!report.entries()[0].isChanged(Gadget::countProperty())) return;
                         e.gadget.setName(u"plain");
                         EXPECT_THROW(e.model.endTransaction(),
                                      std::logic_error);  // not the observer's to end
                         Transaction own(e.model);
                         edit(e.gadget.getTags(), [](auto& m) { m.append(u"own"); });
                         own.commit();
                     };
                     e.model.addListener(e.reacting);
                     Transaction t(e.model);
                     e.gadget.setCount(1);
                     t.commit();
                 },
                 "plain count=1 tags=own | Gadget(count); Gadget(name); Gadget(tags)"},
        Scenario{
            "WhatAnObserverThrowsGoesToTheErrorSinkAndTheOthersAreStillTold",
            [](Env& e) {
                e.reacting.onCommit = [](const Report& report) {
                    if (report.entries()[0].element.getCount() == 1)
                        throw std::runtime_error("observer broke");
                    throw 42;
                };
                e.model.removeListener(e.observer);
                e.model.addListener(e.reacting);
                e.model.addListener(e.observer);
                EXPECT_NO_THROW(e.gadget.setCount(1));
                Transaction t(e.model);
                e.gadget.setCount(2);
                EXPECT_TRUE(t.commit().isAccepted());
                const std::string failed = "a model observer failed after a commit, which stands: ";
                const std::string unknown = "an exception not derived from std::exception";
                EXPECT_EQ(e.reports, (std::vector<std::string>{failed + "observer broke", failed + unknown}));
                e.model.setErrorSink([](const std::string&) { throw std::runtime_error("no log"); });
                ::testing::internal::CaptureStderr();
                e.gadget.setCount(1);
                t.commit();
                EXPECT_EQ(::testing::internal::GetCapturedStderr(), failed + "observer broke\n");
            },
            "original count=1 | Gadget(count); Gadget(count); Gadget(count)"}),
    [](const auto& info) { return info.param.name; });

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
