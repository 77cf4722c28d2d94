// What the engine answers about an installation folder: the products its installation record
// lists, the download and install sizes a selection needs there (each product once, nothing for
// what the folder already holds), and the free space of the volume it is, or will be, created on.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <limits>
#include <stdexcept>

#include "FolderProduct.h"
#include "InstallationManifest.h"
#include "LocalEngine.h"
#include "install/engine/DiskSpaceValidator.h"
#include "install/engine/Engine.h"
#include "install/engine/EngineExceptions.h"
#include "install/engine/RequiredSizeCalculator.h"
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

using Sizes = std::pair<std::uint64_t, std::uint64_t>;

TEST(RequiredSizeCalculatorTest, AddsEachProductOnceLeavingOutInstalledAndUnknownOnes) {
    workflow_test::ScratchFolder folder;
    repository_adapter::ProductMap products;
    for (const auto& [code, download, install] :
         {std::tuple{u"VELORA", 1000, 5000}, std::tuple{u"FLOWMERE", 200, 700},
          std::tuple{u"QUARRIX", 30, 90}})
        products.emplace(
            code, std::make_shared<repository_adapter::FolderProduct>(code, code, "", download, install));
    const RequiredSizeCalculator calculator;
    const auto sizes = [&](const std::vector<std::u16string>& selection, bool skipInstalled = true) {
        return calculator.getRequiredDownloadAndInstallSize(selection, folder.u16(), {"l64pc"}, {"en_US"},
                                                            products, skipInstalled, true);
    };

    EXPECT_EQ(sizes({u"VELORA", u"FLOWMERE", u"VELORA", u"GHOST"}), Sizes(1200, 5700));
    EXPECT_EQ(sizes({}), Sizes(0, 0));
    EXPECT_EQ(calculator.getRequiredDownloadSize({u"FLOWMERE"}, folder.u16(), {}, {}, products, true, true),
              200u);
    EXPECT_THROW(
        calculator.getRequiredDownloadAndInstallSize({u"GHOST"}, folder.u16(), {}, {}, products, true, false),
        EngineMissingComponentException);
    InstallationManifest manifest;
    manifest.addProduct({u"VELORA", u"Velora", u"Velora"});
    manifest.writeTo(folder.path());
    EXPECT_EQ(sizes({u"VELORA", u"QUARRIX"}), Sizes(30, 90));
    EXPECT_EQ(sizes({u"VELORA", u"QUARRIX"}, false), Sizes(1030, 5090));
}

TEST(DiskSpaceValidatorTest, ComparesTheRequiredBytesWithTheSpaceOfTheNearestExistingFolder) {
    workflow_test::ScratchFolder scratch;
    const DiskSpaceValidator validator;
    struct statvfs volume {};
    ASSERT_EQ(::statvfs(scratch.path().c_str(), &volume), 0);
    const std::uint64_t available =
        validator.getAvailableDiskSpace((scratch.path() / "not" / "yet").u16string());
    EXPECT_EQ(available % volume.f_frsize, 0u);
    EXPECT_TRUE(validator.hasEnoughDiskSpaceToInstall(scratch.u16(), 4096));
    EXPECT_FALSE(
        validator.hasEnoughDiskSpaceToInstall(scratch.u16(), std::numeric_limits<std::uint64_t>::max()));
    EXPECT_THROW(validator.hasEnoughDiskSpaceToInstall(u"", 1), std::invalid_argument);
}

}  // namespace
}  // namespace install::engine
