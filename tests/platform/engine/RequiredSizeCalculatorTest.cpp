#include "install/engine/RequiredSizeCalculator.h"

#include <gtest/gtest.h>

#include "InstallationManifest.h"
#include "ScratchFolder.h"
#include "install/engine/EngineExceptions.h"

namespace install::engine {
namespace {

class SizedProduct : public product_api::Product {
public:
    SizedProduct(std::u16string baseCode, std::uint64_t download, std::uint64_t install)
        : baseCode_(std::move(baseCode)), download_(download), install_(install) {}
    std::u16string getBaseCode() const override { return baseCode_; }
    std::u16string getName() const override { return baseCode_; }
    std::uint64_t getDownloadSize() const override { return download_; }
    std::uint64_t getInstallSize() const override { return install_; }

private:
    std::u16string baseCode_;
    std::uint64_t download_;
    std::uint64_t install_;
};

using Sizes = std::pair<std::uint64_t, std::uint64_t>;

class RequiredSizeCalculatorTest : public testing::Test {
protected:
    RequiredSizeCalculatorTest() {
        for (const auto& [code, download, install] :
             {std::tuple{u"VELORA", 1000u, 5000u}, std::tuple{u"FLOWMERE", 200u, 700u},
              std::tuple{u"QUARRIX_TEST", 30u, 90u}}) {
            products.emplace(code, std::make_shared<const SizedProduct>(code, download, install));
        }
    }

    std::pair<std::uint64_t, std::uint64_t> sizes(const std::vector<std::u16string>& selection,
                                                  bool skipInstalled = true,
                                                  bool ignoreUnknown = true) const {
        return calculator.getRequiredDownloadAndInstallSize(selection, folder.text(), {"l64pc"}, {"en_US"},
                                                            products, skipInstalled, ignoreUnknown);
    }

    test::ScratchFolder folder;
    repository_adapter::ProductMap products;
    RequiredSizeCalculator calculator;
};

TEST_F(RequiredSizeCalculatorTest, AddsArchiveAndUnpackedSizesOfEachProductOnce) {
    EXPECT_EQ(sizes({u"VELORA", u"FLOWMERE", u"VELORA"}), Sizes(1200, 5700));
    EXPECT_EQ(sizes({}), Sizes(0, 0));
    EXPECT_EQ(calculator.getRequiredDownloadSize({u"FLOWMERE"}, folder.text(), {}, {}, products, true, true),
              200u);
}

TEST_F(RequiredSizeCalculatorTest, ProductsAlreadyInTheFolderCostNothing) {
    InstallationManifest manifest;
    manifest.addProduct({u"VELORA", u"Velora", u"Velora"});
    manifest.writeTo(folder.path());
    EXPECT_EQ(sizes({u"VELORA", u"QUARRIX_TEST"}), Sizes(30, 90));
    EXPECT_EQ(sizes({u"VELORA", u"QUARRIX_TEST"}, false), Sizes(1030, 5090));
}

TEST_F(RequiredSizeCalculatorTest, AProductTheRepositoryLacksIsSkippedOrReported) {
    EXPECT_EQ(sizes({u"FLOWMERE", u"GHOST"}), Sizes(200, 700));
    EXPECT_THROW(sizes({u"FLOWMERE", u"GHOST"}, true, false), EngineMissingComponentException);
}

TEST_F(RequiredSizeCalculatorTest, AnUnreadableRecordIsReported) {
    folder.writeFile(InstallationManifest::kFileName, "[]");
    EXPECT_THROW(sizes({u"VELORA"}), EngineInvalidInstalledProductsException);
}

}  // namespace
}  // namespace install::engine
