// The product catalogue, the rules of a product selection, and the products whose archives lie
// beside the installer (read from real zip archives).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
using productidentifier::ProductCatalogue;
using testing::ElementsAre;
using testing::IsEmpty;
using Codes = std::vector<std::u16string>;

std::shared_ptr<const ProductCatalogue> catalogue(const char* products) {
    return std::make_shared<const ProductCatalogue>(
        ProductCatalogue::fromJson(std::string(R"({"products": [)") + products + "]}"));
}

TEST(ProductCatalogue, ReadsEveryFieldLeavesOptionalOnesEmptyAndRefusesWhatItCannotRead) {
    const auto products =
        catalogue(R"({"baseCode": "VELORA", "name": "Velora", "family": "Velora", "controlling": true,
        "dependencies": ["SUPPORT"], "relativePath": {"windows": "Velora", "linux": "velora", "macos": "Velora.app"},
        "detectRunningExe": {"w64pc": "bin\\velora.exe"}, "requiredForMacOSApp": true,
        "registry": {"keyRoot": "HKEY_LOCAL_MACHINE", "key": "SOFTWARE\\Kestrelix\\Velora", "subRoot": "R2025a"},
        "archiveSha256": "ABCDEF0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789"}, {"baseCode": "X", "name": "X"})");
    const productdata::ProductRecord* velora = products->find(u"VELORA");
    ASSERT_NE(velora, nullptr);
    EXPECT_EQ(velora->productFamily + velora->dependencies.at(0) + velora->detectRunningExe.at(u"w64pc"),
              u"VeloraSUPPORTbin\\velora.exe");
    EXPECT_EQ(velora->registryKeyRoot + velora->registryKey + velora->registryKeySubRoot,
              u"HKEY_LOCAL_MACHINESOFTWARE\\Kestrelix\\VeloraR2025a");
    EXPECT_EQ(velora->relativeProductPath.at(platformutil::Platform::MacOS), "Velora.app");
    EXPECT_TRUE(velora->isControlling && velora->isRequiredForMacOSApp);
    EXPECT_EQ(velora->archiveSha256, "abcdef0123456789abcdef0123456789abcdef0123456789abcdef0123456789");
    EXPECT_EQ(products->find(u"velora"), nullptr) << "base codes are compared exactly";
    const productdata::ProductRecord& plain = *products->find(u"X");
    EXPECT_TRUE(!plain.isControlling && plain.dependencies.empty() && plain.relativeProductPath.empty() &&
                plain.archiveSha256.empty());
    for (const char* broken :
         {R"({"name": "V"})", R"({"baseCode": "", "name": "V"})", R"({"baseCode": "V", "name": 7})",
          R"({"baseCode": "V", "name": "V", "dependencies": "W"})",
          R"({"baseCode": "V", "name": "V"}, {"baseCode": "V", "name": "W"})",
          R"({"baseCode": "V", "name": "V", "relativePath": {"solaris": "v"}})",
          R"({"baseCode": "V", "name": "V", "archiveSha256": "12ab"})",
          R"({"baseCode": "V", "name": "V", "controlling": "yes"})"})
        EXPECT_THROW(catalogue(broken), productidentifier::ProductCatalogueException) << broken;
    for (const char* broken : {"", "[1, 2", R"({"items": []})", R"({"products": {}})"})
        EXPECT_THROW(ProductCatalogue::fromJson(broken), productidentifier::ProductCatalogueException)
            << broken;
    EXPECT_THROW(ProductCatalogue::fromFile("/nonexistent/catalogue.json"),
                 productidentifier::ProductCatalogueException);
}

TEST(ProductCatalogue, DependencyWalksGoNearestFirstAndEndInCyclesAndAtUndescribedProducts) {
    const productidentifier::ProductIdentifier identifier(
        catalogue(R"({"baseCode": "A", "name": "A", "dependencies": ["B"]},
        {"baseCode": "B", "name": "B", "dependencies": ["C", "A"]}, {"baseCode": "C", "name": "C", "dependencies": ["A", "GHOST"]},
        {"baseCode": "SELF", "name": "Self", "dependencies": ["SELF"]})"));
    EXPECT_EQ(identifier.getCatalogue()->getAllDependencies(u"A"), (Codes{u"B", u"C", u"GHOST"}));
    EXPECT_EQ(identifier.getDependencies(u"C"), (Codes{u"A", u"GHOST", u"B"}));
    EXPECT_TRUE(identifier.getDependencies(u"SELF").empty() && identifier.getDependencies(u"GHOST").empty());
    EXPECT_TRUE(identifier.getControllingProduct({u"A", u"B"})->getBaseCode().empty()) << "none in the cycle";
}

TEST(ProductIdentifier, TheSampleCatalogueNamesTheGatesProductsAndFindsTheControllingOne) {
    const productidentifier::ProductIdentifier identifier{fs::path(SAMPLE_CATALOGUE)};
    for (const char16_t* code :
         {u"VELORA", u"FLOWMERE", u"VELORA_COMPILER", u"QUARRIX_BUGFINDER", u"QUARRIX_TEST",
          u"LICENSEMANAGER", u"VELORA_RUNTIME", u"VELORA_PARALLEL_SERVER"})
        EXPECT_NO_THROW(identifier.getProductName(code));
    EXPECT_EQ(identifier.getProductFamily(u"VELORA_PARALLEL_SERVER"), u"Velora Parallel Server");
    EXPECT_THROW(identifier.getProductName(u"NOT_A_PRODUCT"), productidentifier::UnknownProductException);
    const auto velora = identifier.getControllingProduct({u"QUARRIX_TEST", u"FLOWMERE"});
    EXPECT_EQ(velora->getBaseCode() + velora->getName(), u"VELORAVelora") << "found through dependencies";
    EXPECT_EQ(velora->getRelativeProductPath().at(platformutil::Platform::Linux), "velora");
    EXPECT_EQ(identifier.getControllingProduct({u"FLOWMERE", u"VELORA_PARALLEL_SERVER"})->getBaseCode(),
              u"VELORA_PARALLEL_SERVER")
        << "a listed controlling product comes before the dependencies";
    EXPECT_EQ(identifier.getControllingProduct({u"VELORA", u"VELORA_PARALLEL_SERVER"})->getBaseCode(),
              u"VELORA");
    EXPECT_TRUE(identifier.getControllingProduct({u"NOT_A_PRODUCT"})->getRelativeProductPath().empty());
}

TEST(ProductIdentifier, TheDefaultCatalogueLiesBesideTheInstallerAndIsReadWhenFirstNeeded) {
    test::ScratchFolder installer;
    platformutil::PlatformUtility::setInstallationPath(installer.path());
    const productidentifier::ProductIdentifier identifier;
    EXPECT_THROW(identifier.getProductName(u"VELORA"), productidentifier::ProductCatalogueException);
    installer.writeFile(productidentifier::ProductIdentifier::kCatalogueFileName,
                        R"({"products": [{"baseCode": "V", "name": "Velora"}]})");
    EXPECT_EQ(identifier.getProductName(u"V"), u"Velora");
    platformutil::PlatformUtility::setInstallationPath({});
}

class NamedProduct : public product_api::Product {
public:
    explicit NamedProduct(std::u16string baseCode) : baseCode_(std::move(baseCode)) {}
    std::u16string getBaseCode() const override { return baseCode_; }
    std::u16string getName() const override { return baseCode_; }
    std::uint64_t getDownloadSize() const override { return 1; }
    std::uint64_t getInstallSize() const override { return 1; }

private:
    std::u16string baseCode_;
};

repository_adapter::ProductMap repositoryOf(const Codes& baseCodes) {
    repository_adapter::ProductMap products;
    for (const auto& code : baseCodes) products[code] = std::make_shared<NamedProduct>(code);
    return products;
}

// A family head MAIN; TOOL and PLOT need MAIN, TEST needs TOOL and PLOT; SERVER heads a second family;
// EXTRA needs a product nobody describes; HEAD controls a cycle.
TEST(ProductValidator, FindsMissingControllingAndDependentProductsOnceInOrderOfNeed) {
    const product_validator::ProductValidator validator(
        std::make_shared<productidentifier::ProductIdentifier>(catalogue(R"(
        {"baseCode": "MAIN", "name": "M", "controlling": true}, {"baseCode": "SERVER", "name": "S", "controlling": true},
        {"baseCode": "TOOL", "name": "T", "dependencies": ["MAIN"]}, {"baseCode": "PLOT", "name": "P", "dependencies": ["MAIN"]},
        {"baseCode": "TEST", "name": "T", "dependencies": ["TOOL", "PLOT"]}, {"baseCode": "CLIENT", "name": "C", "dependencies": ["SERVER", "MAIN"]},
        {"baseCode": "EXTRA", "name": "E", "dependencies": ["GHOST", "PLOT"]}, {"baseCode": "HEAD", "name": "H", "controlling": true, "dependencies": ["A"]},
        {"baseCode": "A", "name": "A", "dependencies": ["B"]}, {"baseCode": "B", "name": "B", "dependencies": ["A", "HEAD"]})")));
    const auto all = repositoryOf(
        {u"MAIN", u"SERVER", u"TOOL", u"PLOT", u"TEST", u"CLIENT", u"EXTRA", u"HEAD", u"A", u"B"});
    EXPECT_THAT(validator.getMissingControllingProducts({u"TOOL"}, {}, all), ElementsAre(u"MAIN"));
    EXPECT_THAT(validator.getMissingControllingProducts({u"TOOL", u"MAIN"}, {}, all), IsEmpty());
    EXPECT_THAT(validator.getMissingControllingProducts({u"TOOL"}, {u"MAIN"}, all), IsEmpty());
    EXPECT_THAT(validator.getMissingControllingProducts({u"TEST", u"CLIENT"}, {}, all),
                ElementsAre(u"MAIN", u"SERVER"));
    EXPECT_THAT(validator.getMissingControllingProducts({u"CLIENT"}, {}, all),
                ElementsAre(u"SERVER", u"MAIN"));
    EXPECT_THAT(validator.getMissingControllingProducts({u"A"}, {}, all), ElementsAre(u"HEAD"));
    EXPECT_THAT(validator.getMissingControllingProducts({u"TOOL", u"NOPE"}, {}, repositoryOf({u"MAIN"})),
                IsEmpty())
        << "only selected products the repository holds are judged";
    EXPECT_THAT(validator.getMissingDependentProducts({u"TEST"}, {}, all), ElementsAre(u"TOOL", u"PLOT"));
    EXPECT_THAT(validator.getMissingDependentProducts({u"TEST"}, {u"PLOT"}, all), ElementsAre(u"TOOL"));
    EXPECT_THAT(validator.getMissingDependentProducts({u"TEST", u"TOOL", u"PLOT"}, {}, all), IsEmpty());
    EXPECT_THAT(validator.getMissingDependentProducts({u"TOOL"}, {}, all), IsEmpty())
        << "MAIN is controlling";
    EXPECT_THAT(validator.getMissingDependentProducts({u"EXTRA"}, {}, all), ElementsAre(u"PLOT"));
    EXPECT_THAT(validator.getMissingDependentProducts({u"A"}, {}, all), ElementsAre(u"B"));
}

struct Selection {
    const char* name;
    Codes selected, offered, available, installable, refused;
};

TEST(ProductSelection, RefusesWhatIsNotOfferedAvailableAndInstallableAndProposesWhatTheUserMayWant) {
    const product_validator::ProductSelection selection;
    for (const auto& [name, selected, offered, available, installable, refused] :
         {Selection{"Installable", {u"B", u"A"}, {u"A", u"B"}, {u"A", u"B"}, {u"A", u"B"}, {}},
          Selection{"Nothing", {}, {u"A"}, {}, {}, {}},
          Selection{"Unknown", {u"A", u"NOPE", u"GONE"}, {u"A"}, {u"A"}, {u"A"}, {u"NOPE", u"GONE"}},
          Selection{"NotOffered", {u"A", u"B"}, {u"A"}, {u"A", u"B"}, {u"A", u"B"}, {u"B"}},
          Selection{"NotInTheRepository", {u"B"}, {u"A", u"B"}, {u"A"}, {u"A", u"B"}, {u"B"}},
          Selection{"StaleInstallableList", {u"B"}, {u"A", u"B"}, {u"A", u"B"}, {u"A"}, {u"B"}},
          Selection{"Repeated", {u"Z", u"Z"}, {}, {}, {}, {u"Z"}}}) {
        try {
            selection.validate(selected, offered, available, installable);
            EXPECT_THAT(refused, IsEmpty()) << name;
        } catch (const product_validator::SelectedProductsNotAvailableException& error) {
            EXPECT_EQ(error.getBasecodeList(), refused) << name;
        }
    }
    EXPECT_STREQ(product_validator::SelectedProductsNotAvailableException({u"A", u"B"}).what(),
                 "Installation files are not available for: A, B");
    EXPECT_THAT(selection.getInstallableProducts({u"C", u"A", u"B", u"A"}, {u"A", u"C", u"X"}),
                ElementsAre(u"C", u"A"));
    EXPECT_THAT(selection.getIntersection({u"B", u"A", u"B", u"C"}, {u"A", u"B"}), ElementsAre(u"B", u"A"));
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
        test::writeZip(packages.path() / relative, {{"bin/program", std::string(firstEntry, 'a')},
                                                    {"share/readme.txt", std::string(secondEntry, 'b')}});
        return packages.path() / relative;
    }

    test::ScratchFolder packages;
    repository_adapter::FolderRepositoryAdapter repository{packages.path(), catalogue(R"(
        {"baseCode": "VELORA", "name": "Velora"}, {"baseCode": "FLOWMERE", "name": "Flowmere"}, {"baseCode": "LM", "name": "LM"})")};
};

TEST_F(FolderRepositoryAdapterTest, OffersTheDescribedArchivesOfTheRootAndItsCommonFolderWhenReadAgain) {
    EXPECT_FALSE(repository.doProductsExist());
    const fs::path velora = archive("VELORA.enc", 3000, 5000);
    const fs::path flowmere = archive("common/FLOWMERE.enc", 100, 23);
    archive("common/VELORA.enc", 1, 1);  // the root's archive wins
    archive("UNDESCRIBED.enc", 10, 10);
    archive("LM.ENC", 10, 10);
    archive("LM.enc.bak", 10, 10);
    packages.writeFile("readme.txt", "not an archive");
    EXPECT_FALSE(repository.doProductsExist()) << "the folder is read once until refreshed";
    repository.refresh();

    const repository_adapter::ProductMap products = repository.getAvailableProducts();
    ASSERT_EQ(products.size(), 2u);
    EXPECT_EQ(products.at(u"VELORA")->getName(), u"Velora");
    EXPECT_EQ(products.at(u"VELORA")->getDownloadSize(), fs::file_size(velora));
    EXPECT_EQ(products.at(u"VELORA")->getInstallSize(), 8000u);
    EXPECT_EQ(products.at(u"FLOWMERE")->getInstallSize(), 123u);
    EXPECT_EQ(
        repository.getProductArchivePath(u"VELORA") + u" " + repository.getProductArchivePath(u"FLOWMERE"),
        velora.u16string() + u" " + flowmere.u16string());
    EXPECT_EQ(repository.getProductArchivePath(u"LM"), u"");
    EXPECT_THAT(repository.getAvailableProductBasecodes(), ElementsAre(u"FLOWMERE", u"VELORA"));
    EXPECT_TRUE(repository.getInstallerUrls({u"w64pc"}).empty());

    repository_adapter::config::RepoAdapterConfiguration configuration;
    configuration.setPackagesRoot((packages.path() / "missing").u16string());
    repository.configure(configuration);
    EXPECT_TRUE(repository.getAvailableProducts().empty());
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
