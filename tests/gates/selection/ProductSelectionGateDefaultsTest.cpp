// The product page before the user chooses: the lists it fills, the proposal, the order in which
// products are shown, and the missing-files page when there is nothing to install.
#include "ProductSelectionGateFixture.h"

namespace product_selection_test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

class ProductSelectionDefaultsTest : public ProductSelectionGateFixture {};

TEST_F(ProductSelectionDefaultsTest, DefaultsFillTheListsFromRepositoryAndOffer) {
    useRepository({u"VELORA", u"COMPILER", u"FLOWMERE"});
    handler->setOfferedProducts({u"COMPILER", u"VELORA", u"VPS"});

    gate.setDefaultData();

    EXPECT_THAT(handler->getAvailableProducts(), ElementsAre(u"COMPILER", u"FLOWMERE", u"VELORA"));
    EXPECT_THAT(handler->getInstallableProducts(), ElementsAre(u"COMPILER", u"VELORA"));
    EXPECT_THAT(handler->getSelectedProducts(), UnorderedElementsAre(u"COMPILER", u"VELORA"));
    EXPECT_THAT(displayNames(), ElementsAre(u"Velora", u"Velora Compiler"));
}

TEST_F(ProductSelectionDefaultsTest, TheProposalLeavesOutWhatTheFolderHoldsAndKeepsAnEarlierChoice) {
    useRepository({u"VELORA", u"COMPILER", u"FLOWMERE"});
    handler->setOfferedProducts({u"VELORA", u"COMPILER", u"FLOWMERE"});
    handler->setInstalledProducts({u"VELORA"});

    gate.setDefaultData();
    EXPECT_THAT(handler->getSelectedProducts(), UnorderedElementsAre(u"COMPILER", u"FLOWMERE"));

    select({u"FLOWMERE"});
    gate.setDefaultData();
    EXPECT_THAT(handler->getSelectedProducts(), ElementsAre(u"FLOWMERE"))
        << "a revisit keeps the user's choice";
}

TEST_F(ProductSelectionDefaultsTest, WithoutARepositoryNothingIsAvailable) {
    handler->setProductRepoAdapterInstance(nullptr);
    handler->setOfferedProducts({u"VELORA"});

    gate.setDefaultData();

    EXPECT_THAT(handler->getAvailableProducts(), IsEmpty());
    EXPECT_THAT(handler->getInstallableProducts(), IsEmpty());
    EXPECT_THAT(displayNames(), IsEmpty());
}

TEST_F(ProductSelectionDefaultsTest, AnAccountsMinimalSetIsStoredAndProposedWhenTheReleaseHoldsIt) {
    useRepository({u"VELORA", u"COMPILER", u"FLOWMERE"});
    handler->setOfferedProducts({u"VELORA", u"COMPILER", u"FLOWMERE"});
    environment.accountSettings = scratch.writeFile("account.json", R"({"minimalProducts": ["VELORA"]})");

    gate.setDefaultData();

    EXPECT_THAT(handler->getMinimalProducts(), ElementsAre(u"VELORA"));
    EXPECT_THAT(handler->getSelectedProducts(), ElementsAre(u"VELORA"));
}

TEST_F(ProductSelectionDefaultsTest, TheReleaseHoldsAMinimalProductWhateverTheLetterCase) {
    useRepository({u"VELORA"});
    handler->setOfferedProducts({u"VELORA"});
    environment.accountSettings = scratch.writeFile("account.json", R"({"minimalProducts": ["Velora"]})");

    gate.setDefaultData();

    EXPECT_THAT(handler->getMinimalProducts(), ElementsAre(u"Velora"));
}

TEST_F(ProductSelectionDefaultsTest, AMinimalSetNamingAProductTheReleaseLacksIsIgnored) {
    useRepository({u"VELORA"});
    handler->setOfferedProducts({u"VELORA"});
    environment.accountSettings =
        scratch.writeFile("account.json", R"({"minimalProducts": ["VELORA", "VPS"]})");

    gate.setDefaultData();

    EXPECT_THAT(handler->getMinimalProducts(), IsEmpty());
}

TEST_F(ProductSelectionDefaultsTest, UnreadableAccountSettingsLeaveTheDefaultsAsWithoutAccount) {
    useRepository({u"VELORA"});
    handler->setOfferedProducts({u"VELORA"});
    environment.accountSettings = scratch.writeFile("account.json", "not json");

    gate.setDefaultData();

    EXPECT_THAT(handler->getMinimalProducts(), IsEmpty());
    EXPECT_THAT(handler->getSelectedProducts(), ElementsAre(u"VELORA"));
}

TEST_F(ProductSelectionDefaultsTest, ProductsTheCatalogueCannotNameAreNotDisplayed) {
    useRepository({u"VELORA", u"GHOST", u"FLOWMERE"});
    handler->setOfferedProducts({u"GHOST", u"VELORA", u"FLOWMERE"});

    gate.setDefaultData();

    EXPECT_THAT(handler->getInstallableProducts(), ElementsAre(u"GHOST", u"VELORA", u"FLOWMERE"));
    EXPECT_THAT(displayNames(), ElementsAre(u"Velora", u"Flowmere"));
}

TEST_F(ProductSelectionDefaultsTest, ACatalogueThatNamesNothingShowsNothingButDoesNotStopThePage) {
    environment.catalogue = std::make_shared<const install::productidentifier::ProductCatalogue>(
        std::vector<install::productdata::ProductRecord>{});
    useRepository({u"VELORA"});
    handler->setOfferedProducts({u"VELORA"});

    EXPECT_NO_THROW(gate.setDefaultData());
    EXPECT_THAT(displayNames(), IsEmpty());
}

TEST_F(ProductSelectionDefaultsTest, TheFamilyHeadsComeFirstThenTheOthersByUpperCasedName) {
    handler->initializeProductSelectionModel();
    auto list = gate.getProductsToDisplayList(
        {u"TEST", u"FLOWMERE", u"CLIENT", u"VELORA", u"COMPILER", u"VPS", u"BUGFINDER"});
    gate.sortProductToDisplayList(list);

    std::vector<std::u16string> names;
    for (const auto& item : list) names.push_back(item.getProductName());
    EXPECT_THAT(names, ElementsAre(u"Velora Parallel Server", u"Velora", u"Flowmere", u"abacus client",
                                   u"Quarrix Bug Finder", u"Quarrix Test", u"Velora Compiler"));
}

struct OrderCase {
    const char* label;
    std::u16string first;
    std::u16string second;
    bool firstComesFirst;
};

class DisplayOrderTest : public ProductSelectionDefaultsTest,
                         public testing::WithParamInterface<OrderCase> {};

TEST_P(DisplayOrderTest, ComparesPairsBothWays) {
    handler->initializeProductSelectionModel();
    const auto a = handler->initializeProductToDisplay(u"A", GetParam().first);
    const auto b = handler->initializeProductToDisplay(u"B", GetParam().second);
    for (auto list : {std::vector{a, b}, std::vector{b, a}}) {
        gate.sortProductToDisplayList(list);
        EXPECT_EQ(list.front().getBaseCode(), GetParam().firstComesFirst ? u"A" : u"B");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, DisplayOrderTest,
    testing::Values(OrderCase{"ServerBeforeMain", u"velora parallel server", u"Velora", true},
                    OrderCase{"MainBeforeFlowmere", u"VELORA", u"flowmere", true},
                    OrderCase{"RankedBeforeAlphabeticallySmaller", u"Flowmere", u"Aardvark", true},
                    OrderCase{"UnrankedByUpperCasedBytes", u"beta", u"ALPHA", false},
                    OrderCase{"CaseDoesNotDecide", u"Zeta", u"alpha", false},
                    OrderCase{"NearlyRankedIsUnranked", u"Velora ", u"Alpha", false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProductSelectionDefaultsTest, AnInteractiveRunWithNothingInstallableShowsTheMissingFilesPage) {
    handler->setInstallableProducts({});

    EXPECT_FALSE(gate.checkIfDataIsReady());

    EXPECT_EQ(status().getResult(), Result::Failure);
    EXPECT_EQ(independent().getValidationResultType(), validationResultType(1));
    EXPECT_EQ(status().getTitle(), fl::i18n::message("missingInstallationFilesTitle"));
    EXPECT_EQ(status().getMessage(),
              fl::i18n::message("missingInstallationFilesInteractiveMsg", u"R2031a", u"w64pc"));
    ASSERT_THAT(codes(), ElementsAre("850"));
    const auto record = diagnostics.records().front();
    EXPECT_EQ(record["error.2"], "Unable to load product files");
    EXPECT_EQ(record["error.3"], "");
    EXPECT_EQ(record["error.4"], "ProductSelection::ProductSelection::MissingInstallationFiles");
    EXPECT_THAT(log.lines(), ElementsAre(status().getMessage()));
}

TEST_F(ProductSelectionDefaultsTest, ASilentRunOrOneWithProductsIsReady) {
    handler->setInstallableProducts({u"VELORA"});
    EXPECT_TRUE(gate.checkIfDataIsReady());

    handler->setInstallableProducts({});
    silent();
    EXPECT_TRUE(gate.checkIfDataIsReady());
    EXPECT_TRUE(diagnostics.records().empty());
}

TEST_F(ProductSelectionDefaultsTest, RequiredDataNamesTheGateAndClearingResetsTheSelection) {
    offer({u"VELORA"});
    select({u"VELORA"});

    gate.setRequiredData();
    gate.clearInputData();

    EXPECT_EQ(applicationData().getDataRequired(), gateName);
    EXPECT_THAT(handler->getSelectedProducts(), IsEmpty());
    EXPECT_TRUE(applicationData().getIsDataModified());
}

TEST_F(ProductSelectionDefaultsTest, ACopyWorksOnTheSameModel) {
    offer({u"VELORA"});
    ProductSelectionGate copy(gate);
    ProductSelectionGate moved(std::move(copy));
    moved.setRequiredData();
    EXPECT_EQ(applicationData().getDataRequired(), gateName);
}

}  // namespace
}  // namespace product_selection_test
