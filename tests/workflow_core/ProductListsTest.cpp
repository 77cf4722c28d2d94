// Product lists: replacing a model sequence, reading sequences and sets, the 8-bit minimal list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/ModelFixture.h"

namespace {

using install::datamodels::product_installer::WorkflowDependentData;
using install::product_installer::workflow_utils::DataModelHandler;
using testing::ElementsAre;
using testing::IsEmpty;
using workflow_test::ModelFixture;
using ProductList = std::vector<std::u16string>;

// One product list: how the handler replaces it, and the model sequence it lands in.
struct ListCase {
    const char* label;
    std::function<void(const DataModelHandler&, const ProductList&)> replace;
    std::function<tq::zero::Sequence<std::u16string>(const WorkflowDependentData&)> sequence;
    // Empty for lists the handler only writes.
    std::function<ProductList(const DataModelHandler&)> read;
};

const ListCase kLists[] = {
    {"Available", [](const auto& h, const auto& l) { h.setAvailableProducts(l); },
     [](const auto& d) { return d.getAvailableProducts(); },
     [](const auto& h) { return h.getAvailableProducts(); }},
    {"Installed", [](const auto& h, const auto& l) { h.setInstalledProducts(l); },
     [](const auto& d) { return d.getInstalledProducts(); },
     [](const auto& h) { return h.getInstalledProducts(); }},
    {"Installable", [](const auto& h, const auto& l) { h.setInstallableProducts(l); },
     [](const auto& d) { return d.getInstallableProducts(); },
     [](const auto& h) { return h.getInstallableProducts(); }},
    {"Downloadable", [](const auto& h, const auto& l) { h.setDownloadableProducts(l); },
     [](const auto& d) { return d.getDownloadableProducts(); },
     [](const auto& h) { return h.getDownloadableProducts(); }},
    {"Offered", [](const auto& h, const auto& l) { h.setOfferedProducts(l); },
     [](const auto& d) { return d.getOfferedProducts(); },
     [](const auto& h) { return h.getOfferedProducts(); }},
    {"Missing", [](const auto& h, const auto& l) { h.initializeMissingProducts(l); },
     [](const auto& d) { return d.getMissingProducts(); }, nullptr},
};

class ProductListTest : public ModelFixture, public testing::WithParamInterface<ListCase> {
protected:
    ProductList inModel() const { return GetParam().sequence(dependent()).values(); }
    bool isUnique() const { return GetParam().sequence(dependent()).isUnique(); }
    void replace(const ProductList& products) const { GetParam().replace(*handler, products); }
};

TEST_P(ProductListTest, ReplaceKeepsTheGivenOrder) {
    replace({u"SIMULINK", u"VELORA", u"A_TOOLBOX"});
    EXPECT_THAT(inModel(), ElementsAre(u"SIMULINK", u"VELORA", u"A_TOOLBOX"));
    if (GetParam().read) {
        EXPECT_EQ(GetParam().read(*handler), inModel());
    }
}

TEST_P(ProductListTest, ReplaceDiscardsThePreviousContent) {
    replace({u"OLD_1", u"OLD_2", u"SHARED"});
    replace({u"SHARED", u"NEW"});
    EXPECT_THAT(inModel(), ElementsAre(u"SHARED", u"NEW"));
}

TEST_P(ProductListTest, ReplaceWithAnEmptyListLeavesItEmpty) {
    replace({u"VELORA", u"SIMULINK"});
    replace({});
    EXPECT_THAT(inModel(), IsEmpty());
    if (GetParam().read) {
        EXPECT_THAT(GetParam().read(*handler), IsEmpty());
    }
}

TEST_P(ProductListTest, DuplicatesFollowTheSequencesUniqueness) {
    replace({u"B", u"A", u"B", u"C", u"A"});
    if (isUnique()) {
        EXPECT_THAT(inModel(), ElementsAre(u"B", u"A", u"C"));
    } else {
        EXPECT_THAT(inModel(), ElementsAre(u"B", u"A", u"B", u"C", u"A"));
    }
}

TEST_P(ProductListTest, ReadingAnUntouchedListGivesAnEmptyVector) {
    EXPECT_THAT(inModel(), IsEmpty());
    if (GetParam().read) {
        EXPECT_THAT(GetParam().read(*handler), IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, ProductListTest, testing::ValuesIn(kLists),
                         [](const auto& info) { return std::string(info.param.label); });

class ProductListsTest : public ModelFixture {};

TEST_F(ProductListsTest, ClearEmptiesAvailableAndInstallableOnly) {
    handler->setAvailableProducts({u"A", u"B"});
    handler->setInstallableProducts({u"A"});
    handler->setInstalledProducts({u"C"});
    handler->clearAvailableProducts();
    handler->clearInstallableProducts();
    EXPECT_THAT(handler->getAvailableProducts(), IsEmpty());
    EXPECT_THAT(handler->getInstallableProducts(), IsEmpty());
    EXPECT_THAT(handler->getInstalledProducts(), ElementsAre(u"C"));
}

TEST_F(ProductListsTest, DefaultPlatformTwiceLeavesOnlyTheLast) {
    handler->setDefaultPlatform(u"w64pc");
    handler->setDefaultPlatform(u"l64pc");
    EXPECT_THAT(handler->getDownloadPlatforms(), ElementsAre(u"l64pc"));
    handler->setDefaultPlatform(u"l64pc");
    EXPECT_THAT(dependent().getDownloadPlatforms().values(), ElementsAre(u"l64pc"));
}

TEST_F(ProductListsTest, MinimalProductsAreConvertedFromUtf8) {
    // ASCII, two-byte, three-byte and four-byte (surrogate pair) sequences.
    handler->setMinimalProducts({"VELORA",
                                 "Gr\xC3\xBC\xC3\x9F"
                                 "e",
                                 "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x98\x80"});
    EXPECT_THAT(handler->getMinimalProducts(), ElementsAre(u"VELORA", u"Grüße", u"日本", u"\U0001F600"));
    EXPECT_EQ(dependent().getMinimalProducts().values()[3].size(), 2u);
}

TEST_F(ProductListsTest, MinimalProductsReplaceThePreviousList) {
    handler->setMinimalProducts({"A", "B"});
    handler->setMinimalProducts({});
    EXPECT_THAT(handler->getMinimalProducts(), IsEmpty());
}

TEST_F(ProductListsTest, SelectedProductsAreReplacedAndReadInTheSetsOrder) {
    handler->initializeProductSelectionModel();
    handler->initializeSelectedProducts({u"OLD"});
    handler->initializeSelectedProducts({u"VELORA", u"A_TOOLBOX", u"SIMULINK"});

    const auto fromSet = dependent().getProductSelection().getSelectedProducts().values();
    EXPECT_EQ(handler->getSelectedProducts(), fromSet);
    EXPECT_THAT(fromSet, testing::UnorderedElementsAre(u"VELORA", u"A_TOOLBOX", u"SIMULINK"));
}

TEST_F(ProductListsTest, SelectingNothingEmptiesTheSelection) {
    handler->initializeProductSelectionModel();
    handler->initializeSelectedProducts({u"A", u"B"});
    handler->initializeSelectedProducts({});
    EXPECT_THAT(handler->getSelectedProducts(), IsEmpty());
}

TEST_F(ProductListsTest, AppRequiredProductsComeFromTheUserApplication) {
    EXPECT_THAT(handler->getAppRequiredProducts(), IsEmpty());
    const auto required = independent().getUserApplicationData().getAppRequiredProducts();
    auto modification = required.modify();
    modification.insert(u"VELORA_RUNTIME");
    modification.insert(u"COMPILER");
    modification.commit();
    EXPECT_EQ(handler->getAppRequiredProducts(), required.values());
    EXPECT_THAT(handler->getAppRequiredProducts(),
                testing::UnorderedElementsAre(u"VELORA_RUNTIME", u"COMPILER"));
}

}  // namespace
