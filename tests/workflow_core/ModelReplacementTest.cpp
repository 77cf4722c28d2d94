// What survives when the handler replaces part of the model: an initializer keeps the page model
// the user filled in, a reset discards it and marks the data modified; replacing a product list
// keeps the given order and drops values the list already holds.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "support/ModelFixture.h"
#include "support/ValueText.h"

namespace {

using install::product_installer::workflow_utils::DataModelHandler;
using workflow_test::joined;
using H = const DataModelHandler&;

struct PageModel {
    const char* name;
    std::function<void(H)> initialize;
    std::function<void(H)> reset;
    std::function<void(H)> fill;
    std::function<std::string(H)> read;
    std::string kept;  // after filling in and initializing again
    std::string discarded;
};
void PrintTo(const PageModel& row, std::ostream* out) { *out << row.name; }

const PageModel kPageModels[] = {
    // Initializing the selection again also withdraws the acknowledged overwrite warning.
    {"ProductSelection", [](H h) { h.initializeProductSelectionModel(); },
     [](H h) { h.resetProductSelectionModel(); },
     [](H h) {
         h.initializeSelectedProducts({u"VELORA"});
         h.setIsMinimalProductMode(true);
         h.getProductSelectionObjectFromDataModel().setOverwriteAcknowledgement(true);
     },
     [](H h) {
         return joined(h.getSelectedProducts(), h.getIsMinimalProductMode(),
                       h.isOverwriteWarningAcknowledged());
     },
     "[VELORA]|true|false", "[]|false|false"},
    {"OptionSelection", [](H h) { h.initializeOptionSelectionModel(); },
     [](H h) { h.resetOptionSelectionModel(); },
     [](H h) {
         h.setSymbolicLinkPath(u"/usr/local/bin");
         h.setIsDesktopShortcutSelected(true);
     },
     [](H h) { return joined(h.getSymbolicLinkPath(), h.isDesktopShortcutSelected()); },
     "/usr/local/bin|true", "|false"},
    {"InstallFolder", [](H h) { h.initializeInstallFolderModel(); }, [](H h) { h.resetInstallFolderModel(); },
     [](H h) {
         h.setInstallFolder(u"/opt/velora");
         h.setRootDriveWarningAcknowledgementToTrue();
     },
     [](H h) { return joined(h.getInstallFolder(), h.isRootDriveWarningAcknowledged()); }, "/opt/velora|true",
     "|false"},
    {"DownloadFolder", [](H h) { h.initializeDownloadFolderModel(); },
     [](H h) { h.resetDownloadFolderModel(); }, [](H h) { h.setUserGivenDownloadFolder(u"/data/velora"); },
     [](H h) { return joined(h.getUserGivenDownloadFolder()); }, "/data/velora", ""},
};

class PageModelTest : public workflow_test::ModelFixture, public testing::WithParamInterface<PageModel> {};

TEST_P(PageModelTest, InitializerKeepsWhatWasEnteredAndResetDiscardsIt) {
    GetParam().initialize(*handler);
    GetParam().fill(*handler);
    applicationData().setIsDataModified(false);

    GetParam().initialize(*handler);
    EXPECT_EQ(GetParam().read(*handler), GetParam().kept);
    EXPECT_FALSE(applicationData().getIsDataModified());

    GetParam().reset(*handler);
    EXPECT_EQ(GetParam().read(*handler), GetParam().discarded);
    EXPECT_TRUE(applicationData().getIsDataModified());
}

INSTANTIATE_TEST_SUITE_P(Models, PageModelTest, testing::ValuesIn(kPageModels),
                         [](const auto& info) { return std::string(info.param.name); });

using Products = std::vector<std::u16string>;

struct ProductList {
    const char* name;
    std::function<void(H, const Products&)> replace;
    std::function<tq::zero::Sequence<std::u16string>(const DataModelHandler::WorkflowDependentData&)>
        sequence;
    std::function<Products(H)> read;  // empty for a list the handler only writes
};
void PrintTo(const ProductList& row, std::ostream* out) { *out << row.name; }

const ProductList kProductLists[] = {
    {"Available", [](H h, const auto& l) { h.setAvailableProducts(l); },
     [](const auto& d) { return d.getAvailableProducts(); }, [](H h) { return h.getAvailableProducts(); }},
    {"Installed", [](H h, const auto& l) { h.setInstalledProducts(l); },
     [](const auto& d) { return d.getInstalledProducts(); }, [](H h) { return h.getInstalledProducts(); }},
    {"Installable", [](H h, const auto& l) { h.setInstallableProducts(l); },
     [](const auto& d) { return d.getInstallableProducts(); },
     [](H h) { return h.getInstallableProducts(); }},
    {"Downloadable", [](H h, const auto& l) { h.setDownloadableProducts(l); },
     [](const auto& d) { return d.getDownloadableProducts(); },
     [](H h) { return h.getDownloadableProducts(); }},
    {"Offered", [](H h, const auto& l) { h.setOfferedProducts(l); },
     [](const auto& d) { return d.getOfferedProducts(); }, [](H h) { return h.getOfferedProducts(); }},
    {"Missing", [](H h, const auto& l) { h.initializeMissingProducts(l); },
     [](const auto& d) { return d.getMissingProducts(); }, nullptr},
};

class ProductListTest : public workflow_test::ModelFixture, public testing::WithParamInterface<ProductList> {
protected:
    std::string inModel() const {
        const auto values = GetParam().sequence(dependent()).values();
        if (GetParam().read) {
            EXPECT_EQ(GetParam().read(*handler), values);
        }
        return joined(values);
    }
};

// Every list of the model holds unique values: a repeated value is appended once, in the place
// of its first occurrence.
TEST_P(ProductListTest, ReplacingKeepsTheGivenOrderWithoutRepeats) {
    ASSERT_TRUE(GetParam().sequence(dependent()).isUnique());
    GetParam().replace(*handler, {u"OLD", u"SHARED"});
    GetParam().replace(*handler, {u"SIMULINK", u"SHARED", u"SIMULINK", u"A_TOOLBOX", u"SHARED"});
    EXPECT_EQ(inModel(), "[SIMULINK,SHARED,A_TOOLBOX]");

    GetParam().replace(*handler, {});
    EXPECT_EQ(inModel(), "[]");
}

INSTANTIATE_TEST_SUITE_P(Lists, ProductListTest, testing::ValuesIn(kProductLists),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
