#include "install/productidentifier/ProductIdentifier.h"

#include <gtest/gtest.h>

#include "ScratchFolder.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::productidentifier {
namespace {

using platformutil::Platform;

class SampleCatalogueTest : public testing::Test {
protected:
    ProductIdentifier identifier{std::filesystem::path(SAMPLE_CATALOGUE)};
};

TEST_F(SampleCatalogueTest, DescribesTheProductsTheGatesReferTo) {
    EXPECT_EQ(identifier.getProductName(u"VELORA"), u"Velora");
    EXPECT_EQ(identifier.getProductName(u"FLOWMERE"), u"Flowmere");
    EXPECT_EQ(identifier.getProductName(u"VELORA_PARALLEL_SERVER"), u"Velora Parallel Server");
    EXPECT_EQ(identifier.getProductFamily(u"VELORA_PARALLEL_SERVER"), u"Velora Parallel Server");
    for (const char16_t* code :
         {u"VELORA_COMPILER", u"QUARRIX_BUGFINDER", u"QUARRIX_TEST", u"LICENSEMANAGER", u"VELORA_RUNTIME"}) {
        EXPECT_NO_THROW(identifier.getProductName(code));
    }
    EXPECT_THROW(identifier.getProductName(u"NOT_A_PRODUCT"), UnknownProductException);
}

TEST_F(SampleCatalogueTest, TheControllingProductIsFoundThroughDependencies) {
    const auto controlling = identifier.getControllingProduct({u"QUARRIX_TEST", u"FLOWMERE"});
    EXPECT_EQ(controlling->getBaseCode(), u"VELORA");
    EXPECT_EQ(controlling->getName(), u"Velora");
    EXPECT_EQ(controlling->getProductFamily(), u"Velora");
    EXPECT_EQ(controlling->getRelativeProductPath().at(Platform::Linux), "velora");
    EXPECT_TRUE(controlling->getDetectRunningExe().count(u"w64pc"));
    EXPECT_EQ(controlling->getRegistryKeyRoot(), u"HKEY_LOCAL_MACHINE");
    EXPECT_TRUE(controlling->getIsRequiredForMacOSApp());
}

TEST_F(SampleCatalogueTest, ListedControllingProductsComeBeforeDependenciesInListOrder) {
    EXPECT_EQ(identifier.getControllingProduct({u"FLOWMERE", u"VELORA_PARALLEL_SERVER"})->getBaseCode(),
              u"VELORA_PARALLEL_SERVER");
    EXPECT_EQ(identifier.getControllingProduct({u"VELORA", u"VELORA_PARALLEL_SERVER"})->getBaseCode(),
              u"VELORA");
}

TEST_F(SampleCatalogueTest, ASetWithoutControllingProductGivesAnEmptyRecord) {
    for (const std::vector<std::u16string>& products :
         {std::vector<std::u16string>{}, std::vector<std::u16string>{u"NOT_A_PRODUCT"}}) {
        const auto controlling = identifier.getControllingProduct(products);
        ASSERT_NE(controlling, nullptr);
        EXPECT_TRUE(controlling->getBaseCode().empty());
        EXPECT_TRUE(controlling->getRelativeProductPath().empty());
    }
}

TEST(ProductIdentifierTest, CyclesWithoutControllingProductEndTheSearch) {
    const auto catalogue =
        std::make_shared<const ProductCatalogue>(ProductCatalogue::fromJson(R"({"products": [
        {"baseCode": "A", "name": "A", "dependencies": ["B", "GHOST"]},
        {"baseCode": "B", "name": "B", "dependencies": ["A"]}]})"));
    const ProductIdentifier identifier(catalogue);
    EXPECT_TRUE(identifier.getControllingProduct({u"A", u"B"})->getBaseCode().empty());
    EXPECT_EQ(identifier.getDependencies(u"A"), (std::vector<std::u16string>{u"B", u"GHOST"}));
}

TEST(ProductIdentifierTest, TheDefaultCatalogueLiesBesideTheInstallerAndIsReadWhenFirstNeeded) {
    test::ScratchFolder installer;
    platformutil::PlatformUtility::setInstallationPath(installer.path());
    const ProductIdentifier identifier;
    EXPECT_THROW(identifier.getProductName(u"VELORA"), ProductCatalogueException);

    installer.writeFile(ProductIdentifier::kCatalogueFileName,
                        R"({"products": [{"baseCode": "VELORA", "name": "Velora"}]})");
    EXPECT_EQ(identifier.getProductName(u"VELORA"), u"Velora");
    platformutil::PlatformUtility::setInstallationPath({});
}

}  // namespace
}  // namespace install::productidentifier
