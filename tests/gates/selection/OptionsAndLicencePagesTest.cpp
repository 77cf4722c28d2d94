// The options page: the option table per product, platform and workflow, what is offered and
// preset for a selection and a usage-data answer, and the check of the licence-manager service on
// the way out (the symbolic-link folder's checks are tabled with the folder validation). The
// licence agreement page: who sees it, what a refusal reports, and that acceptance waits for the
// archive reader before the step completes.

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "SelectionTesting.h"
#include "gates/selection/OptionSelectionGate.h"
#include "gates/selection/SLAGate.h"
#include "support/SubstituteHandler.h"

namespace selection_test {
namespace {

using install::datamodels::product_installer::UpdateScenario;
using install::product_installer::workflow_utils::OptionSelectionGate;
using install::tlmxclient::TLMXSettingsClientResponse;
using selection_test::PrintTo;
using Platform = OptionSelectionGate::Platform;

constexpr char16_t kOptionGateName[] = u"OptionSelectionGate";

class MockSettingsClient : public install::tlmxclient::TLMXSettingsClient {
public:
    MockSettingsClient() : TLMXSettingsClient({}) {}
    MOCK_METHOD(void, setProxyCredentials, (const std::string&, const std::string&), (override));
    MOCK_METHOD(TLMXSettingsClientResponse, getSettings,
                (const std::string&, const std::string&, const std::string&), (const, override));
    MOCK_METHOD(TLMXSettingsClientResponse, getSettings, (const std::string&), (const, override));
};

class TestableOptionSelectionGate : public OptionSelectionGate {
public:
    using OptionSelectionGate::OptionSelectionGate;

    Platform platform = static_cast<Platform>(0);
    MockSupply<MockSettingsClient> settingsClients;
    MockSupply<MockFolderValidator> folderValidators;
    std::filesystem::path servicesFile;

protected:
    Platform getCurrentPlatform() const override { return platform; }
    std::unique_ptr<install::tlmxclient::TLMXSettingsClient> getTLMXClientPtr() const override {
        return settingsClients.next();
    }
    std::unique_ptr<install::validatefolder::FolderValidator> getFolderValidator() const override {
        return folderValidators.next();
    }
    std::unique_ptr<install::instlicutil::LicenseManagerServiceUtility> getLicenseManagerServiceInstance()
        const override {
        return std::make_unique<install::instlicutil::LicenseManagerServiceUtility>(servicesFile);
    }
};

class OptionSelectionGateTest : public workflow_test::GateFixture {
protected:
    OptionSelectionGateTest() {
        handler->setWorkflow(u"Interactive Online Install");
        handler->initializeProductSelectionModel();
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(u"/opt/velora_license_server");
        handler->initializeOptionSelectionModel();
        gate.servicesFile = scratch.path() / "no-services.json";
    }

    workflow_test::ScratchFolder scratch;
    TestableOptionSelectionGate gate{kOptionGateName, handler};
};

// --- what is offered and preset ---

struct OfferRow {
    std::string name, products;
    int platform;
    TLMXSettingsClientResponse usageData;
    std::string displayed;  // option types in order, "v" marking a view-only one
    std::string presets;    // desktop, start menu, symbolic link, usage data, service; "-": left as it was
    std::u16string workflow = u"Interactive Online Install";  // which decides how the answer is asked for
};

constexpr TLMXSettingsClientResponse kShown{true, true, false}, kChecked{true, true, true},
    kLocked{true, false, true}, kHidden{false, true, true};
const OfferRow kOfferRows[] = {
    {"BugFinder", "QUARRIX_BUGFINDER", 0, kShown, "0", "01---"},
    {"TestAndLicenseManager", "QUARRIX_TEST LICENSEMANAGER", 0, kShown, "0 4", "01--1"},
    {"MainProduct", "VELORA", 0, kChecked, "0 2", "01-1-"},
    {"MainProductFromFolder", "VELORA", 0, kChecked, "0 2", "01-1-", u"Interactive Install From Folder"},
    {"MainProductDownloadOnly", "VELORA", 0, kChecked, "0", "01---", u"DownloadOnly"},
    {"MainProductUsageDataLocked", "VELORA", 0, kLocked, "0 2v", "01-1-"},
    {"MainProductUsageDataHidden", "VELORA", 0, kHidden, "0", "01---"},
    {"MainProductOnPlatform1", "VELORA", 1, kChecked, "1 2", "--01-"},
    {"MainProductOnPlatform2", "VELORA", 2, kChecked, "2", "---1-"},
    {"CompilerOnPlatform0", "VELORA_COMPILER", 0, kShown, "", "-----"},
    {"CompilerOnPlatform1", "VELORA_COMPILER", 1, kShown, "1", "--0--"},
    {"UnknownAndLowerCaseCodes", "NOPE velora", 0, kChecked, "", "-----"},
    {"UnknownPlatform", "VELORA", 7, kChecked, "", "-----"},
};

class OfferTest : public OptionSelectionGateTest, public testing::WithParamInterface<OfferRow> {};

TEST_P(OfferTest, TheSelectionPlatformAndUsageAnswerDecideOptionsAndPresets) {
    const auto& row = GetParam();
    handler->setWorkflow(row.workflow);
    gate.platform = static_cast<Platform>(row.platform);
    gate.settingsClients.arrange([&](MockSettingsClient& client) {
        ON_CALL(client, getSettings(_)).WillByDefault(Return(row.usageData));
        ON_CALL(client, getSettings(_, _, _)).WillByDefault(Return(row.usageData));
    });
    select({u"LICENSEMANAGER"});
    gate.setDefaultData();  // an earlier visit, whose options are replaced
    select(codes(row.products));
    // The opposite of every preset, so that one left alone shows.
    const bool before[] = {true, false, true, false, false};
    handler->setIsDesktopShortcutSelected(before[0]);
    handler->setIsStartMenuShortcutSelected(before[1]);
    handler->setIsSymbolicLinkSelected(before[2]);
    handler->setIsImproveVeloraSelected(before[3]);
    handler->setIsConfigureLMAsServiceSelected(before[4]);

    gate.setDefaultData();

    const auto options = dependent().getOptionSelection();
    std::string displayed, presets;
    for (const auto& option : options.getOptionToDisplayList().values()) {
        displayed += (displayed.empty() ? "" : " ") +
                     std::to_string(static_cast<int>(option.getOptionType())) +
                     (option.getIsViewOnly() ? "v" : "");
    }
    const bool after[] = {options.getIsDesktopShortcutSelected(), options.getIsStartMenuShortcutSelected(),
                          options.getIsSymbolicLinkSelected(), options.getIsImproveVeloraSelected(),
                          options.getIsConfigureLMAsServiceSelected()};
    for (int i = 0; i < 5; ++i) presets += after[i] == before[i] ? '-' : after[i] ? '1' : '0';
    EXPECT_EQ(displayed, row.displayed);
    EXPECT_EQ(presets, row.presets);
    EXPECT_EQ(gate.checkIfShouldBeSkipped(), row.displayed.empty());
    if (row.presets[2] == '0') {
        EXPECT_EQ(handler->getSymbolicLinkPath(), u"/usr/local/bin");
    }
    if (row.displayed.find('2') != std::string::npos) {
        EXPECT_EQ(options.getPrivacyPolicyToDisplay(),
                  fl::i18n::message("privacyPolicyURL", u"2031.1", u"w64pc"));
    }
    gate.skip();
    gate.clearInputData();
    EXPECT_TRUE(processed(kOptionGateName) && handler->getOptionToDisplayListSize() == 0);
}

INSTANTIATE_TEST_SUITE_P(Table, OfferTest, testing::ValuesIn(kOfferRows), rowName);

// --- the licence-manager service ---

struct ServiceRow {
    std::string name, services;  // the service list; empty: the option is not selected
    bool linkSelectedToo, accepted;
    std::string code = {}, message = {}, location = {};  // of the record; empty: none
};

constexpr char kElsewhere[] = R"({"services": [{"name": "LM", "folder": "/srv/lm", "running": true}]})";
// clang-format off
const ServiceRow kServiceRows[] = {
    {"NothingSelected", "", false, true},
    {"RunningElsewhere", kElsewhere, false, false, "1070", "Another license manager service exists and is running from another directory", "OptionSelection::Services::LMServiceExists"},
    {"OnlyTheLinkIsCheckedWhenBothAreSelected", kElsewhere, true, true},
    {"UnreadableServiceList", "{ not json", false, false, "1080", "Unknown error while searching with license manager service exists", "OptionSelection::Services::UnkownErrorSearchingIfLMServiceExists"},
};
// clang-format on

class ServiceTest : public OptionSelectionGateTest, public testing::WithParamInterface<ServiceRow> {};

// A service running elsewhere is named to the user; a failed search is only logged and recorded.
TEST_P(ServiceTest, AnotherRunningServiceIsRefusedAndAFailedSearchReported) {
    const auto& row = GetParam();
    gate.servicesFile = scratch.writeFile("services.json", row.services);
    handler->setIsConfigureLMAsServiceSelected(!row.services.empty());
    handler->setIsSymbolicLinkSelected(row.linkSelectedToo);

    submit(gate);

    EXPECT_EQ(processed(kOptionGateName), row.accepted);
    EXPECT_EQ(gate.folderValidators.handedOut(), row.linkSelectedToo ? 1 : 0);
    const auto records = errorRecords();
    ASSERT_EQ(records.size(), row.code.empty() ? 0U : 1U);
    if (row.code.empty()) return;
    EXPECT_EQ(records[0], (ErrorRecord{row.code, row.message, records[0].details, row.location}));
    const auto shown = fl::i18n::message("LMServiceExistsMessage", u"Velora License Server");
    const bool named = row.code == "1070";
    EXPECT_EQ(status(),
              (named ? ShownStatus{Result::Failure, 1, shown, fl::i18n::message("ServiceErrorTitle")}
                     : earlierStatus()));
    EXPECT_THAT(log.lines(), ElementsAre(named ? shown : fl::i18n::to_u16string(records[0].details)));
    EXPECT_THAT(records[0].details, testing::HasSubstr(named ? "/srv/lm" : ""));
}

INSTANTIATE_TEST_SUITE_P(Services, ServiceTest, testing::ValuesIn(kServiceRows), rowName);

// --- the licence agreement page ---

// A handler whose archive reader takes a moment; the step may complete only once it has ended.
class SlowArchivesHandler : public workflow_test::SubstituteHandler {
public:
    SlowArchivesHandler(const velora::installer::InstallerModel& installer,
                        std::shared_ptr<std::atomic<bool>> read)
        : SubstituteHandler(installer, std::thread([read] {
                                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                                *read = true;
                            })),
          archivesRead(std::move(read)) {}
    void setAsValid() const override {
        EXPECT_TRUE(*archivesRead) << "the step completes before the archives were read";
        SubstituteHandler::setAsValid();
    }
    void joinArchiveReadingThread() override {
        ++joins;
        SubstituteHandler::joinArchiveReadingThread();
    }

    std::shared_ptr<std::atomic<bool>> archivesRead;
    int joins = 0;
};

class SLAGateTest : public workflow_test::GateFixture {
protected:
    // The same model, behind a handler whose archive reader is still busy.
    std::shared_ptr<SlowArchivesHandler> slow =
        std::make_shared<SlowArchivesHandler>(installer, std::make_shared<std::atomic<bool>>(false));
    install::product_installer::workflow_utils::SLAGate gate{u"SLAGate", slow};
};

TEST_F(SLAGateTest, EachDeclineIsReportedWithoutWaitingAndAcceptingWaitsForTheArchivesFirst) {
    submit(gate);
    submit(gate);
    EXPECT_EQ(slow->joins, 0);
    const auto message = fl::i18n::message("agreeToLicenseErrorMsg");
    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 11, message, u""}));
    EXPECT_FALSE(processed(u"SLAGate"));
    const ErrorRecord declined{"1850", "User declined license agreement", "", "SLAGate::AgreeToLicense"};
    EXPECT_THAT(errorRecords(), ElementsAre(declined, declined));

    independent().setIsAgreeToLicense(true);
    submit(gate);
    EXPECT_EQ(slow->joins, 1);
    EXPECT_TRUE(processed(u"SLAGate"));
    EXPECT_EQ(status().result, Result::Valid);
    EXPECT_THAT(log.lines(), ElementsAre(message, message, u"License Agreement validation is successful."));
}

struct SkipRow {
    std::string name;
    bool agreed;
    bool packagedApplication;
    UpdateScenario scenario;
    bool skipped;
};

class SLAGateSkipTest : public SLAGateTest, public testing::WithParamInterface<SkipRow> {};

TEST_P(SLAGateSkipTest, OnlyAnAgreementNotYetGivenIsAskedForUnlessAPackagedApplicationIsUpdated) {
    independent().setIsAgreeToLicense(GetParam().agreed);
    dependent().setIsVantapakInstallation(GetParam().packagedApplication);
    handler->setUpdateScenario(GetParam().scenario);
    EXPECT_EQ(gate.checkIfShouldBeSkipped(), GetParam().skipped);
    gate.skip();
    EXPECT_TRUE(processed(u"SLAGate"));
}

INSTANTIATE_TEST_SUITE_P(
    Visits, SLAGateSkipTest,
    testing::Values(SkipRow{"NotYetAgreed", false, false, UpdateScenario::AlreadyUpToDate, false},
                    SkipRow{"AlreadyAgreed", true, false, UpdateScenario::FreshInstallation, true},
                    SkipRow{"PackagedFresh", false, true, UpdateScenario::FreshInstallation, false},
                    SkipRow{"PackagedNewer", false, true, UpdateScenario::UpdateToNewerLevel, true}),
    rowName);

}  // namespace
}  // namespace selection_test
