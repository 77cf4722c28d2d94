#include "FolderRepositoryAdapter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "ScratchFolder.h"
#include "ZipWriter.h"
#include "install/platformutil/PlatformUtility.h"
#include "install/repository_adapter/RepositoryExceptions.h"

namespace install::repository_adapter {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;

constexpr const char* kCatalogue = R"({"products": [
    {"baseCode": "VELORA", "name": "Velora", "family": "Velora", "controlling": true},
    {"baseCode": "FLOWMERE", "name": "Flowmere", "family": "Velora", "dependencies": ["VELORA"]},
    {"baseCode": "LICENSEMANAGER", "name": "License Manager", "family": "License Manager"}]})";

class FolderRepositoryAdapterTest : public testing::Test {
protected:
    FolderRepositoryAdapterTest()
        : catalogue(std::make_shared<const productidentifier::ProductCatalogue>(
              productidentifier::ProductCatalogue::fromJson(kCatalogue))),
          repository(packages.path(), catalogue) {}

    fs::path archive(const std::string& relative, std::size_t firstEntry, std::size_t secondEntry) const {
        const fs::path file = packages.path() / relative;
        test::writeZip(file, {{"bin/program", std::string(firstEntry, 'a')},
                              {"share/readme.txt", std::string(secondEntry, 'b')}});
        return file;
    }

    test::ScratchFolder packages;
    std::shared_ptr<const productidentifier::ProductCatalogue> catalogue;
    FolderRepositoryAdapter repository;
};

TEST_F(FolderRepositoryAdapterTest, OffersTheDescribedArchivesOfTheRootAndItsCommonFolder) {
    const fs::path velora = archive("VELORA.enc", 3000, 5000);
    const fs::path flowmere = archive("common/FLOWMERE.enc", 100, 23);
    archive("common/VELORA.enc", 1, 1);     // the root's archive wins
    archive("UNDESCRIBED.enc", 10, 10);     // not in the catalogue
    archive("LICENSEMANAGER.ENC", 10, 10);  // not the archive extension
    archive("LICENSEMANAGER.enc.bak", 10, 10);
    packages.writeFile("readme.txt", "not an archive");

    const ProductMap products = repository.getAvailableProducts();
    ASSERT_EQ(products.size(), 2u);
    EXPECT_EQ(products.at(u"VELORA")->getName(), u"Velora");
    EXPECT_EQ(products.at(u"VELORA")->getDownloadSize(), fs::file_size(velora));
    EXPECT_EQ(products.at(u"VELORA")->getInstallSize(), 8000u);
    EXPECT_EQ(products.at(u"FLOWMERE")->getInstallSize(), 123u);
    EXPECT_EQ(repository.getProductArchivePath(u"VELORA"), velora.u16string());
    EXPECT_EQ(repository.getProductArchivePath(u"FLOWMERE"), flowmere.u16string());
    EXPECT_EQ(repository.getProductArchivePath(u"LICENSEMANAGER"), u"");
    EXPECT_THAT(repository.getAvailableProductBasecodes(), ElementsAre(u"FLOWMERE", u"VELORA"));
    EXPECT_TRUE(repository.doProductsExist());
    EXPECT_TRUE(repository.getInstallerUrls({u"w64pc"}).empty());
    EXPECT_TRUE(repository.getAdditionalLanguages().empty());
}

TEST_F(FolderRepositoryAdapterTest, AnEmptyOrMissingFolderHasNoProducts) {
    EXPECT_TRUE(repository.getAvailableProducts().empty());
    EXPECT_FALSE(repository.doProductsExist());

    FolderRepositoryAdapter missing(packages.path() / "missing", catalogue);
    EXPECT_TRUE(missing.getAvailableProducts().empty());
    EXPECT_FALSE(missing.doProductsExist());
}

TEST_F(FolderRepositoryAdapterTest, TheFolderIsReadAgainOnlyAfterRefreshOrConfiguration) {
    EXPECT_FALSE(repository.doProductsExist());
    archive("VELORA.enc", 10, 10);
    EXPECT_FALSE(repository.doProductsExist());
    repository.refresh();
    EXPECT_TRUE(repository.doProductsExist());

    test::ScratchFolder otherPackages;
    config::RepoAdapterConfiguration configuration;
    configuration.setPackagesRoot(otherPackages.text());
    repository.configure(configuration);
    EXPECT_EQ(repository.getPackagesRoot(), otherPackages.path());
    EXPECT_FALSE(repository.doProductsExist());
}

TEST_F(FolderRepositoryAdapterTest, ABrokenArchiveIsReportedAsAnExtractionFailure) {
    packages.writeFile("VELORA.enc", "this is not a zip archive");
    try {
        repository.getAvailableProducts();
        FAIL() << "a broken archive was accepted";
    } catch (const RepoAdapterDWSExtractException& error) {
        EXPECT_FALSE(error.getErrorCode().empty());
        EXPECT_FALSE(error.getPrimaryErrorMessage().empty());
        EXPECT_THAT(error.getSecondaryErrorMessage(), testing::HasSubstr("VELORA.enc"));
        EXPECT_EQ(error.getLocation(), "FolderProductRepoAdapter::getAvailableProducts");
    }
    EXPECT_FALSE(repository.doProductsExist());
}

TEST_F(FolderRepositoryAdapterTest, AMissingCatalogueIsReportedAsMissingProductDescriptions) {
    test::ScratchFolder installer;
    platformutil::PlatformUtility::setInstallationPath(installer.path());
    archive("VELORA.enc", 10, 10);
    FolderRepositoryAdapter withoutCatalogue(packages.path());
    EXPECT_THROW(withoutCatalogue.getAvailableProducts(), RepoAdapterDWSDownloadException);
    EXPECT_FALSE(withoutCatalogue.doProductsExist());
    platformutil::PlatformUtility::setInstallationPath({});
}

TEST_F(FolderRepositoryAdapterTest, CanBeReadFromSeveralThreadsAtOnce) {
    archive("VELORA.enc", 10, 10);
    archive("common/FLOWMERE.enc", 10, 10);
    std::vector<std::size_t> counts(4);
    std::vector<std::thread> readers;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        readers.emplace_back([&, i] { counts[i] = repository.getAvailableProducts().size(); });
    }
    for (std::thread& reader : readers) reader.join();
    EXPECT_THAT(counts, testing::Each(2u));
}

}  // namespace
}  // namespace install::repository_adapter
