// The product page's judgement of a selection, in its order: availability, reinstallation,
// missing controlling and dependent products (with the flags that let an acknowledged warning
// pass), each refusal with its status, log line and record.
#include "ProductSelectionGateFixture.h"

namespace product_selection_test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

constexpr char kDependencyLocation[] = "ProductSelection::ProductValidator::MissingDependency";

class ProductSelectionValidationTest : public ProductSelectionGateFixture {
protected:
    ProductSelectionValidationTest() { offer(kAll); }

    std::string onlyRecord(const char* field) const {
        const auto records = diagnostics.records();
        for (const auto& record : records) {
            if (record.contains("error.1")) return record[field];
        }
        return "<no error record>";
    }

    const ProductList kAll{u"VELORA", u"VPS",    u"FLOWMERE", u"COMPILER", u"BUGFINDER",
                           u"TEST",   u"CLIENT", u"LOOP_A",   u"LOOP_B",   u"GHOST"};
};

TEST_F(ProductSelectionValidationTest, ASoundSelectionIsValidProcessedAndLogged) {
    select({u"VELORA", u"COMPILER"});

    submit();

    EXPECT_TRUE(processed());
    EXPECT_EQ(status().getResult(), Result::Valid);
    EXPECT_THAT(codes(), IsEmpty());
    EXPECT_EQ(log.lines().back(), u"Product selection validation is successful.");
    EXPECT_EQ(handler->getRequiredInstallSize(), 2000U);
}

TEST_F(ProductSelectionValidationTest, TheSelectedProductsAreReportedBeforeTheyAreJudged) {
    select({u"VELORA", u"NOPE"});

    submit();

    const auto records = diagnostics.records();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front()["record"], "product");
    const auto products = records.front()["products"];
    ASSERT_EQ(products.size(), 2U);
    // In selection order as the model keeps it; an unknown product is reported with what is known.
    std::map<std::string, foundation::json::Value> byCode;
    for (const auto& product : products) byCode[product["product.1"]] = product;
    EXPECT_EQ(byCode["VELORA"]["product.2"], "Velora");
    EXPECT_EQ(byCode["VELORA"]["product.3"], 100);
    EXPECT_EQ(byCode["VELORA"]["product.4"], 1000);
    EXPECT_EQ(byCode["VELORA"]["product.5"], false);
    EXPECT_EQ(byCode["NOPE"]["product.2"], "");
    EXPECT_EQ(byCode["NOPE"]["product.4"], 0);
}

TEST_F(ProductSelectionValidationTest, UnavailableProductsAreNamedInDisplayOrderAndUnnamableOnesLeftOut) {
    offer({u"VELORA"});
    select({u"VELORA", u"FLOWMERE", u"NOPE", u"VPS", u"GHOST"});

    submit();

    EXPECT_FALSE(processed());
    EXPECT_EQ(status().getResult(), Result::Failure);
    EXPECT_EQ(independent().getValidationResultType(), validationResultType(10));
    EXPECT_EQ(status().getTitle(), u"");
    EXPECT_EQ(status().getMessage(),
              fl::i18n::message("selectedProductNotAvailable", u"Velora Parallel Server, Flowmere"));
    EXPECT_THAT(codes(), ElementsAre("810"));
    EXPECT_EQ(onlyRecord("error.2"), "Installation files for the selected products are not available");
    EXPECT_EQ(onlyRecord("error.3"), "Installation files are not available for: FLOWMERE, GHOST, NOPE, VPS");
    EXPECT_EQ(onlyRecord("error.4"),
              "ProductSelection::ProductValidator::SelectedProductsNotAvailableException");
    EXPECT_THAT(log.lines(), ElementsAre(status().getMessage()));
}

TEST_F(ProductSelectionValidationTest, ASelectionOfOnlyUnknownProductsIsRefusedWithAnEmptyList) {
    select({u"NOPE", u"ALSO_NOPE"});

    submit();

    EXPECT_EQ(independent().getValidationResultType(), validationResultType(10));
    EXPECT_EQ(status().getMessage(), fl::i18n::message("selectedProductNotAvailable", u""));
    EXPECT_THAT(codes(), ElementsAre("810"));
}

struct ReinstallCase {
    const char* label;
    ProductList selected;
    bool silent;
};

class ReinstallTest : public ProductSelectionValidationTest,
                      public testing::WithParamInterface<ReinstallCase> {};

TEST_P(ReinstallTest, NothingNewToInstallIsAFailureWhenSilentAndAWarningOtherwise) {
    handler->setInstalledProducts({u"VELORA", u"COMPILER"});
    select(GetParam().selected);
    if (GetParam().silent) silent();

    submit();

    EXPECT_FALSE(processed());
    EXPECT_EQ(status().getResult(), GetParam().silent ? Result::Failure : Result::Warning);
    EXPECT_EQ(independent().getValidationResultType(), validationResultType(14));
    EXPECT_EQ(status().getTitle(), fl::i18n::message("reinstallWarningTitle"));
    EXPECT_EQ(status().getMessage(), fl::i18n::message("reinstallWarningMsg", u"R2031a", u"w64pc"));
    EXPECT_THAT(codes(), ElementsAre("820"));
    EXPECT_EQ(onlyRecord("error.2"), "All selected products are already installed");
    EXPECT_EQ(onlyRecord("error.4"), "ProductSelection::ProductSelection::SelectedProductsAlreadyInstalled");
}

INSTANTIATE_TEST_SUITE_P(
    Selections, ReinstallTest,
    testing::Values(ReinstallCase{"AllInstalledInteractive", {u"VELORA", u"COMPILER"}, false},
                    ReinstallCase{"AllInstalledSilent", {u"VELORA"}, true},
                    ReinstallCase{"EmptyInteractive", {}, false}, ReinstallCase{"EmptySilent", {}, true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProductSelectionValidationTest, OneNewProductBesideInstalledOnesIsNoReinstallation) {
    handler->setInstalledProducts({u"VELORA"});
    environment.installedByEngine = {u"VELORA"};
    select({u"VELORA", u"COMPILER"});

    submit();

    EXPECT_TRUE(processed());
}

// One row of the missing-products decision: what is selected, installed and installable, and
// the page's answer.
struct MissingCase {
    const char* label;
    ProductList selected;
    ProductList installable;
    ProductList installedByEngine;
    bool silent;
    Result result;
    int type;
    std::string code;
    ProductList missing;  // the model's missing products, in display order
    bool passes;
};

class MissingProductsTest : public ProductSelectionValidationTest,
                            public testing::WithParamInterface<MissingCase> {};

TEST_P(MissingProductsTest, TheFirstMatchingRuleDecides) {
    const auto& c = GetParam();
    offer(c.installable);
    environment.installedByEngine = c.installedByEngine;
    if (c.silent) silent();
    select(c.selected);

    submit();

    EXPECT_EQ(processed(), c.passes);
    EXPECT_EQ(status().getResult(), c.result);
    if (c.code.empty()) {
        EXPECT_THAT(codes(), IsEmpty());
        return;
    }
    EXPECT_EQ(independent().getValidationResultType(), validationResultType(c.type));
    EXPECT_THAT(codes(), ElementsAre(c.code));
    const auto stored = dependent().getMissingProducts().values();
    EXPECT_EQ(std::vector<std::u16string>(stored.begin(), stored.end()), c.missing);
}

const ProductList kEverything{u"VELORA", u"VPS",    u"FLOWMERE", u"COMPILER", u"BUGFINDER",
                              u"TEST",   u"CLIENT", u"LOOP_A",   u"LOOP_B"};

INSTANTIATE_TEST_SUITE_P(Decisions, MissingProductsTest,
                         testing::Values(MissingCase{"ControllingNotInstallable",
                                                     {u"COMPILER"},
                                                     {u"COMPILER", u"FLOWMERE"},
                                                     {},
                                                     false,
                                                     Result::Failure,
                                                     1,
                                                     "860",
                                                     {u"VELORA"},
                                                     false},
                                         MissingCase{"ControllingNotInstallableWinsOverDependents",
                                                     {u"TEST"},
                                                     {u"TEST"},
                                                     {},
                                                     false,
                                                     Result::Failure,
                                                     1,
                                                     "860",
                                                     {u"VELORA"},
                                                     false},
                                         MissingCase{"DependentsNotInstallable",
                                                     {u"TEST", u"VELORA"},
                                                     {u"TEST", u"VELORA"},
                                                     {},
                                                     false,
                                                     Result::Warning,
                                                     22,
                                                     "870",
                                                     {u"BUGFINDER"},
                                                     false},
                                         MissingCase{"DependentsNotInstallableWinOverInstallableControlling",
                                                     {u"TEST"},
                                                     {u"TEST", u"VELORA"},
                                                     {},
                                                     false,
                                                     Result::Warning,
                                                     22,
                                                     "870",
                                                     {u"BUGFINDER"},
                                                     false},
                                         MissingCase{"ControllingAndDependents",
                                                     {u"TEST"},
                                                     kEverything,
                                                     {},
                                                     false,
                                                     Result::Warning,
                                                     6,
                                                     "880",
                                                     {u"VELORA", u"BUGFINDER"},
                                                     false},
                                         MissingCase{"OnlyControlling",
                                                     {u"COMPILER", u"CLIENT"},
                                                     kEverything,
                                                     {},
                                                     false,
                                                     Result::Warning,
                                                     6,
                                                     "880",
                                                     {u"VPS", u"VELORA"},
                                                     false},
                                         MissingCase{"OnlyDependentsInteractive",
                                                     {u"TEST", u"VELORA"},
                                                     kEverything,
                                                     {},
                                                     false,
                                                     Result::Warning,
                                                     7,
                                                     "840",
                                                     {u"BUGFINDER"},
                                                     false},
                                         MissingCase{"OnlyDependentsSilentGoesOn",
                                                     {u"TEST", u"VELORA"},
                                                     kEverything,
                                                     {},
                                                     true,
                                                     Result::Valid,
                                                     7,
                                                     "840",
                                                     {u"BUGFINDER"},
                                                     true},
                                         MissingCase{"ControllingInstalledInTheFolder",
                                                     {u"COMPILER"},
                                                     {u"COMPILER"},
                                                     {u"VELORA"},
                                                     false,
                                                     Result::Valid,
                                                     0,
                                                     "",
                                                     {},
                                                     true},
                                         MissingCase{"DependencyCycle",
                                                     {u"LOOP_A"},
                                                     kEverything,
                                                     {},
                                                     false,
                                                     Result::Warning,
                                                     6,
                                                     "880",
                                                     {u"VELORA", u"LOOP_B"},
                                                     false},
                                         MissingCase{"NothingMissing",
                                                     {u"TEST", u"BUGFINDER", u"VELORA"},
                                                     kEverything,
                                                     {},
                                                     false,
                                                     Result::Valid,
                                                     0,
                                                     "",
                                                     {},
                                                     true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProductSelectionValidationTest, MissingProductWarningsNameTheProductsOnePerLine) {
    select({u"TEST"});

    submit();

    const auto productString = u"\tVelora\n\tQuarrix Bug Finder\n";
    EXPECT_EQ(status().getMessage(), fl::i18n::message("missingControllingProductsMsg", productString));
    EXPECT_EQ(status().getTitle(), u"");
    EXPECT_EQ(onlyRecord("error.2"), "Controlling product is missed on the selected products");
    EXPECT_EQ(onlyRecord("error.4"), kDependencyLocation);
    EXPECT_EQ(log.lines().back(), status().getMessage());
}

TEST_F(ProductSelectionValidationTest, MissingDependentsHaveTheirOwnMessageAndRecord) {
    select({u"TEST", u"VELORA"});

    submit();

    EXPECT_EQ(status().getMessage(),
              fl::i18n::message("missingDependentProductsMsg", u"\tQuarrix Bug Finder\n"));
    EXPECT_EQ(onlyRecord("error.2"), "Required dependency missed on some selected products");
    EXPECT_EQ(onlyRecord("error.4"), kDependencyLocation);
}

TEST_F(ProductSelectionValidationTest, NotInstallableProductsHaveTheirMessagesTitlesAndRecords) {
    offer({u"COMPILER"});
    select({u"COMPILER"});
    submit();
    EXPECT_EQ(status().getTitle(), fl::i18n::message("productDependenciesTitle"));
    EXPECT_EQ(status().getMessage(),
              fl::i18n::message("missingControllingProductNotInstallableMsg", u"\tVelora\n"));
    EXPECT_EQ(onlyRecord("error.2"), "Required controlling product is not installable");
    EXPECT_EQ(onlyRecord("error.4"),
              "ProductSelection::ProductValidator::MissingControllingDependencyNotInstallable");

    diagnostics.clear();
    offer({u"TEST", u"VELORA"});
    select({u"TEST", u"VELORA"});
    submit();
    EXPECT_EQ(status().getTitle(), u"");
    EXPECT_EQ(status().getMessage(),
              fl::i18n::message("missingDependentProductNotInstallableMsg", u"\tQuarrix Bug Finder\n"));
    EXPECT_EQ(onlyRecord("error.2"), "Required dependent products are not installable");
    EXPECT_EQ(onlyRecord("error.4"), "ProductSelection::ProductValidator::MissingDependencyNotInstallable");
}

struct ShownFlagCase {
    const char* label;
    ProductList selected;
    ProductList installable;
    bool productsWarningShown;
    bool notInstallableShown;
    bool passes;
};

class ShownFlagTest : public ProductSelectionValidationTest,
                      public testing::WithParamInterface<ShownFlagCase> {};

TEST_P(ShownFlagTest, AWarningTheUserHasSeenLetsTheSelectionPassAndIsThenForgotten) {
    const auto& c = GetParam();
    offer(c.installable);
    select(c.selected);
    handler->setMissingProductWarning(c.productsWarningShown);
    handler->setMissingNotInstalledShown(c.notInstallableShown);

    submit();

    EXPECT_EQ(processed(), c.passes);
    if (c.passes) {
        EXPECT_THAT(codes(), IsEmpty()) << "nothing reported a second time";
        EXPECT_FALSE(handler->isMissingProductWarningShown());
        EXPECT_FALSE(handler->isMissingNotInstalledShown());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, ShownFlagTest,
    testing::Values(
        ShownFlagCase{"MissingShownPassesMissing", {u"TEST"}, kEverything, true, false, true},
        ShownFlagCase{"NotInstallableShownPassesNotInstallable",
                      {u"TEST", u"VELORA"},
                      {u"TEST", u"VELORA"},
                      false,
                      true,
                      true},
        ShownFlagCase{
            "NotInstallableShownPassesControllingFailure", {u"COMPILER"}, {u"COMPILER"}, false, true, true},
        ShownFlagCase{"MissingShownDoesNotPassNotInstallable",
                      {u"TEST", u"VELORA"},
                      {u"TEST", u"VELORA"},
                      true,
                      false,
                      false},
        ShownFlagCase{"NotInstallableShownDoesNotPassMissing", {u"TEST"}, kEverything, false, true, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProductSelectionValidationTest, AnUnreadableInstallationRecordIsLoggedAndLeavesTheGate) {
    environment.engineRecordUnreadable = true;
    select({u"VELORA"});

    EXPECT_THROW(gate.processData(), install::engine::EngineInvalidInstalledProductsException);
    EXPECT_EQ(log.lines().back(), u"Failed to retrieve installed products");
    EXPECT_FALSE(processed());
}

TEST_F(ProductSelectionValidationTest, AProductOutsideTheRepositoryIsRefusedBeforeItsNeedsAreJudged) {
    useRepository({u"COMPILER"});
    offer({u"COMPILER", u"VELORA"});
    select({u"COMPILER", u"VELORA"});

    submit();

    EXPECT_THAT(codes(), ElementsAre("810"));
}

}  // namespace
}  // namespace product_selection_test
