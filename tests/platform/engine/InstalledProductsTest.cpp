#include <gtest/gtest.h>

#include "InstallationManifest.h"
#include "LocalEngine.h"
#include "ScratchFolder.h"
#include "install/engine/Engine.h"

namespace install::engine {
namespace {

class InstalledProductsTest : public testing::Test {
protected:
    void record(const std::vector<InstalledProductEntry>& products) const {
        InstallationManifest manifest;
        manifest.setRelease(u"R2025a", u"Release", 0);
        for (const InstalledProductEntry& product : products) manifest.addProduct(product);
        manifest.writeTo(folder.path());
    }

    test::ScratchFolder folder;
    std::unique_ptr<Engine> engine = createEngine();
};

TEST_F(InstalledProductsTest, AFolderWithoutRecordHoldsNothing) {
    EXPECT_TRUE(engine->getInstalledProducts(folder.text()).empty());
    EXPECT_TRUE(engine->getInstalledProducts((folder.path() / "missing").u16string()).empty());
    EXPECT_TRUE(engine->getInstalledProducts(u"").empty());
}

TEST_F(InstalledProductsTest, TheRecordListsTheInstalledProducts) {
    record({{u"VELORA", u"Velora", u"Velora"}, {u"FLOWMERE", u"Flowmere", u"Velora"}});
    const ProductMap products = engine->getInstalledProducts(folder.text());
    ASSERT_EQ(products.size(), 2u);
    EXPECT_EQ(products.begin()->first, u"FLOWMERE");
    EXPECT_EQ(products.at(u"VELORA")->getName(), u"Velora");
    EXPECT_EQ(products.at(u"VELORA")->getInstallSize(), 0u);
}

TEST_F(InstalledProductsTest, AnUnreadableRecordIsAnEngineFailureUnlessIgnored) {
    folder.writeFile(InstallationManifest::kFileName, "{\"formatVersion\": 1");
    try {
        engine->getInstalledProducts(folder.text());
        FAIL() << "a corrupt record was accepted";
    } catch (const EngineInvalidInstalledProductsException& error) {
        EXPECT_EQ(error.getErrorCode(), "2110");
        EXPECT_EQ(error.getLocation(), "Engine::getInstalledProducts");
        EXPECT_NE(dynamic_cast<const EngineException*>(&error), nullptr);
    }
    EXPECT_TRUE(engine->getInstalledProducts(folder.text(), true).empty());
}

TEST_F(InstalledProductsTest, OnlyCatalogueProductsCountAsTheMakersProducts) {
    record({{u"VELORA", u"Velora", u"Velora"}, {u"THIRD_PARTY", u"Add-on", u""}});
    LocalEngine local(std::make_shared<const productidentifier::ProductCatalogue>(
        productidentifier::ProductCatalogue::fromJson(
            R"({"products": [{"baseCode": "VELORA", "name": "Velora"}]})")));
    const ProductMap products = local.getInstalledKestrelixProducts(folder.text());
    ASSERT_EQ(products.size(), 1u);
    EXPECT_EQ(products.count(u"VELORA"), 1u);
}

TEST_F(InstalledProductsTest, AnInstallationWithNeitherCatalogueNorRepositoryFailsAsTheEngine) {
    EXPECT_THROW(engine->start({u"VELORA"}, folder.text(), {"l64pc"}, "en_US", u"/archives",
                               WorkflowType::Install, nullptr, OptionalFeatureFlags{}, EngineConfig{}),
                 EngineException);
}

}  // namespace
}  // namespace install::engine
