// The product catalogue, the rules of a product selection, and the products whose archives lie
// beside the installer (read from real zip archives).
#include <gmock/gmock.h>

#include "FolderRepositoryAdapter.h"
#include "ScratchFolder.h"
#include "ZipWriter.h"
#include "install/platformutil/PlatformUtility.h"
#include "install/product_validator/ProductSelection.h"
#include "install/product_validator/ProductValidator.h"
#include "install/productidentifier/ProductIdentifier.h"
#include "install/repository_adapter/RepositoryExceptions.h"

namespace install {
namespace {

namespace fs = std::filesystem;
using productidentifier::ProductCatalogue, productidentifier::ProductCatalogueException,
    productidentifier::ProductIdentifier;
using testing::ElementsAre, testing::IsEmpty;
using Codes = std::vector<std::u16string>;

std::shared_ptr<const ProductCatalogue> catalogue(const std::string& products) {
    return std::make_shared<const ProductCatalogue>(
        ProductCatalogue::fromJson(R"({"products": [)" + products + "]}"));
}

TEST(ProductCatalogue, ReadsEveryFieldLeavesOptionalOnesEmptyAndRefusesWhatItCannotRead) {
    const auto products =
        catalogue(R"({"baseCode": "VELORA", "name": "Velora", "family": "Velora", "controlling": true,
        "dependencies": ["SUPPORT"], "relativePath": {"linux": "velora", "macos": "Velora.app"},
        "detectRunningExe": {"w64pc": "bin\\velora.exe"}, "requiredForMacOSApp": true,
        "registry": {"keyRoot": "HKEY_LOCAL_MACHINE", "key": "SOFTWARE\\Velora", "subRoot": "R2025a"},
        "archiveSha256": "ABCDEF0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789"}, {"baseCode": "X", "name": "X"})");
    const productdata::ProductRecord& velora = *products->find(u"VELORA");
    EXPECT_EQ(velora.productFamily + velora.dependencies.at(0) + velora.detectRunningExe.at(u"w64pc"),
              u"VeloraSUPPORTbin\\velora.exe");
    EXPECT_EQ(velora.registryKeyRoot + velora.registryKey + velora.registryKeySubRoot,
              u"HKEY_LOCAL_MACHINESOFTWARE\\VeloraR2025a");
    EXPECT_EQ(velora.relativeProductPath.at(platformutil::Platform::MacOS), "Velora.app");
    EXPECT_TRUE(velora.isControlling && velora.isRequiredForMacOSApp);
    EXPECT_EQ(velora.archiveSha256, "abcdef0123456789abcdef0123456789abcdef0123456789abcdef0123456789");
    EXPECT_EQ(products->find(u"velora"), nullptr) << "base codes are compared exactly";
    const productdata::ProductRecord& plain = *products->find(u"X");
    EXPECT_TRUE(!plain.isControlling && plain.dependencies.empty() && plain.relativeProductPath.empty() &&
                plain.archiveSha256.empty());
    for (const char* broken :
         {R"({"baseCode": "", "name": "V"})",
          R"({"baseCode": "V", "name": "V"}, {"baseCode": "V", "name": "W"})",
          R"({"baseCode": "V", "name": "V", "relativePath": {"solaris": "v"}})",
          R"({"baseCode": "V", "name": "V", "archiveSha256": "12ab"})", R"({"baseCode": "V", "name": 7})"})
        EXPECT_THROW(catalogue(broken), ProductCatalogueException) << broken;
    EXPECT_THROW(ProductCatalogue::fromFile("/nonexistent/catalogue.json"), ProductCatalogueException);
}

TEST(ProductIdentifier, DependencyWalksGoNearestFirstAndEndInCyclesAndAtUndescribedProducts) {
    const ProductIdentifier identifier(catalogue(R"({"baseCode": "A", "name": "A", "dependencies": ["B"]},
        {"baseCode": "B", "name": "B", "dependencies": ["C", "A"]}, {"baseCode": "C", "name": "C", "dependencies": ["A", "GHOST"]},
        {"baseCode": "SELF", "name": "Self", "dependencies": ["SELF"]})"));
    EXPECT_EQ(identifier.getCatalogue()->getAllDependencies(u"A"), (Codes{u"B", u"C", u"GHOST"}));
    EXPECT_EQ(identifier.getDependencies(u"C"), (Codes{u"A", u"GHOST", u"B"}));
    EXPECT_TRUE(identifier.getDependencies(u"SELF").empty() && identifier.getDependencies(u"GHOST").empty());
    EXPECT_TRUE(identifier.getControllingProduct({u"A", u"B"})->getBaseCode().empty()) << "none in the cycle";
}

TEST(ProductIdentifier, FindsTheControllingProductOfTheSampleCatalogueAndReadsTheDefaultOneWhenFirstNeeded) {
    const ProductIdentifier sample{fs::path(SAMPLE_CATALOGUE)};
    EXPECT_EQ(sample.getProductFamily(u"VELORA_PARALLEL_SERVER"), u"Velora Parallel Server");
    EXPECT_THROW(sample.getProductName(u"NOT_A_PRODUCT"), productidentifier::UnknownProductException);
    const auto velora = sample.getControllingProduct({u"QUARRIX_TEST", u"FLOWMERE"});
    EXPECT_EQ(velora->getBaseCode() + velora->getName(), u"VELORAVelora") << "found through dependencies";
    EXPECT_EQ(velora->getRelativeProductPath().at(platformutil::Platform::Linux), "velora");
    EXPECT_EQ(sample.getControllingProduct({u"FLOWMERE", u"VELORA_PARALLEL_SERVER"})->getName(),
              u"Velora Parallel Server")
        << "a listed controlling product comes before the dependencies";
    EXPECT_TRUE(sample.getControllingProduct({u"NOT_A_PRODUCT"})->getBaseCode().empty());

    test::ScratchFolder installer;
    platformutil::PlatformUtility::setInstallationPath(installer.path());
    const ProductIdentifier besideTheInstaller;
    EXPECT_THROW(besideTheInstaller.getProductName(u"V"), ProductCatalogueException);
    installer.writeFile(ProductIdentifier::kCatalogueFileName,
                        R"({"products": [{"baseCode": "V", "name": "Velora"}]})");
    EXPECT_EQ(besideTheInstaller.getProductName(u"V"), u"Velora");
    platformutil::PlatformUtility::setInstallationPath({});
}

// MAIN and SERVER head families; TOOL and PLOT need MAIN, TEST needs both, CLIENT needs SERVER and MAIN;
// EXTRA needs a product nobody describes; HEAD controls a cycle of A and B.
TEST(ProductValidator, FindsMissingControllingAndDependentProductsOnceInOrderOfNeed) {
    const product_validator::ProductValidator validator(std::make_shared<ProductIdentifier>(catalogue(R"(
        {"baseCode": "MAIN", "name": "M", "controlling": true}, {"baseCode": "SERVER", "name": "S", "controlling": true},
        {"baseCode": "TOOL", "name": "T", "dependencies": ["MAIN"]}, {"baseCode": "PLOT", "name": "P", "dependencies": ["MAIN"]},
        {"baseCode": "TEST", "name": "T", "dependencies": ["TOOL", "PLOT"]}, {"baseCode": "CLIENT", "name": "C", "dependencies": ["SERVER", "MAIN"]},
        {"baseCode": "EXTRA", "name": "E", "dependencies": ["GHOST", "PLOT"]}, {"baseCode": "HEAD", "name": "H", "controlling": true, "dependencies": ["A"]},
        {"baseCode": "A", "name": "A", "dependencies": ["B"]}, {"baseCode": "B", "name": "B", "dependencies": ["A", "HEAD"]})")));
    repository_adapter::ProductMap all;
    for (const char16_t* code :
         {u"MAIN", u"SERVER", u"TOOL", u"PLOT", u"TEST", u"CLIENT", u"EXTRA", u"HEAD", u"A", u"B"})
        all[code] = std::make_shared<repository_adapter::FolderProduct>(code, code, "", 1, 1);
    const auto controlling = [&](const Codes& selected, const Codes& installed = {}) {
        return validator.getMissingControllingProducts(selected, installed, all);
    };
    const auto dependent = [&](const Codes& selected, const Codes& installed = {}) {
        return validator.getMissingDependentProducts(selected, installed, all);
    };
    EXPECT_THAT(controlling({u"TOOL"}), ElementsAre(u"MAIN"));
    EXPECT_THAT(controlling({u"TOOL"}, {u"MAIN"}), IsEmpty());
    EXPECT_THAT(controlling({u"TEST", u"CLIENT"}), ElementsAre(u"MAIN", u"SERVER"));
    EXPECT_THAT(controlling({u"CLIENT"}), ElementsAre(u"SERVER", u"MAIN"));
    EXPECT_THAT(controlling({u"A", u"NOPE"}), ElementsAre(u"HEAD"))
        << "products the repository lacks are not judged";
    EXPECT_THAT(dependent({u"TEST"}), ElementsAre(u"TOOL", u"PLOT"));
    EXPECT_THAT(dependent({u"TEST"}, {u"PLOT"}), ElementsAre(u"TOOL"));
    EXPECT_THAT(dependent({u"TOOL"}), IsEmpty()) << "MAIN is controlling";
    EXPECT_THAT(dependent({u"EXTRA"}), ElementsAre(u"PLOT"));
    EXPECT_THAT(dependent({u"A"}), ElementsAre(u"B"));
}

TEST(ProductSelection, RefusesWhatIsNotOfferedAvailableAndInstallableAndProposesWhatTheUserMayWant) {
    const product_validator::ProductSelection selection;
    const auto refused = [&](const Codes& selected, const Codes& offered, const Codes& available,
                             const Codes& installable) {
        try {
            selection.validate(selected, offered, available, installable);
            return Codes{};
        } catch (const product_validator::SelectedProductsNotAvailableException& error) {
            return error.getBasecodeList();
        }
    };
    EXPECT_THAT(refused({u"B", u"A"}, {u"A", u"B"}, {u"A", u"B"}, {u"A", u"B"}), IsEmpty());
    EXPECT_THAT(refused({u"A", u"NOPE", u"GONE", u"NOPE"}, {u"A"}, {u"A"}, {u"A"}),
                ElementsAre(u"NOPE", u"GONE"));
    EXPECT_THAT(refused({u"A", u"B"}, {u"A"}, {u"A", u"B"}, {u"A", u"B"}), ElementsAre(u"B"))
        << "not offered";
    EXPECT_THAT(refused({u"B"}, {u"A", u"B"}, {u"A"}, {u"A", u"B"}), ElementsAre(u"B"))
        << "not in the repository";
    EXPECT_THAT(refused({u"B"}, {u"A", u"B"}, {u"A", u"B"}, {u"A"}), ElementsAre(u"B"))
        << "a stale installable list";
    EXPECT_STREQ(product_validator::SelectedProductsNotAvailableException({u"A", u"B"}).what(),
                 "Installation files are not available for: A, B");
    EXPECT_THAT(selection.getInstallableProducts({u"C", u"A", u"B", u"A"}, {u"A", u"C", u"X"}),
                ElementsAre(u"C", u"A"));
    EXPECT_THAT(selection.getProductsToBeSelected({u"A", u"GONE"}, {u"A", u"B"}, {u"A"}, {u"B"}),
                ElementsAre(u"A"));
    EXPECT_THAT(selection.getProductsToBeSelected({}, {u"A", u"B", u"C"}, {}, {u"C", u"X"}),
                ElementsAre(u"C"));
    EXPECT_THAT(selection.getProductsToBeSelected({}, {u"C", u"A", u"B"}, {u"B"}, {u"X"}),
                ElementsAre(u"A", u"C"))
        << "without an installable minimal set, everything not installed yet";
}

class FolderRepositoryAdapterTest : public testing::Test {
protected:
    // An archive whose two entries unpack to firstEntry + secondEntry bytes.
    fs::path archive(const std::string& relative, std::size_t firstEntry, std::size_t secondEntry) const {
        test::writeZip(packages.path() / relative,
                       {{"bin/a", std::string(firstEntry, 'a')}, {"b", std::string(secondEntry, 'b')}});
        return packages.path() / relative;
    }

    test::ScratchFolder packages;
    repository_adapter::FolderRepositoryAdapter repository{
        packages.path(),
        catalogue(R"({"baseCode": "VELORA", "name": "Velora"}, {"baseCode": "FLOWMERE", "name": "F"},
                                     {"baseCode": "LM", "name": "LM"})")};
};

TEST_F(FolderRepositoryAdapterTest, OffersTheDescribedArchivesOfTheRootAndItsCommonFolderWhenReadAgain) {
    EXPECT_FALSE(repository.doProductsExist());
    const fs::path velora = archive("VELORA.enc", 3000, 5000),
                   flowmere = archive("common/FLOWMERE.enc", 100, 23);
    for (const char* passedOver : {"common/VELORA.enc", "UNDESCRIBED.enc", "LM.ENC", "LM.enc.bak"})
        archive(passedOver, 1, 1);
    EXPECT_FALSE(repository.doProductsExist()) << "the folder is read once until refreshed";
    repository.refresh();
    const repository_adapter::ProductMap products = repository.getAvailableProducts();
    ASSERT_EQ(products.size(), 2u);
    EXPECT_EQ(products.at(u"VELORA")->getName(), u"Velora");
    EXPECT_EQ(products.at(u"VELORA")->getDownloadSize(), fs::file_size(velora));
    EXPECT_EQ(products.at(u"VELORA")->getInstallSize() + products.at(u"FLOWMERE")->getInstallSize(), 8123u);
    EXPECT_EQ(repository.getProductArchivePath(u"VELORA") + repository.getProductArchivePath(u"FLOWMERE"),
              velora.u16string() + flowmere.u16string());
    EXPECT_EQ(repository.getProductArchivePath(u"LM"), u"");
    EXPECT_THAT(repository.getAvailableProductBasecodes(), ElementsAre(u"FLOWMERE", u"VELORA"));
    EXPECT_TRUE(repository.getInstallerUrls({u"w64pc"}).empty());
    repository_adapter::config::RepoAdapterConfiguration configuration;
    configuration.setPackagesRoot((packages.path() / "missing").u16string());
    repository.configure(configuration);
    EXPECT_TRUE(repository.getAvailableProducts().empty() && repository.getAdditionalLanguages().empty());
    EXPECT_EQ(repository.getPackagesRoot(), packages.path() / "missing");
}

TEST_F(FolderRepositoryAdapterTest, ABrokenArchiveOrAMissingCatalogueIsReported) {
    packages.writeFile("VELORA.enc", "this is not a zip archive");
    try {
        repository.getAvailableProducts();
        ADD_FAILURE() << "a broken archive was accepted";
    } catch (const repository_adapter::RepoAdapterDWSExtractException& error) {
        EXPECT_THAT(error.getSecondaryErrorMessage(), testing::HasSubstr("VELORA.enc"));
        EXPECT_EQ(error.getLocation(), "FolderProductRepoAdapter::getAvailableProducts");
    }
    EXPECT_FALSE(repository.doProductsExist());
    test::ScratchFolder installer;
    platformutil::PlatformUtility::setInstallationPath(installer.path());
    repository_adapter::FolderRepositoryAdapter withoutCatalogue(packages.path());
    EXPECT_THROW(withoutCatalogue.getAvailableProducts(),
                 repository_adapter::RepoAdapterDWSDownloadException);
    platformutil::PlatformUtility::setInstallationPath({});
}

}  // namespace
}  // namespace install
