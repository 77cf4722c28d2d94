// Every misuse of the typed interface the framework refuses, with the error's type and what its
// message names. (The untyped layer beneath checks kinds too, but only the typed one calls it.)
#include <gtest/gtest.h>

#include <stdexcept>
#include <typeindex>

#include "TestModel.h"

namespace tq_zero_test {
namespace {

using tq::zero::MetaClass, tq::zero::nilUuid;
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

const std::type_index logic = typeid(std::logic_error), range = typeid(std::out_of_range);

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
    {"UnknownProperty", range, "tq_zero_test::FancyGadget has no property colour", [](auto&) { FancyGadget::meta().property("colour"); }},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Refusals, MisuseTest, ::testing::ValuesIn(kMisuses),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tq_zero_test
