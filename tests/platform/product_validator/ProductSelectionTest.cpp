// Which products may be picked and what is proposed before the user picks.
#include "install/product_validator/ProductSelection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace install::product_validator {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using List = ProductSelection::ProductList;

class ProductSelectionTest : public testing::Test {
protected:
    ProductSelection selection;
};

TEST_F(ProductSelectionTest, InstallableProductsAreTheOfferedOnesTheRepositoryHoldsInOfferedOrder) {
    EXPECT_THAT(selection.getInstallableProducts({u"C", u"A", u"B", u"A"}, {u"A", u"C", u"X"}),
                ElementsAre(u"C", u"A"));
    EXPECT_THAT(selection.getInstallableProducts({}, {u"A", u"B"}), IsEmpty()) << "nothing offered";
    EXPECT_THAT(selection.getInstallableProducts({u"A"}, {}), IsEmpty()) << "empty repository";
}

TEST_F(ProductSelectionTest, ASelectionWithinTheInstallableProductsPasses) {
    const List all{u"A", u"B"};
    EXPECT_NO_THROW(selection.validate({u"B", u"A"}, all, all, all));
    EXPECT_NO_THROW(selection.validate({}, all, all, all));
}

struct RefusalCase {
    const char* label;
    List selected;
    List offered;
    List available;
    List installable;
    List refused;
};

class RefusalTest : public ProductSelectionTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, NamesEveryRefusedProductOnceInSelectionOrder) {
    const auto& c = GetParam();
    try {
        selection.validate(c.selected, c.offered, c.available, c.installable);
        FAIL() << "the selection was accepted";
    } catch (const SelectedProductsNotAvailableException& error) {
        EXPECT_EQ(error.getBasecodeList(), c.refused);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Selections, RefusalTest,
    testing::Values(
        RefusalCase{"UnknownBaseCodes", {u"A", u"NOPE", u"GONE"}, {u"A"}, {u"A"}, {u"A"}, {u"NOPE", u"GONE"}},
        RefusalCase{"NotOffered", {u"A", u"B"}, {u"A"}, {u"A", u"B"}, {u"A", u"B"}, {u"B"}},
        RefusalCase{"NotInTheRepository", {u"B"}, {u"A", u"B"}, {u"A"}, {u"A", u"B"}, {u"B"}},
        RefusalCase{"StaleInstallableList", {u"B"}, {u"A", u"B"}, {u"A", u"B"}, {u"A"}, {u"B"}},
        RefusalCase{"RepeatedInSelection", {u"Z", u"Z"}, {}, {}, {}, {u"Z"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProductSelectionTest, TheRefusalTextListsTheBaseCodes) {
    const SelectedProductsNotAvailableException error({u"A", u"B"});
    EXPECT_STREQ(error.what(), "Installation files are not available for: A, B");
}

TEST_F(ProductSelectionTest, AnEarlierSelectionSurvivesLessWhatCanNoLongerBeInstalled) {
    EXPECT_THAT(selection.getProductsToBeSelected({u"A", u"GONE"}, {u"A", u"B"}, {u"A"}, {u"B"}),
                ElementsAre(u"A"));
}

TEST_F(ProductSelectionTest, WithoutSelectionTheInstallableMinimalProductsAreProposed) {
    EXPECT_THAT(selection.getProductsToBeSelected({}, {u"A", u"B", u"C"}, {}, {u"C", u"X"}),
                ElementsAre(u"C"));
}

TEST_F(ProductSelectionTest, OtherwiseEveryInstallableProductNotYetInstalledIsProposed) {
    EXPECT_THAT(selection.getProductsToBeSelected({}, {u"C", u"A", u"B"}, {u"B"}, {}),
                ElementsAre(u"A", u"C"));
    EXPECT_THAT(selection.getProductsToBeSelected({}, {u"A"}, {}, {u"X"}), ElementsAre(u"A"))
        << "a minimal set of nothing installable proposes as if there were none";
    EXPECT_THAT(selection.getProductsToBeSelected({}, {u"A"}, {u"A"}, {}), IsEmpty());
}

TEST_F(ProductSelectionTest, IntersectionKeepsTheFirstListsOrderWithoutRepeats) {
    EXPECT_THAT(selection.getIntersection({u"B", u"A", u"B", u"C"}, {u"A", u"B"}), ElementsAre(u"B", u"A"));
}

}  // namespace
}  // namespace install::product_validator
