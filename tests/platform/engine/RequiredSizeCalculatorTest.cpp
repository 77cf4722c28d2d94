// Download and install sizes of a selection: each product once, nothing for what the folder
// already holds.
#include "install/engine/RequiredSizeCalculator.h"

#include <gtest/gtest.h>

#include "FolderProduct.h"
#include "InstallationManifest.h"
#include "install/engine/EngineExceptions.h"
#include "support/ScratchFolder.h"

namespace install::engine {
namespace {

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

}  // namespace
}  // namespace install::engine
