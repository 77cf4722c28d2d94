// What a selection lacks, judged from a catalogue of the test's own.
#include "install/product_validator/ProductValidator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace install::product_validator {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using List = ProductValidator::ProductList;

class NamedProduct : public product_api::Product {
public:
    explicit NamedProduct(std::u16string baseCode) : baseCode_(std::move(baseCode)) {}
    std::u16string getBaseCode() const override { return baseCode_; }
    std::u16string getName() const override { return baseCode_; }
    std::uint64_t getDownloadSize() const override { return 1; }
    std::uint64_t getInstallSize() const override { return 1; }

private:
    std::u16string baseCode_;
};

repository_adapter::ProductMap repositoryOf(const List& baseCodes) {
    repository_adapter::ProductMap products;
    for (const auto& code : baseCodes) products[code] = std::make_shared<NamedProduct>(code);
    return products;
}

ProductValidator validatorFor(const char* json) {
    auto catalogue = std::make_shared<const productidentifier::ProductCatalogue>(
        productidentifier::ProductCatalogue::fromJson(json));
    return ProductValidator(std::make_shared<const productidentifier::ProductIdentifier>(catalogue));
}

// A family head MAIN; TOOL and PLOT need MAIN, TEST needs TOOL (and so MAIN); SERVER heads a
// second family; EXTRA needs a product the catalogue does not describe.
constexpr char kCatalogue[] = R"({"products": [
    {"baseCode": "MAIN", "name": "Main", "controlling": true},
    {"baseCode": "SERVER", "name": "Server", "controlling": true},
    {"baseCode": "TOOL", "name": "Tool", "dependencies": ["MAIN"]},
    {"baseCode": "PLOT", "name": "Plot", "dependencies": ["MAIN"]},
    {"baseCode": "TEST", "name": "Test", "dependencies": ["TOOL", "PLOT"]},
    {"baseCode": "CLIENT", "name": "Client", "dependencies": ["SERVER", "MAIN"]},
    {"baseCode": "EXTRA", "name": "Extra", "dependencies": ["UNDESCRIBED", "PLOT"]}
]})";

class ProductValidatorTest : public testing::Test {
protected:
    ProductValidator validator = validatorFor(kCatalogue);
    repository_adapter::ProductMap repository =
        repositoryOf({u"MAIN", u"SERVER", u"TOOL", u"PLOT", u"TEST", u"CLIENT", u"EXTRA"});
};

TEST_F(ProductValidatorTest, AControllingProductNeitherSelectedNorInstalledIsMissing) {
    EXPECT_THAT(validator.getMissingControllingProducts({u"TOOL"}, {}, repository), ElementsAre(u"MAIN"));
    EXPECT_THAT(validator.getMissingControllingProducts({u"TOOL", u"MAIN"}, {}, repository), IsEmpty());
    EXPECT_THAT(validator.getMissingControllingProducts({u"TOOL"}, {u"MAIN"}, repository), IsEmpty());
}

TEST_F(ProductValidatorTest, ControllingProductsReachedThroughOthersCountOnceInOrderOfNeed) {
    EXPECT_THAT(validator.getMissingControllingProducts({u"TEST", u"CLIENT"}, {}, repository),
                ElementsAre(u"MAIN", u"SERVER"));
    EXPECT_THAT(validator.getMissingControllingProducts({u"CLIENT"}, {}, repository),
                ElementsAre(u"SERVER", u"MAIN"));
}

TEST_F(ProductValidatorTest, DependentProductsAreTheOtherNeedsNearestFirst) {
    EXPECT_THAT(validator.getMissingDependentProducts({u"TEST"}, {}, repository),
                ElementsAre(u"TOOL", u"PLOT"));
    EXPECT_THAT(validator.getMissingDependentProducts({u"TEST"}, {u"PLOT"}, repository),
                ElementsAre(u"TOOL"));
    EXPECT_THAT(validator.getMissingDependentProducts({u"TEST", u"TOOL", u"PLOT"}, {}, repository),
                IsEmpty());
    EXPECT_THAT(validator.getMissingDependentProducts({u"TOOL"}, {}, repository), IsEmpty())
        << "the controlling product is not a dependent one";
}

TEST_F(ProductValidatorTest, UndescribedDependenciesArePassedOver) {
    EXPECT_THAT(validator.getMissingDependentProducts({u"EXTRA"}, {}, repository), ElementsAre(u"PLOT"));
}

TEST_F(ProductValidatorTest, OnlySelectedProductsTheRepositoryHoldsAreJudged) {
    EXPECT_THAT(validator.getMissingControllingProducts({u"TOOL", u"NOPE"}, {}, repositoryOf({u"MAIN"})),
                IsEmpty());
    EXPECT_THAT(validator.getMissingDependentProducts({u"NOPE"}, {}, repository), IsEmpty());
    EXPECT_THAT(validator.getMissingDependentProducts({}, {}, repository), IsEmpty());
}

TEST(ProductValidatorCycleTest, ADependencyCycleEndsTheWalkWithEveryMemberOnce) {
    const auto validator = validatorFor(R"({"products": [
        {"baseCode": "HEAD", "name": "Head", "controlling": true, "dependencies": ["A"]},
        {"baseCode": "A", "name": "A", "dependencies": ["B"]},
        {"baseCode": "B", "name": "B", "dependencies": ["A", "HEAD"]},
        {"baseCode": "SELF", "name": "Self", "dependencies": ["SELF"]}
    ]})");
    const auto repository = repositoryOf({u"HEAD", u"A", u"B", u"SELF"});
    const auto controlling = validator.getMissingControllingProducts({u"A", u"SELF"}, {}, repository);
    const auto dependent = validator.getMissingDependentProducts({u"A", u"SELF"}, {}, repository);
    EXPECT_THAT(controlling, ElementsAre(u"HEAD"));
    EXPECT_THAT(dependent, ElementsAre(u"B"));
}

}  // namespace
}  // namespace install::product_validator
