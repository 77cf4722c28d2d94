// The confirmation summary: which items each kind of installation shows, their values, the
// size rules, and what reaches the log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fl/i18n/Message.h"
#include "gates/execution/ConfirmationGate.h"
#include "install/cpputil/Logger.h"
#include "install/platformutil/SizeFormatter.h"
#include "support/ModelFixture.h"

namespace {

using install::datamodels::common::Result;
using install::datamodels::product_installer::UpdateScenario;
using install::engine::RequiredSizeCalculator;
using install::product_installer::workflow_utils::ConfirmationGate;
using install::product_installer::workflow_utils::DataModelHandler;
using testing::_;
using testing::ElementsAre;
using testing::Return;
using workflow_test::ModelFixture;

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
const std::u16string kDelimiter = u"|?:";
const std::u16string kFolder = u"/opt/velora/R2031a";

class MockSizeCalculator : public RequiredSizeCalculator {
public:
    MOCK_METHOD((std::pair<std::uint64_t, std::uint64_t>), getRequiredDownloadAndInstallSize,
                (const std::vector<std::u16string>&, const std::u16string&, const std::vector<std::string>&,
                 const std::vector<std::string>&, const install::repository_adapter::ProductMap&, bool, bool),
                (const, override));
};

// The gate with the size calculator of the test, and its item builders reachable.
class TestConfirmationGate : public ConfirmationGate {
public:
    using ConfirmationGate::ConfirmationGate;

    mutable std::unique_ptr<MockSizeCalculator> calculator = std::make_unique<MockSizeCalculator>();

protected:
    std::unique_ptr<RequiredSizeCalculator> getRequiredSizeCalculatorInstance() const override {
        return std::move(calculator);
    }
};

struct Item {
    std::int32_t type;
    std::u16string value;
    bool operator==(const Item&) const = default;
};

void PrintTo(const Item& item, std::ostream* out) {
    *out << "{" << item.type << ", \"" << fl::i18n::to_string(item.value) << "\"}";
}

class ConfirmationGateTest : public ModelFixture {
protected:
    ConfirmationGateTest() {
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(kFolder);
        handler->initializeProductSelectionModel();
        handler->initializeSelectedProducts({u"VELORA", u"FLOWMERE"});
        handler->setInstallableProducts(
            {u"VELORA", u"FLOWMERE", u"VELORA_COMPILER", u"QUARRIX_TEST", u"QUARRIX_BUGFINDER"});
        handler->setRequiredInstallSize(2 * kGiB);
        independent().getRelease().setFamily(u"R2031a");
    }

    std::vector<Item> items() const {
        std::vector<Item> found;
        for (const auto& item :
             dependent().getConfirmationData().getConfirmationItemToDisplayList().values()) {
            found.push_back({item.getConfirmationType(), item.getConfirmationValue()});
        }
        return found;
    }
    void runtimeInstallation(UpdateScenario scenario) const {
        handler->setIsQRTInstallation(true);
        handler->setUpdateScenario(scenario);
    }
    void packagedApplication() const {
        dependent().setIsVantapakInstallation(true);
        const auto application = independent().getUserApplicationData();
        application.setInstallationDirectory(u"/home/user/Orbitview");
        application.setExtractedBundleDirectory(u"/tmp/bundle/Orbitview/");
    }
    void expectInstallSize(std::uint64_t bytes) const {
        EXPECT_CALL(*gate.calculator, getRequiredDownloadAndInstallSize(_, _, _, _, _, true, true))
            .WillOnce(Return(std::make_pair(std::uint64_t{1}, bytes)));
    }
    static std::u16string sizeText(std::uint64_t bytes) {
        return fl::i18n::message("requiredSizeMsg", install::platformutil::SizeFormatter::format(bytes));
    }
    static std::u16string selectedOf(std::size_t selected, std::size_t offered) {
        return fl::i18n::message("numberOfProductsSelectedMsg", selected, offered);
    }

    TestConfirmationGate gate{u"ConfirmationGate", handler};
    install::cpputil::logger::ScopedCapture log;
};

TEST_F(ConfirmationGateTest, InstallationShowsFolderProductsAndSize) {
    gate.setDefaultData();
    EXPECT_THAT(items(),
                ElementsAre(Item{0, kFolder}, Item{3, selectedOf(2, 5)}, Item{4, sizeText(2 * kGiB)}));
}

TEST_F(ConfirmationGateTest, LogShowsTrimmedTitlesEachBeforeItsValueAndTheSizeAlone) {
    gate.setDefaultData();
    EXPECT_THAT(log.lines(),
                ElementsAre(fl::i18n::message("confirmationTitle"), u"Destination Folder", kFolder,
                            fl::i18n::message("productsTitle"), selectedOf(2, 5), sizeText(2 * kGiB)));
}

TEST_F(ConfirmationGateTest, ARequiredSizeOfZeroShowsNoSizeItem) {
    handler->setRequiredInstallSize(0);
    gate.setDefaultData();
    EXPECT_THAT(items(), ElementsAre(Item{0, kFolder}, Item{3, selectedOf(2, 5)}));
}

TEST_F(ConfirmationGateTest, DownloadOnlyShowsTheDownloadFolderPlatformsAndDownloadSize) {
    handler->setWorkflow(u"DownloadOnly");
    handler->initializeDownloadFolderModel();
    handler->setUserGivenDownloadFolder(u"/home/user/Downloads/Velora");
    handler->setDownloadableProducts({u"VELORA", u"FLOWMERE", u"VELORA_COMPILER"});
    handler->setRequiredDownloadSize(3 * kGiB);
    {
        auto platforms = dependent().getDownloadPlatforms().modify();
        for (const auto* code : {u"l64pc", u"x64zz", u"w64pc", u"m64ar", u"m64in"}) platforms.append(code);
        platforms.commit();
    }
    gate.setDefaultData();
    const std::u16string platforms = fl::i18n::message("Linux") + u" " + fl::i18n::message("Windows") + u" " +
                                     fl::i18n::message("macOS_Apple_silicon") + u" " +
                                     fl::i18n::message("macOS_Intel_processor");
    EXPECT_THAT(items(), ElementsAre(Item{0, u"/home/user/Downloads/Velora"}, Item{3, selectedOf(2, 3)},
                                     Item{6, platforms}, Item{4, sizeText(3 * kGiB)}));
}

TEST_F(ConfirmationGateTest, RuntimeShowsTheRuntimeProductAndItsOwnInstallSize) {
    runtimeInstallation(UpdateScenario::FreshInstallation);
    independent().setExecutionPlatform(u"l64pc");
    independent().setLocale(u"de_DE");
    EXPECT_CALL(*gate.calculator,
                getRequiredDownloadAndInstallSize(std::vector<std::u16string>{u"FLOWMERE", u"VELORA"},
                                                  kFolder, std::vector<std::string>{"l64pc"},
                                                  std::vector<std::string>{"de_DE"}, _, true, true))
        .WillOnce(Return(std::make_pair(std::uint64_t{5}, 7 * kGiB)));
    gate.setDefaultData();
    EXPECT_THAT(items(),
                ElementsAre(Item{0, kFolder},
                            Item{3, fl::i18n::message("VeloraRuntimeProductMsg", "Velora Runtime", "R2031a")},
                            Item{4, sizeText(7 * kGiB)}));
}

TEST_F(ConfirmationGateTest, RuntimeWithoutSelectedProductsShowsNoSize) {
    runtimeInstallation(UpdateScenario::AlreadyUpToDate);
    handler->initializeSelectedProducts({});
    EXPECT_CALL(*gate.calculator, getRequiredDownloadAndInstallSize).Times(0);
    gate.setDefaultData();
    ASSERT_EQ(items().size(), 2u);
    EXPECT_EQ(items().back().type, 3);
}

TEST_F(ConfirmationGateTest, RuntimeWithNothingToAddShowsNoSize) {
    runtimeInstallation(UpdateScenario::FreshInstallation);
    expectInstallSize(0);
    gate.setDefaultData();
    EXPECT_EQ(items().size(), 2u);
}

// The destination items of a runtime installation for every update scenario.
struct ScenarioCase {
    UpdateScenario scenario;
    const char* name;
};

class RuntimeScenarioTest : public ConfirmationGateTest, public testing::WithParamInterface<ScenarioCase> {
protected:
    bool addsToRuntime() const {
        return GetParam().scenario == UpdateScenario::ProductsAdded ||
               GetParam().scenario == UpdateScenario::UpdateToNewerLevel;
    }
};

TEST_P(RuntimeScenarioTest, DestinationItemNamesTheExistingRuntimeOnlyWhenProductsAreAdded) {
    runtimeInstallation(GetParam().scenario);
    expectInstallSize(kGiB);
    gate.setDefaultData();
    const std::u16string expected =
        addsToRuntime() ? fl::i18n::message("additionalProductsMsgPartOne", "Velora Runtime") + kDelimiter +
                              kFolder + kDelimiter + fl::i18n::message("additionalProductsMsgPartTwo")
                        : kFolder;
    ASSERT_FALSE(items().empty());
    EXPECT_EQ(items().front(), (Item{0, expected}));
}

TEST_P(RuntimeScenarioTest, PackagedApplicationShowsTheApplicationFolderThenTheRuntimeFolder) {
    runtimeInstallation(GetParam().scenario);
    packagedApplication();
    expectInstallSize(kGiB);
    gate.setDefaultData();
    std::u16string runtime = kFolder;
    if (addsToRuntime()) {
        runtime = fl::i18n::message("additionalProductsMsgPartOne", "Velora Runtime") + kDelimiter + kFolder +
                  kDelimiter + fl::i18n::message("VantapakAdditionalProductsMsgPartTwo");
    } else if (GetParam().scenario == UpdateScenario::AlreadyUpToDate) {
        runtime = fl::i18n::message("runtimeAlreadyUpToDateMsg", "Velora Runtime") + kDelimiter + kFolder;
    }
    EXPECT_THAT(items(),
                ElementsAre(Item{2, u"/home/user/Orbitview"}, Item{1, runtime}, Item{4, sizeText(kGiB)}));
}

INSTANTIATE_TEST_SUITE_P(EveryScenario, RuntimeScenarioTest,
                         testing::Values(ScenarioCase{UpdateScenario::Unknown, "Unknown"},
                                         ScenarioCase{UpdateScenario::AlreadyUpToDate, "AlreadyUpToDate"},
                                         ScenarioCase{UpdateScenario::FreshInstallation, "FreshInstallation"},
                                         ScenarioCase{UpdateScenario::ProductsAdded, "ProductsAdded"},
                                         ScenarioCase{UpdateScenario::UpdateToNewerLevel,
                                                      "UpdateToNewerLevel"},
                                         ScenarioCase{UpdateScenario::UpdateNotPossibleFromFolderRepository,
                                                      "NotPossibleFromFolder"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfirmationGateTest, PackagedApplicationLogsTitlesWithTheApplicationAndRuntimeNames) {
    runtimeInstallation(UpdateScenario::FreshInstallation);
    packagedApplication();
    expectInstallSize(0);
    gate.setDefaultData();
    EXPECT_THAT(
        log.lines(),
        ElementsAre(fl::i18n::message("confirmationTitle"),
                    fl::i18n::message("userAppDestinationFolderTitle", "Orbitview"), u"/home/user/Orbitview",
                    fl::i18n::message("destinationFolderTitle", "Velora Runtime"), kFolder));
}

TEST_F(ConfirmationGateTest, ADefaultDataRunReplacesTheItemsOfAnEarlierOne) {
    gate.setDefaultData();
    handler->setRequiredInstallSize(0);
    gate.setDefaultData();
    EXPECT_EQ(items().size(), 2u);
}

TEST_F(ConfirmationGateTest, ClearingInputEmptiesTheSummaryAndMarksTheDataModified) {
    gate.setDefaultData();
    applicationData().setIsDataModified(false);
    gate.clearInputData();
    EXPECT_TRUE(items().empty());
    EXPECT_TRUE(applicationData().getIsDataModified());
}

TEST_F(ConfirmationGateTest, ConfirmingCompletesTheStep) {
    gate.setDefaultData();
    gate.setRequiredData();
    EXPECT_EQ(applicationData().getDataRequired(), u"ConfirmationGate");
    handler->setAsDataAvailable();
    gate.processData();
    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Valid);
    EXPECT_EQ(applicationData().getDataProcessed(), u"ConfirmationGate");
}

}  // namespace
