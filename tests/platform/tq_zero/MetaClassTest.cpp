#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "TestElements.h"
#include "install/datamodels/DataModel.h"

namespace tq_zero_test {
namespace {

using tq::zero::Element;
using tq::zero::MetaClass;
using tq::zero::PropertyKind;

TEST(MetaClassTest, InterningTheSameDeclarationAgainYieldsTheSameInstance) {
    const MetaClass& again =
        MetaClass::intern("tq_zero_test::Part", &Element::meta(),
                          {{"label", PropertyKind::Scalar, false}, {"weight", PropertyKind::Scalar, false}});
    EXPECT_EQ(&again, &Part::meta());
    EXPECT_EQ(again.name(), "tq_zero_test::Part");
}

TEST(MetaClassTest, InterningADifferentDeclarationUnderATakenNameIsRefused) {
    Part::meta();  // the name is taken by the class's own declaration first
    EXPECT_THROW(
        MetaClass::intern("tq_zero_test::Part", &Element::meta(), {{"label", PropertyKind::Scalar, false}}),
        std::logic_error);
    EXPECT_THROW(
        MetaClass::intern("tq_zero_test::Part", &Gadget::meta(),
                          {{"label", PropertyKind::Scalar, false}, {"weight", PropertyKind::Scalar, false}}),
        std::logic_error);
}

TEST(MetaClassTest, APropertyDeclaredTwiceInOneClassIsRefused) {
    EXPECT_THROW(MetaClass::intern("tq_zero_test::Twice", nullptr,
                                   {{"a", PropertyKind::Scalar, false}, {"a", PropertyKind::Child, false}}),
                 std::logic_error);
}

TEST(MetaClassTest, PropertiesAreFoundOnTheClassAndItsAncestors) {
    const MetaClass& fancy = FancyGadget::meta();
    EXPECT_EQ(fancy.findProperty("flourish"), &FancyGadget::flourishProperty());
    EXPECT_EQ(fancy.findProperty("name"), &Gadget::nameProperty());
    EXPECT_EQ(&fancy.property("tags"), &Gadget::tagsProperty());
    EXPECT_EQ(Gadget::meta().findProperty("flourish"), nullptr);
    EXPECT_EQ(fancy.findProperty("nothing"), nullptr);
}

TEST(MetaClassTest, PropertiesDescribeTheirDeclaration) {
    EXPECT_EQ(Gadget::nameProperty().kind(), PropertyKind::Scalar);
    EXPECT_EQ(Gadget::partProperty().kind(), PropertyKind::Child);
    EXPECT_EQ(Gadget::tagsProperty().kind(), PropertyKind::StringSequence);
    EXPECT_TRUE(Gadget::tagsProperty().isUnique());
    EXPECT_FALSE(Gadget::notesProperty().isUnique());
    EXPECT_EQ(Gadget::labelsProperty().kind(), PropertyKind::StringSet);
    EXPECT_EQ(Gadget::partsProperty().kind(), PropertyKind::ElementSequence);
    EXPECT_EQ(&FancyGadget::nameProperty().owner(), &Gadget::meta());
}

TEST(MetaClassTest, AnUnknownPropertyThrowsOutOfRangeNamingClassAndProperty) {
    try {
        FancyGadget::meta().property("colour");
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("tq_zero_test::FancyGadget"), std::string::npos) << text;
        EXPECT_NE(text.find("colour"), std::string::npos) << text;
    }
}

TEST(MetaClassTest, IsAFollowsTheParentChain) {
    EXPECT_TRUE(FancyGadget::meta().isA(FancyGadget::meta()));
    EXPECT_TRUE(FancyGadget::meta().isA(Gadget::meta()));
    EXPECT_TRUE(FancyGadget::meta().isA(Element::meta()));
    EXPECT_FALSE(Gadget::meta().isA(FancyGadget::meta()));
    EXPECT_FALSE(Gadget::meta().isA(Part::meta()));
    EXPECT_EQ(FancyGadget::meta().parent(), &Gadget::meta());
    EXPECT_EQ(Element::meta().parent(), nullptr);
}

TEST(MetaClassTest, TheInstallerDataModelIsLookedUpByName) {
    using install::datamodels::common::ApplicationData;
    using install::datamodels::product_installer::ProductInstaller;
    const MetaClass& meta = ApplicationData::meta();
    EXPECT_EQ(meta.name(), "install::datamodels::common::ApplicationData");
    EXPECT_EQ(&meta.property("workflowName"), &ApplicationData::workflowNameProperty());
    EXPECT_EQ(&ProductInstaller::meta().property("workflowDependentData"),
              &ProductInstaller::workflowDependentDataProperty());
    EXPECT_THROW(meta.property("workflow"), std::out_of_range);
}

}  // namespace
}  // namespace tq_zero_test
