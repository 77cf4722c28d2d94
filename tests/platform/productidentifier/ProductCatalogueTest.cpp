#include "install/productidentifier/ProductCatalogue.h"

#include <gtest/gtest.h>

namespace install::productidentifier {
namespace {

using platformutil::Platform;

TEST(ProductCatalogueTest, ReadsEveryFieldOfAProduct) {
    const ProductCatalogue catalogue = ProductCatalogue::fromJson(R"({"products": [{
        "baseCode": "VELORA", "name": "Velora", "family": "Velora", "controlling": true,
        "dependencies": ["SUPPORT"],
        "relativePath": {"windows": "Velora", "linux": "velora", "macos": "Velora.app"},
        "detectRunningExe": {"w64pc": "bin\\windows\\velora.exe"},
        "registry": {"keyRoot": "HKEY_LOCAL_MACHINE", "key": "SOFTWARE\\Kestrelix\\Velora", "subRoot": "R2025a"},
        "requiredForMacOSApp": true,
        "archiveSha256": "ABCDEF0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789"}]})");

    const productdata::ProductRecord* velora = catalogue.find(u"VELORA");
    ASSERT_NE(velora, nullptr);
    EXPECT_EQ(velora->name, u"Velora");
    EXPECT_EQ(velora->productFamily, u"Velora");
    EXPECT_TRUE(velora->isControlling);
    EXPECT_EQ(velora->dependencies, std::vector<std::u16string>{u"SUPPORT"});
    EXPECT_EQ(velora->relativeProductPath.at(Platform::Linux), "velora");
    EXPECT_EQ(velora->relativeProductPath.at(Platform::MacOS), "Velora.app");
    EXPECT_EQ(velora->detectRunningExe.at(u"w64pc"), u"bin\\windows\\velora.exe");
    EXPECT_EQ(velora->registryKeyRoot, u"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(velora->registryKey, u"SOFTWARE\\Kestrelix\\Velora");
    EXPECT_EQ(velora->registryKeySubRoot, u"R2025a");
    EXPECT_TRUE(velora->isRequiredForMacOSApp);
    EXPECT_EQ(velora->archiveSha256, "abcdef0123456789abcdef0123456789abcdef0123456789abcdef0123456789");
    EXPECT_EQ(catalogue.find(u"velora"), nullptr);
}

TEST(ProductCatalogueTest, OptionalFieldsDefaultToNothing) {
    const ProductCatalogue catalogue =
        ProductCatalogue::fromJson(R"({"products": [{"baseCode": "X", "name": "X"}]})");
    const productdata::ProductRecord* product = catalogue.find(u"X");
    ASSERT_NE(product, nullptr);
    EXPECT_FALSE(product->isControlling);
    EXPECT_TRUE(product->dependencies.empty());
    EXPECT_TRUE(product->relativeProductPath.empty());
    EXPECT_TRUE(product->archiveSha256.empty());
}

// A -> B -> C -> A, and C also needs a product nobody describes.
constexpr const char* kCyclicCatalogue = R"({"products": [
    {"baseCode": "A", "name": "A", "dependencies": ["B"]},
    {"baseCode": "B", "name": "B", "dependencies": ["C", "A"]},
    {"baseCode": "C", "name": "C", "dependencies": ["A", "GHOST"]},
    {"baseCode": "SELF", "name": "Self", "dependencies": ["SELF"]}]})";

TEST(ProductCatalogueTest, DependencyWalksEndInCyclesAndAtUnknownProducts) {
    const ProductCatalogue catalogue = ProductCatalogue::fromJson(kCyclicCatalogue);
    EXPECT_EQ(catalogue.getAllDependencies(u"A"), (std::vector<std::u16string>{u"B", u"C", u"GHOST"}));
    EXPECT_EQ(catalogue.getAllDependencies(u"C"), (std::vector<std::u16string>{u"A", u"GHOST", u"B"}));
    EXPECT_TRUE(catalogue.getAllDependencies(u"SELF").empty());
    EXPECT_TRUE(catalogue.getAllDependencies(u"GHOST").empty());
}

class MalformedCatalogueTest : public testing::TestWithParam<const char*> {};

TEST_P(MalformedCatalogueTest, IsRefused) {
    EXPECT_THROW(ProductCatalogue::fromJson(GetParam()), ProductCatalogueException);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogues, MalformedCatalogueTest,
    testing::Values(
        "", "[1, 2", R"({"items": []})", R"({"products": {}})", R"({"products": [{"name": "Velora"}]})",
        R"({"products": [{"baseCode": "", "name": "Velora"}]})",
        R"({"products": [{"baseCode": "VELORA", "name": 7}]})",
        R"({"products": [{"baseCode": "VELORA", "name": "Velora", "dependencies": "FLOWMERE"}]})",
        R"({"products": [{"baseCode": "VELORA", "name": "Velora"}, {"baseCode": "VELORA", "name": "V"}]})",
        R"({"products": [{"baseCode": "VELORA", "name": "Velora", "relativePath": {"solaris": "v"}}]})",
        R"({"products": [{"baseCode": "VELORA", "name": "Velora", "archiveSha256": "12ab"}]})",
        R"({"products": [{"baseCode": "VELORA", "name": "Velora", "controlling": "yes"}]})"));

TEST(ProductCatalogueTest, AMissingFileIsRefused) {
    EXPECT_THROW(ProductCatalogue::fromFile("/nonexistent/product_catalogue.json"),
                 ProductCatalogueException);
}

}  // namespace
}  // namespace install::productidentifier
