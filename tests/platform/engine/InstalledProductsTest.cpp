// What the engine answers about an installation folder, from its installation record.
#include <gtest/gtest.h>

#include "InstallationManifest.h"
#include "LocalEngine.h"
#include "install/engine/Engine.h"
#include "support/ScratchFolder.h"

namespace install::engine {
namespace {

TEST(InstalledProductsTest, TheRecordListsTheInstalledProductsAndOnlyCatalogueProductsAreTheMakers) {
    workflow_test::ScratchFolder folder;
    const std::unique_ptr<Engine> engine = createEngine();
    EXPECT_TRUE(engine->getInstalledProducts(folder.u16()).empty());
    EXPECT_TRUE(engine->getInstalledProducts((folder.path() / "missing").u16string()).empty());
    EXPECT_TRUE(engine->getInstalledProducts(u"").empty());
    InstallationManifest manifest;
    manifest.addProduct({u"VELORA", u"Velora", u"Velora"});
    manifest.addProduct({u"THIRD_PARTY", u"Add-on", u""});
    manifest.writeTo(folder.path());

    const ProductMap products = engine->getInstalledProducts(folder.u16());
    ASSERT_EQ(products.size(), 2u);
    EXPECT_EQ(products.at(u"VELORA")->getName(), u"Velora");
    LocalEngine local(std::make_shared<const productidentifier::ProductCatalogue>(
        productidentifier::ProductCatalogue::fromJson(
            R"({"products": [{"baseCode": "VELORA", "name": "Velora"}]})")));
    EXPECT_EQ(local.getInstalledKestrelixProducts(folder.u16()).size(), 1u);
    EXPECT_EQ(local.getInstalledKestrelixProducts(folder.u16()).count(u"VELORA"), 1u);

    folder.writeFile(InstallationManifest::kFileName, "{\"formatVersion\": 1");
    try {
        engine->getInstalledProducts(folder.u16());
        FAIL() << "a corrupt record was accepted";
    } catch (const EngineInvalidInstalledProductsException& error) {
        EXPECT_EQ(error.getErrorCode(), "2110");
        EXPECT_EQ(error.getLocation(), "Engine::getInstalledProducts");
    }
    EXPECT_TRUE(engine->getInstalledProducts(folder.u16(), true).empty());
    // Without a catalogue beside it and without a repository, the engine cannot install.
    EXPECT_THROW(engine->start({u"VELORA"}, folder.u16(), {"l64pc"}, "en_US", u"/archives",
                               WorkflowType::Install, nullptr, OptionalFeatureFlags{}, EngineConfig{}),
                 EngineException);
}

}  // namespace
}  // namespace install::engine
