// The confirmation summary: which items each kind of installation shows, their values, the size
// rules, and what reaches the log.
#include <gmock/gmock.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fl/i18n/Message.h"
#include "gates/execution/ConfirmationGate.h"
#include "support/ModelFixture.h"

namespace {

using fl::i18n::message;
using install::datamodels::product_installer::UpdateScenario;
using testing::_, testing::ElementsAre, testing::Return;
using workflow_test::joined, workflow_test::PrintTo;

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
const std::u16string kFolder = u"/opt/velora/2031.1";

class MockSizeCalculator : public install::engine::RequiredSizeCalculator {
public:
    MOCK_METHOD((std::pair<std::uint64_t, std::uint64_t>), getRequiredDownloadAndInstallSize,
                (const std::vector<std::u16string>&, const std::u16string&, const std::vector<std::string>&,
                 const std::vector<std::string>&, const install::repository_adapter::ProductMap&, bool, bool),
                (const, override));
};

class TestConfirmationGate : public install::product_installer::workflow_utils::ConfirmationGate {
public:
    using ConfirmationGate::ConfirmationGate;
    mutable std::unique_ptr<MockSizeCalculator> calculator = std::make_unique<MockSizeCalculator>();

protected:
    std::unique_ptr<install::engine::RequiredSizeCalculator> getRequiredSizeCalculatorInstance()
        const override {
        return std::move(calculator);
    }
};

class ConfirmationGateTest : public workflow_test::ModelFixture {
public:
    using ModelFixture::handler;

    ConfirmationGateTest() {
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(kFolder);
        handler->initializeProductSelectionModel();
        handler->initializeSelectedProducts({u"VELORA", u"FLOWMERE"});
        handler->setInstallableProducts({u"VELORA", u"FLOWMERE", u"COMPILER", u"QUARRIX", u"BUGFINDER"});
        handler->setRequiredInstallSize(2 * kGiB);
        independent().getRelease().setFamily(u"2031.1");
        independent().setExecutionPlatform(u"l64pc");
        independent().setLocale(u"de_DE");
    }

    // Each item as type=value.
    std::vector<std::string> items() const {
        std::vector<std::string> found;
        for (const auto& item : dependent().getConfirmationData().getConfirmationItemToDisplayList().values())
            found.push_back(joined(item.getConfirmationType()) + "=" + joined(item.getConfirmationValue()));
        return found;
    }
    // A runtime installation reckons its size itself, for the selection, folder, platform and locale.
    void runtime(UpdateScenario scenario, std::uint64_t installBytes) const {
        handler->setIsQRTInstallation(true);
        handler->setUpdateScenario(scenario);
        EXPECT_CALL(*gate.calculator, getRequiredDownloadAndInstallSize(ElementsAre(u"FLOWMERE", u"VELORA"),
                                                                        kFolder, ElementsAre("l64pc"),
                                                                        ElementsAre("de_DE"), _, true, true))
            .WillRepeatedly(Return(std::make_pair(std::uint64_t{1}, installBytes)));
    }
    void packagedApplication() const {
        dependent().setIsVantapakInstallation(true);
        independent().getUserApplicationData().setInstallationDirectory(u"/home/user/Orbitview");
        independent().getUserApplicationData().setExtractedBundleDirectory(u"/tmp/bundle/Orbitview/");
    }
    void downloadOnly() const {
        handler->setWorkflow(u"DownloadOnly");
        handler->initializeDownloadFolderModel();
        handler->setUserGivenDownloadFolder(u"/home/user/Downloads");
        handler->setDownloadableProducts({u"VELORA", u"FLOWMERE", u"COMPILER"});
        handler->setRequiredDownloadSize(3 * kGiB);
        auto platforms = dependent().getDownloadPlatforms().modify();
        for (const auto* code : {u"l64pc", u"x64zz", u"w64pc", u"m64ar", u"m64in"}) platforms.append(code);
        platforms.commit();
    }

    TestConfirmationGate gate{u"ConfirmationGate", handler};
};

std::string item(int type, const std::u16string& value) { return joined(type) + "=" + joined(value); }
std::string size(const char* formatted) { return item(4, message("requiredSizeMsg", formatted)); }
std::string runtimeProducts() {
    return item(3, message("VeloraRuntimeProductMsg", "Velora Runtime", u"2031.1"));
}
std::u16string addingTo(const char* afterKey) {
    return message("additionalProductsMsgPartOne", "Velora Runtime") + u"|?:" + kFolder + u"|?:" +
           message(afterKey);
}
const auto kApplication = item(2, u"/home/user/Orbitview");

// What the summary shows for each kind of installation.
struct Summary {
    const char* name;
    std::function<void(ConfirmationGateTest&)> prepare;
    std::function<std::vector<std::string>()> items;
};

class SummaryTest : public ConfirmationGateTest, public testing::WithParamInterface<Summary> {};

TEST_P(SummaryTest, ShowsTheItemsOfItsKindOfInstallation) {
    GetParam().prepare(*this);
    gate.setDefaultData();
    EXPECT_EQ(items(), GetParam().items());
}

using T = ConfirmationGateTest&;
using Items = std::vector<std::string>;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kinds, SummaryTest, testing::Values(
    Summary{"Installation", [](T) {},
            [] { return Items{item(0, kFolder), item(3, message("numberOfProductsSelectedMsg", 2, 5)), size("2.0 GiB")}; }},
    Summary{"DownloadOnlyWithThePlatformsKnown", [](T t) { t.downloadOnly(); },
            [] { return Items{item(0, u"/home/user/Downloads"), item(3, message("numberOfProductsSelectedMsg", 2, 3)),
                              item(6, message("Linux") + u" " + message("Windows") + u" " + message("macOS_Apple_silicon") +
                                      u" " + message("macOS_Intel_processor")),
                              size("3.0 GiB")}; }},
    Summary{"Runtime", [](T t) { t.runtime(UpdateScenario::FreshInstallation, 7 * kGiB); },
            [] { return Items{item(0, kFolder), runtimeProducts(), size("7.0 GiB")}; }},
    Summary{"RuntimeWithNothingSelected",
            [](T t) { t.runtime(UpdateScenario::FreshInstallation, 7 * kGiB); t.handler->initializeSelectedProducts({}); },
            [] { return Items{item(0, kFolder), runtimeProducts()}; }},
    Summary{"RuntimeAddingProducts", [](T t) { t.runtime(UpdateScenario::UpdateToNewerLevel, kGiB); },
            [] { return Items{item(0, addingTo("additionalProductsMsgPartTwo")), runtimeProducts(), size("1.0 GiB")}; }},
    Summary{"PackagedApplication",
            [](T t) { t.runtime(UpdateScenario::FreshInstallation, kGiB); t.packagedApplication(); },
            [] { return Items{kApplication, item(1, kFolder), size("1.0 GiB")}; }},
    Summary{"PackagedApplicationAddingProducts",
            [](T t) { t.runtime(UpdateScenario::UpdateToNewerLevel, kGiB); t.packagedApplication(); },
            [] { return Items{kApplication, item(1, addingTo("VantapakAdditionalProductsMsgPartTwo")), size("1.0 GiB")}; }},
    Summary{"PackagedApplicationAlreadyUpToDate",
            [](T t) { t.runtime(UpdateScenario::AlreadyUpToDate, kGiB); t.packagedApplication(); },
            [] { return Items{kApplication, item(1, message("runtimeAlreadyUpToDateMsg", "Velora Runtime") + u"|?:" + kFolder),
                              size("1.0 GiB")}; }}),
    workflow_test::rowName);
// clang-format on

TEST_F(ConfirmationGateTest, APackagedApplicationIsNamedByItsBundleFolderInTheLog) {
    runtime(UpdateScenario::FreshInstallation, 0);
    packagedApplication();
    gate.setDefaultData();
    EXPECT_THAT(
        log.lines(),
        ElementsAre(message("confirmationTitle"), message("userAppDestinationFolderTitle", "Orbitview"),
                    u"/home/user/Orbitview", message("destinationFolderTitle", "Velora Runtime"), kFolder));
}

// Each title is logged, trimmed, before its value.
TEST_F(ConfirmationGateTest, TheSummaryIsLoggedThenConfirmingCompletesTheStepAndClearingEmptiesIt) {
    gate.setDefaultData();
    EXPECT_THAT(
        log.lines(),
        ElementsAre(message("confirmationTitle"), u"Destination Folder", kFolder, message("productsTitle"),
                    message("numberOfProductsSelectedMsg", 2, 5), message("requiredSizeMsg", "2.0 GiB")));
    gate.setRequiredData();
    handler->setAsDataAvailable();
    gate.processData();
    applicationData().setIsDataModified(false);
    gate.clearInputData();
    EXPECT_EQ(
        joined(applicationData().getValidationStatus().getResult(), applicationData().getDataProcessed(),
               items().size(), applicationData().getIsDataModified()),
        "1|ConfirmationGate|0|true");
}

}  // namespace
