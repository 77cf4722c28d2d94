#include <gtest/gtest.h>

#include <boost/uuid/string_generator.hpp>
#include <stdexcept>
#include <string>

#include "TestElements.h"
#include "install/datamodels/DataModel.h"

namespace tq_zero_test {
namespace {

using tq::zero::Model;
using tq::zero::nilUuid;
using tq::zero::detail::NodePtr;
using tq::zero::detail::Runtime;
using tq::zero::detail::Value;

NodePtr nodeOf(const tq::zero::Element& element) {
    return std::get<NodePtr>(tq::zero::detail::ValueTraits<tq::zero::Element>::toValue(element));
}

template <class Call>
std::string logicErrorOf(Call call) {
    try {
        call();
    } catch (const std::logic_error& e) {
        return e.what();
    }
    return "no std::logic_error";
}

class ElementHandleTest : public ::testing::Test {
protected:
    Model model;
    Gadget gadget = Gadget::create(model, nilUuid());
};

TEST_F(ElementHandleTest, HandlesShareTheirElement) {
    const Gadget copy = gadget;
    copy.setName(u"shared");
    EXPECT_EQ(gadget.getName(), u"shared");
    EXPECT_EQ(copy, gadget);
    EXPECT_NE(Gadget::create(model, nilUuid()), gadget);
    EXPECT_EQ(gadget.model(), model);
    EXPECT_FALSE(gadget.model() == Model());
}

TEST_F(ElementHandleTest, AnElementKeepsItsIdAndClass) {
    const auto id = boost::uuids::string_generator()("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0");
    const FancyGadget fancy = FancyGadget::create(model, id);
    EXPECT_EQ(fancy.id(), id);
    EXPECT_EQ(gadget.id(), nilUuid());
    EXPECT_EQ(&fancy.metaClass(), &FancyGadget::meta());
}

TEST_F(ElementHandleTest, UnsetPropertiesReadAsDefaults) {
    EXPECT_EQ(gadget.getName(), u"");
    EXPECT_EQ(gadget.getCount(), 0);
    EXPECT_FALSE(gadget.getEnabled());
    EXPECT_EQ(gadget.getMood(), Mood::Calm);
    EXPECT_FALSE(gadget.hasPart());
    EXPECT_TRUE(gadget.getTags().empty());
}

TEST_F(ElementHandleTest, EveryScalarKindRoundTrips) {
    gadget.setEnabled(true);
    gadget.setLevel(std::int8_t{-5});
    gadget.setCount(-70000);
    gadget.setMood(Mood::Grumpy);
    Part part = Part::create(model, nilUuid());
    part.setWeight(std::uint64_t{1} << 40);
    EXPECT_TRUE(gadget.getEnabled());
    EXPECT_EQ(gadget.getLevel(), -5);
    EXPECT_EQ(gadget.getCount(), -70000);
    EXPECT_EQ(gadget.getMood(), Mood::Grumpy);
    EXPECT_EQ(part.getWeight(), std::uint64_t{1} << 40);
}

TEST_F(ElementHandleTest, AnAbsentChildThrowsNamingWhereItIsMissing) {
    const Part absent = gadget.getPart();
    EXPECT_TRUE(absent.isNull());
    const std::string message = logicErrorOf([&] { absent.getLabel(); });
    EXPECT_NE(message.find("Gadget.part"), std::string::npos) << message;
    EXPECT_NE(logicErrorOf([&] { absent.setLabel(u"x"); }).find("Gadget.part"), std::string::npos);
}

TEST_F(ElementHandleTest, AnAbsentChildOfTheInstallerModelNamesItsProperty) {
    const auto data = install::datamodels::common::ApplicationData::create(model, nilUuid());
    const std::string message = logicErrorOf([&] { data.getValidationStatus().getTitle(); });
    EXPECT_NE(message.find("ApplicationData.validationStatus"), std::string::npos) << message;
}

TEST_F(ElementHandleTest, ADefaultHandleThrowsOnEveryUse) {
    const Gadget null;
    EXPECT_NE(logicErrorOf([&] { null.getName(); }).find("null element handle"), std::string::npos);
    EXPECT_THROW(null.setName(u"x"), std::logic_error);
    EXPECT_THROW(null.getTags(), std::logic_error);
    EXPECT_THROW(null.id(), std::logic_error);
    EXPECT_THROW(null.metaClass(), std::logic_error);
}

TEST_F(ElementHandleTest, AChildCanBeClearedWithANullHandle) {
    gadget.setPart(Part::create(model, nilUuid()));
    EXPECT_TRUE(gadget.hasPart());
    gadget.setPart(Part());
    EXPECT_FALSE(gadget.hasPart());
}

TEST_F(ElementHandleTest, APropertyOfAnotherClassIsRefused) {
    const NodePtr node = nodeOf(gadget);
    EXPECT_THROW(Runtime::read(*node, Part::labelProperty()), std::invalid_argument);
    EXPECT_THROW(Runtime::write(node, FancyGadget::flourishProperty(), std::u16string(u"x")),
                 std::invalid_argument);
    const NodePtr fancy = nodeOf(FancyGadget::create(model, nilUuid()));
    Runtime::write(fancy, Gadget::nameProperty(), std::u16string(u"inherited"));
    EXPECT_EQ(std::get<std::u16string>(Runtime::read(*fancy, Gadget::nameProperty())), u"inherited");
}

TEST_F(ElementHandleTest, APropertyUsedAsTheWrongKindIsRefused) {
    const NodePtr node = nodeOf(gadget);
    EXPECT_THROW(Runtime::read(*node, Gadget::tagsProperty()), std::invalid_argument);
    EXPECT_THROW(Runtime::readCollection(*node, Gadget::nameProperty()), std::invalid_argument);
    EXPECT_THROW(Runtime::collectionSize(*node, Gadget::partProperty()), std::invalid_argument);
    EXPECT_THROW(Runtime::modifyCollection(node, Gadget::countProperty(), {}), std::invalid_argument);
    EXPECT_THROW(Runtime::write(node, Gadget::nameProperty(), nodeOf(Part::create(model, nilUuid()))),
                 std::invalid_argument);
    EXPECT_THROW(Runtime::write(node, Gadget::partProperty(), std::u16string(u"x")), std::invalid_argument);
}

TEST_F(ElementHandleTest, AHandMadePropertyIsRefused) {
    const tq::zero::PropertyInfo forged("name", tq::zero::PropertyKind::Scalar, false, Gadget::meta());
    EXPECT_THROW(Runtime::read(*nodeOf(gadget), forged), std::invalid_argument);
}

TEST_F(ElementHandleTest, AnElementOfAnotherModelCannotBeAttached) {
    Model other;
    const Part stranger = Part::create(other, nilUuid());
    EXPECT_THROW(gadget.setPart(stranger), std::logic_error);
    auto edit = gadget.getParts().modify();
    edit.append(stranger);
    EXPECT_THROW(edit.commit(), std::logic_error);
}

TEST_F(ElementHandleTest, AnElementCannotHoldItselfOrAnElementAboveIt) {
    const Branch top = Branch::create(model, nilUuid());
    const Branch below = Branch::create(model, nilUuid());
    auto self = top.getBranches().modify();
    self.append(top);
    EXPECT_THROW(self.commit(), std::logic_error);

    auto down = top.getBranches().modify();
    down.append(below);
    down.commit();
    auto up = below.getBranches().modify();
    up.append(top);
    EXPECT_THROW(up.commit(), std::logic_error);
    EXPECT_TRUE(below.getBranches().empty());
}

TEST_F(ElementHandleTest, AnElementThatOutlivesItsModelRefusesReadsAndWrites) {
    Gadget orphan;
    {
        Model shortLived;
        orphan = Gadget::create(shortLived, nilUuid());
        orphan.setName(u"n");
    }
    EXPECT_FALSE(orphan.model().isValid());
    EXPECT_THROW(orphan.getName(), std::logic_error);
    EXPECT_THROW(orphan.setName(u"x"), std::logic_error);
    EXPECT_EQ(&orphan.metaClass(), &Gadget::meta());
}

}  // namespace
}  // namespace tq_zero_test
