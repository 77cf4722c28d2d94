// One thread's use of the model. What its writes, collection edits and transactions leave in the
// model, and which commits its observers are told of, with the modifiers and validators that take
// part in them; who is told of a commit: subscriptions, removal at any moment, and the elements a
// listener's report holds (its class and subclasses); every misuse of the typed interface the
// framework refuses, with the error's type and what its message names. (The untyped layer beneath
// checks kinds too, but only the typed one calls it.)
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <typeindex>

#include "TestModel.h"

namespace tq_zero_test {
namespace {

using tq::zero::MetaClass, tq::zero::nilUuid, tq::zero::Transaction;

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
            "original count=1 | Gadget(count); Gadget(count); Gadget(count)"},
        Scenario{"AnElementCreatedWithValuesHasThemFromTheStartAndNoCommitReportsThem",
                 [](Env& e) {
                     std::array<tq::zero::InitialValue, 2> values{
                         {{Gadget::nameProperty(), std::u16string(u"fancy")}, {Gadget::countProperty(), 7}}};
                     const auto fancy = FancyGadget::createWith(e.model, nilUuid(), values);
                     const Branch branch = Branch::create(e.model, nilUuid());
                     edit(branch.getBranches(), [&](auto& m) { m.append(fancy); });
                     EXPECT_EQ(fancy.getName() + fancy.getFlourish(), u"fancy");
                     EXPECT_EQ(fancy.getCount(), 7);
                     e.gadget.setPart(Part::create(e.model, nilUuid()));
                     EXPECT_EQ(e.gadget.childAt<Part>({&Gadget::partProperty()}, ""), e.gadget.getPart());
                 },
                 "original | Gadget(part)"}),
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

// --- misuse ---

using Kind = tq::zero::PropertyKind;

struct Misuse {
    const char* name;
    std::type_index type;
    const char* mentions;
    std::function<void(GadgetModel&)> act;
};
void PrintTo(const Misuse& m, std::ostream* out) { *out << m.name; }

class MisuseTest : public GadgetModel, public ::testing::TestWithParam<Misuse> {};

TEST_P(MisuseTest, ThrowsTheExpectedErrorNamingTheCause) {
    try {
        GetParam().act(*this);
        ADD_FAILURE() << "nothing thrown";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::type_index(typeid(e)), GetParam().type) << e.what();
        EXPECT_NE(std::string(e.what()).find(GetParam().mentions), std::string::npos) << e.what();
    }
}

const std::type_index logic = typeid(std::logic_error), range = typeid(std::out_of_range),
                      invalid = typeid(std::invalid_argument);

// A gadget created with the one value given.
void createWith(GadgetModel& m, const tq::zero::PropertyInfo& property, tq::zero::detail::Value value) {
    std::array<tq::zero::InitialValue, 1> values{{{property, std::move(value)}}};
    Gadget::createWith(m.model, nilUuid(), values);
}

// Runs `act` from a modifier, on the transaction being committed.
void fromModifier(GadgetModel& m, std::function<void(const tq::zero::Model&)> act) {
    CommitParticipant modifier;
    modifier.onCommitting = [&](const Report&) { act(m.model); };
    m.model.addListener(modifier);
    const std::shared_ptr<void> unsubscribe(nullptr, [&](void*) { m.model.removeListener(modifier); });
    m.gadget.setCount(1);
}
// A gadget whose model is gone by the time it is returned.
Gadget orphaned() { return Gadget::create(tq::zero::Model(), nilUuid()); }
void holdOneAbove(GadgetModel& m) {
    const Branch top = Branch::create(m.model, nilUuid()), below = Branch::create(m.model, nilUuid());
    edit(top.getBranches(), [&](auto& e) { e.append(below); });
    edit(below.getBranches(), [&](auto& e) { e.append(top); });
}

// One row per line: the table reads as a list of refusals.
// clang-format off
const Misuse kMisuses[] = {
    {"UseOfAnAbsentChild", logic, "absent: Gadget.part", [](auto& m) { m.gadget.getPart().setLabel(u"x"); }},
    {"ElementSeenAsAnotherClass", logic, "Gadget is not a tq_zero_test::Part", [](auto& m) { tq::zero::Element(m.gadget).as<Part>(); }},
    {"UseOfAnElementThatOutlivedItsModel", logic, "outlived its model", [](auto&) { orphaned().setCount(1); }},
    {"InsertPastTheEnd", range, "insert at 1 past the end of tq_zero_test::Gadget.notes (size 0)", [](auto& m) { edit(m.gadget.getNotes(), [](auto& e) { e.insert(1, u"a"); }); }},
    {"ChildOfAnotherModel", logic, "Gadget.part cannot hold an element of another model", [](auto& m) { m.gadget.setPart(Part::create(tq::zero::Model(), nilUuid())); }},
    {"ElementHoldingOneAboveIt", logic, "cannot hold its own element or one above it", [](auto& m) { holdOneAbove(m); }},
    {"CommitWithoutATransaction", logic, "commit without a transaction", [](auto& m) { m.model.commit(); }},
    {"EndWithoutATransaction", logic, "endTransaction without a transaction", [](auto& m) { m.model.endTransaction(); }},
    {"WriteInAReadOnlyTransaction", logic, "write of tq_zero_test::Gadget.tags in a read-only transaction", [](auto& m) { tq::zero::Transaction(m.model, true), edit(m.gadget.getTags(), [](auto& e) { e.append(u"t"); }); }},
    {"CommitFromAModifier", logic, "commit of a transaction while it is being committed", [](auto& m) { fromModifier(m, [](auto& model) { model.commit(); }); }},
    {"EndFromAModifier", logic, "endTransaction of a transaction while it is being committed", [](auto& m) { fromModifier(m, [](auto& model) { model.endTransaction(); }); }},
    {"DifferentDeclarationUnderATakenName", logic, "declared twice with different parents or properties", [](auto&) { Part::meta(), MetaClass::intern("tq_zero_test::Part", nullptr, {}); }},
    {"PropertyDeclaredTwice", logic, "declares property a twice", [](auto&) { MetaClass::intern("tq_zero_test::Twice", nullptr, {{"a", Kind::Scalar, false}, {"a", Kind::Child, false}}); }},
    {"InitialValueOfAChild", invalid, "takes values of scalar properties only, not of part", [](auto& m) { createWith(m, Gadget::partProperty(), {}); }},
    {"InitialValueOfAnotherClass", invalid, "Part.label does not belong to class tq_zero_test::Gadget", [](auto& m) { createWith(m, Part::labelProperty(), u"x"); }},
    {"PathThroughAScalar", invalid, "Gadget.name is not a child", [](GadgetModel& m) { m.gadget.childAt<Part>({&Gadget::nameProperty()}, ""); }},
    {"PathToAnotherClass", logic, "Part is not a tq_zero_test::Gadget", [](GadgetModel& m) { m.gadget.setPart(Part::create(m.model, nilUuid())), m.gadget.childAt<Gadget>({&Gadget::partProperty()}, ""); }},
    {"AbsentLinkOfAPath", logic, "absent: the part", [](GadgetModel& m) { m.gadget.childAt<Part>({&Gadget::partProperty()}, "the part").setLabel(u"x"); }},
    {"UnknownProperty", range, "tq_zero_test::FancyGadget has no property colour", [](auto&) { FancyGadget::meta().property("colour"); }},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Refusals, MisuseTest, ::testing::ValuesIn(kMisuses),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tq_zero_test
