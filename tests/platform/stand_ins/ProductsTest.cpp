// The product catalogue, the dependency walks over it, and the products whose archives lie beside the
// installer (read from real zip archives).
#include <gmock/gmock.h>

#include "FolderRepositoryAdapter.h"
#include "install/platformutil/PlatformUtility.h"
#include "install/productidentifier/ProductIdentifier.h"
#include "install/repository_adapter/RepositoryExceptions.h"
#include "support/ScratchFolder.h"
#include "support/ZipFile.h"

namespace install {
namespace {

namespace fs = std::filesystem;
using productidentifier::ProductCatalogue, productidentifier::ProductCatalogueException,
    productidentifier::ProductIdentifier;
using Codes = std::vector<std::u16string>;
using workflow_test::writeZip;

std::shared_ptr<const ProductCatalogue> catalogue(const std::string& products) {
    return std::make_shared<const ProductCatalogue>(
        ProductCatalogue::fromJson(R"({"products": [)" + products + "]}"));
}

// MAIN and SERVER head families; TOOL and PLOT need MAIN, TEST needs both; EXTRA
// needs a product nobody describes; HEAD controls a cycle of A and B.
const auto kFamilies = catalogue(R"(
    {"baseCode": "MAIN", "name": "M", "controlling": true}, {"baseCode": "SERVER", "name": "S", "family": "Server", "controlling": true},
    {"baseCode": "TOOL", "name": "T", "dependencies": ["MAIN"]}, {"baseCode": "PLOT", "name": "P", "dependencies": ["MAIN"]},
    {"baseCode": "TEST", "name": "T", "dependencies": ["TOOL", "PLOT"]},
    {"baseCode": "EXTRA", "name": "E", "dependencies": ["GHOST", "PLOT"]}, {"baseCode": "HEAD", "name": "H", "controlling": true, "dependencies": ["A"]},
    {"baseCode": "A", "name": "A", "dependencies": ["B"]}, {"baseCode": "B", "name": "B", "dependencies": ["A", "HEAD"]})");

TEST(ProductCatalogue, ReadsEveryFieldAndRefusesWhatItCannotRead) {
    const auto products = catalogue(
        R"({"baseCode": "VELORA", "name": "Velora", "relativePath": {"linux": "velora", "macos": "V.app"},
        "detectRunningExe": {"w64pc": "bin\\velora.exe"}, "requiredForMacOSApp": true,
        "registry": {"keyRoot": "HKEY_LOCAL_MACHINE", "key": "SOFTWARE\\Velora", "subRoot": "2025.1"},
        "archiveSha256": "ABCDEF0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789"})");
    // Every field is read; the checksum is kept in lower case.
    const productdata::ProductRecord& velora = *products->find(u"VELORA");
    EXPECT_EQ(velora.archiveSha256, "abcdef0123456789abcdef0123456789abcdef0123456789abcdef0123456789");
    EXPECT_EQ(products->find(u"velora"), nullptr) << "base codes are compared exactly";
    for (const char* broken :
         {R"({"baseCode": "", "name": "V"})",
          R"({"baseCode": "V", "name": "V"}, {"baseCode": "V", "name": "W"})",
          R"({"baseCode": "V", "name": "V", "relativePath": {"solaris": "v"}})",
          R"({"baseCode": "V", "name": "V", "archiveSha256": "12ab"})", R"({"baseCode": "V", "name": 7})"})
        EXPECT_THROW(catalogue(broken), ProductCatalogueException) << broken;
}

TEST(ProductIdentifier, DependencyWalksGoNearestFirstAndEndInCyclesAndAtUndescribedProducts) {
    const ProductIdentifier identifier(kFamilies);
    EXPECT_EQ(identifier.getDependencies(u"A"), (Codes{u"B", u"HEAD"}));
    EXPECT_EQ(identifier.getCatalogue()->getAllDependencies(u"EXTRA"), (Codes{u"GHOST", u"PLOT", u"MAIN"}));
    EXPECT_EQ(identifier.getControllingProduct({u"TEST", u"SERVER"})->getBaseCode(), u"SERVER")
        << "a listed controlling product comes before the dependencies";
    EXPECT_EQ(identifier.getControllingProduct({u"A", u"B"})->getName(), u"H");
    EXPECT_TRUE(identifier.getControllingProduct({u"GHOST"})->getBaseCode().empty());
    EXPECT_EQ(identifier.getProductFamily(u"SERVER"), u"Server");
    EXPECT_THROW(identifier.getProductName(u"GHOST"), productidentifier::UnknownProductException);
    // Without a catalogue of its own, nor one beside the installer, the repository has nothing to offer.
    workflow_test::ScratchFolder installer;
    platformutil::PlatformUtility::setInstallationPath(installer.path());
    EXPECT_THROW(repository_adapter::FolderRepositoryAdapter(installer.path()).getAvailableProducts(),
                 repository_adapter::RepoAdapterDWSDownloadException);
    platformutil::PlatformUtility::setInstallationPath({});
}

// A broken archive is named by the installer runs; here which archives count and what they weigh.
TEST(FolderRepositoryAdapter, OffersTheDescribedArchivesOfTheRootAndItsCommonFolderWhenReadAgain) {
    workflow_test::ScratchFolder packages;
    repository_adapter::FolderRepositoryAdapter repository(
        packages.path(),
        catalogue(R"({"baseCode": "VELORA", "name": "V"}, {"baseCode": "FLOWMERE", "name": "F"},
                                      {"baseCode": "LM", "name": "LM"})"));
    EXPECT_FALSE(repository.doProductsExist());
    const fs::path velora = packages.path() / "VELORA.enc",
                   flowmere = packages.path() / "common/FLOWMERE.enc";
    writeZip(velora, {{"bin/a", std::string(3000, 'a')}, {"b", std::string(5000, 'b')}});
    writeZip(flowmere, {{"bin/a", std::string(100, 'a')}, {"b", std::string(23, 'b')}});
    for (const char* passedOver : {"common/VELORA.enc", "UNDESCRIBED.enc", "LM.ENC", "LM.enc.bak"})
        writeZip(packages.path() / passedOver, {{"a", "a"}});
    EXPECT_FALSE(repository.doProductsExist()) << "the folder is read once until refreshed";
    repository.refresh();
    const repository_adapter::ProductMap products = repository.getAvailableProducts();
    EXPECT_EQ(products.at(u"VELORA")->getDownloadSize(), fs::file_size(velora));
    EXPECT_EQ(products.at(u"VELORA")->getInstallSize() + products.at(u"FLOWMERE")->getInstallSize(), 8123u);
    EXPECT_EQ(repository.getProductArchivePath(u"FLOWMERE") + repository.getProductArchivePath(u"LM"),
              flowmere.u16string());
    EXPECT_THAT(repository.getAvailableProductBasecodes(), testing::ElementsAre(u"FLOWMERE", u"VELORA"));
    repository_adapter::config::RepoAdapterConfiguration elsewhere;
    elsewhere.setPackagesRoot((packages.path() / "common").u16string());
    repository.configure(elsewhere);
    EXPECT_THAT(repository.getAvailableProductBasecodes(), testing::ElementsAre(u"FLOWMERE", u"VELORA"));
}

}  // namespace
}  // namespace install
