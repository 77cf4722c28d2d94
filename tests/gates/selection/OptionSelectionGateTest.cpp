// The options page: what is offered and preset for the selected products, platform and
// usage-data answer; how that answer is obtained per workflow; and the two checks on the way out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/selection/OptionSelectionGate.h"
#include "install/cpputil/InstallerException.h"
#include "install/cpputil/Logger.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "install/validatefolder/FolderValidatorExceptions.h"
#include "support/ModelFixture.h"
#include "support/ScratchFolder.h"

namespace {

using install::datamodels::common::Result;
using install::datamodels::product_installer::OptionType;
using install::datamodels::product_installer::validationResultType;
using install::product_installer::workflow_utils::OptionSelectionGate;
using install::tlmxclient::TLMXSettingsClientResponse;
using Platform = OptionSelectionGate::Platform;
using testing::ElementsAre;
using testing::IsEmpty;
namespace vf = install::validatefolder;

constexpr char16_t kOnline[] = u"Interactive Online Install";
constexpr char16_t kFromFolder[] = u"Interactive Install From Folder";

// What the usage-data client was asked, and what it answers.
struct SettingsService {
    TLMXSettingsClientResponse answer{true, true, false};
    bool fails = false;
    std::vector<std::vector<std::string>> requests;
    std::optional<std::pair<std::string, std::string>> proxy;
};

class RecordingSettingsClient : public install::tlmxclient::TLMXSettingsClient {
public:
    explicit RecordingSettingsClient(SettingsService& service) : TLMXSettingsClient({}), service_(service) {}
    void setProxyCredentials(const std::string& userName, const std::string& password) override {
        service_.proxy = {userName, password};
    }
    TLMXSettingsClientResponse getSettings(const std::string& productCode, const std::string& releaseFamily,
                                           const std::string& accessToken) const override {
        return respond({productCode, releaseFamily, accessToken});
    }
    TLMXSettingsClientResponse getSettings(const std::string& releaseFamily) const override {
        return respond({releaseFamily});
    }

private:
    TLMXSettingsClientResponse respond(std::vector<std::string> request) const {
        service_.requests.push_back(std::move(request));
        if (service_.fails)
            throw install::tlmxclient::TLMXSettingsClientException("settings service unreachable");
        return service_.answer;
    }
    SettingsService& service_;
};

// A folder validator that refuses with whatever the test throws and remembers what it was asked.
class ScriptedFolderValidator : public vf::FolderValidator {
public:
    ScriptedFolderValidator(std::function<void()> refusal,
                            std::vector<std::pair<std::u16string, bool>>& calls)
        : refusal_(std::move(refusal)), calls_(calls) {}
    void checkRequired(const std::u16string& folder, bool createIfMissing) const override {
        calls_.emplace_back(folder, createIfMissing);
        if (refusal_) refusal_();
    }

private:
    std::function<void()> refusal_;
    std::vector<std::pair<std::u16string, bool>>& calls_;
};

class TestableOptionSelectionGate : public OptionSelectionGate {
public:
    using OptionSelectionGate::OptionSelectionGate;

    Platform platform = static_cast<Platform>(0);
    mutable SettingsService settings;
    std::function<void()> folderRefusal;
    mutable std::vector<std::pair<std::u16string, bool>> folderChecks;
    std::filesystem::path servicesFile;

protected:
    Platform getCurrentPlatform() const override { return platform; }
    std::unique_ptr<install::tlmxclient::TLMXSettingsClient> getTLMXClientPtr() const override {
        return std::make_unique<RecordingSettingsClient>(settings);
    }
    std::unique_ptr<vf::FolderValidator> getFolderValidator() const override {
        return std::make_unique<ScriptedFolderValidator>(folderRefusal, folderChecks);
    }
    std::unique_ptr<install::instlicutil::LicenseManagerServiceUtility> getLicenseManagerServiceInstance()
        const override {
        return std::make_unique<install::instlicutil::LicenseManagerServiceUtility>(servicesFile);
    }
};

class OptionSelectionGateTest : public workflow_test::ModelFixture {
protected:
    OptionSelectionGateTest() {
        independent().getRelease().setFamily(u"R2031a");
        applicationData().setWorkflowName(kOnline);
        handler->initializeProductSelectionModel();
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(u"/opt/velora_license_server");
        gate.servicesFile = scratch.path() / "no-services.json";
    }

    void select(const std::set<std::u16string>& products) const {
        handler->initializeSelectedProducts(products);
    }
    void submit() {
        gate.setRequiredData();
        handler->setAsDataAvailable();
        gate.processData();
    }
    std::vector<std::pair<OptionType, bool>> displayed() const {
        std::vector<std::pair<OptionType, bool>> options;
        for (const auto& option : dependent().getOptionSelection().getOptionToDisplayList().values()) {
            options.emplace_back(option.getOptionType(), option.getIsViewOnly());
        }
        return options;
    }
    install::datamodels::product_installer::OptionSelection options() const {
        return dependent().getOptionSelection();
    }
    install::datamodels::common::ValidationStatus status() const {
        return applicationData().getValidationStatus();
    }
    bool processed() const { return applicationData().getDataProcessed() == gateName; }
    std::vector<foundation::json::Value> errorRecords() const {
        std::vector<foundation::json::Value> found;
        for (const auto& record : diagnostics.records()) {
            if (record.contains("error.1")) found.push_back(record);
        }
        return found;
    }

    const std::u16string gateName = u"OptionSelectionGate";
    workflow_test::ScratchFolder scratch;
    TestableOptionSelectionGate gate{gateName, handler};
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
};

// ---- what is offered and preset ----

struct OfferCase {
    const char* label;
    std::set<std::u16string> products;
    int platform;
    TLMXSettingsClientResponse usageData;
    std::vector<std::pair<OptionType, bool>> displayed;
    bool desktop;
    bool startMenu;
    bool symbolicLink;
    bool improve;
    bool service;
};

class OfferTest : public OptionSelectionGateTest, public testing::WithParamInterface<OfferCase> {};

TEST_P(OfferTest, TheSelectionPlatformAndUsageAnswerDecideOptionsAndPresets) {
    const auto& c = GetParam();
    select(c.products);
    gate.platform = static_cast<Platform>(c.platform);
    gate.settings.answer = c.usageData;
    // Presets only where an option applies: start from the opposite of every preset.
    handler->initializeOptionSelectionModel();
    handler->setIsDesktopShortcutSelected(true);
    handler->setIsStartMenuShortcutSelected(false);
    handler->setIsSymbolicLinkSelected(true);
    handler->setIsImproveVeloraSelected(false);
    handler->setIsConfigureLMAsServiceSelected(false);

    gate.setDefaultData();

    EXPECT_EQ(displayed(), c.displayed);
    EXPECT_EQ(gate.checkIfShouldBeSkipped(), c.displayed.empty());
    EXPECT_EQ(options().getIsDesktopShortcutSelected(), c.desktop);
    EXPECT_EQ(options().getIsStartMenuShortcutSelected(), c.startMenu);
    EXPECT_EQ(options().getIsSymbolicLinkSelected(), c.symbolicLink);
    EXPECT_EQ(options().getIsImproveVeloraSelected(), c.improve);
    EXPECT_EQ(options().getIsConfigureLMAsServiceSelected(), c.service);
}

constexpr TLMXSettingsClientResponse kShown{true, true, false};
constexpr TLMXSettingsClientResponse kShownChecked{true, true, true};
constexpr TLMXSettingsClientResponse kLocked{true, false, true};
constexpr TLMXSettingsClientResponse kHidden{false, true, true};

INSTANTIATE_TEST_SUITE_P(
    Selections, OfferTest,
    testing::Values(
        // Untouched presets keep the values the test started from (desktop, symbolic link on; start
        // menu, usage data, service off).
        OfferCase{"BugFinderShowsDesktopAndPresetsStartMenu",
                  {u"QUARRIX_BUGFINDER"},
                  0,
                  kShown,
                  {{OptionType::DesktopShortcut, false}},
                  false,
                  true,
                  true,
                  false,
                  false},
        OfferCase{"MainProductWithUsageData",
                  {u"VELORA"},
                  0,
                  kShownChecked,
                  {{OptionType::DesktopShortcut, false}, {OptionType::ImproveVelora, false}},
                  false,
                  true,
                  true,
                  true,
                  false},
        OfferCase{"MainProductUsageDataLocked",
                  {u"VELORA"},
                  0,
                  kLocked,
                  {{OptionType::DesktopShortcut, false}, {OptionType::ImproveVelora, true}},
                  false,
                  true,
                  true,
                  true,
                  false},
        OfferCase{"MainProductUsageDataHidden",
                  {u"VELORA"},
                  0,
                  kHidden,
                  {{OptionType::DesktopShortcut, false}},
                  false,
                  true,
                  true,
                  false,
                  false},
        OfferCase{"MainProductOnPlatform1",
                  {u"VELORA"},
                  1,
                  kShown,
                  {{OptionType::SymbolicLink, false}, {OptionType::ImproveVelora, false}},
                  true,
                  false,
                  false,
                  false,
                  false},
        OfferCase{"CompilerOnPlatform0ShowsNothing",
                  {u"VELORA_COMPILER"},
                  0,
                  kShownChecked,
                  {},
                  true,
                  false,
                  true,
                  false,
                  false},
        OfferCase{"LicenseManagerService",
                  {u"LICENSEMANAGER"},
                  0,
                  kShown,
                  {{OptionType::ConfigureLMAsService, false}},
                  true,
                  false,
                  true,
                  false,
                  true},
        OfferCase{"UnknownProduct", {u"NOPE"}, 0, kShownChecked, {}, true, false, true, false, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(OptionSelectionGateTest, TheSymbolicLinkPresetIsOffAtTheUsualFolder) {
    select({u"VELORA"});
    gate.platform = static_cast<Platform>(1);
    gate.setDefaultData();
    EXPECT_FALSE(handler->isSymbolicLinkSelected());
    EXPECT_EQ(handler->getSymbolicLinkPath(), u"/usr/local/bin");
}

TEST_F(OptionSelectionGateTest, AShownUsageDataOptionBringsThePrivacyPolicy) {
    select({u"VELORA"});
    gate.setDefaultData();
    EXPECT_EQ(options().getPrivacyPolicyToDisplay(),
              fl::i18n::message("privacyPolicyURL", u"R2031a", u"w64pc"));
}

TEST_F(OptionSelectionGateTest, DefaultsReplaceTheOptionsOfAnEarlierVisit) {
    select({u"VELORA"});
    gate.setDefaultData();
    select({u"LICENSEMANAGER"});
    gate.setDefaultData();
    EXPECT_THAT(displayed(), ElementsAre(std::pair{OptionType::ConfigureLMAsService, false}));
}

TEST_F(OptionSelectionGateTest, StepProtocol) {
    select({u"VELORA"});
    gate.setDefaultData();
    gate.setRequiredData();
    EXPECT_EQ(applicationData().getDataRequired(), gateName);

    gate.skip();
    EXPECT_EQ(applicationData().getDataProcessed(), gateName);

    gate.clearInputData();
    EXPECT_THAT(displayed(), IsEmpty());
    EXPECT_TRUE(applicationData().getIsDataModified());
}

// ---- the usage-data answer per workflow ----

struct WorkflowCase {
    const char* label;
    std::u16string workflow;
    std::vector<std::string> request;  // empty: the service is not asked
    bool offered;
};

class UsageDataWorkflowTest : public OptionSelectionGateTest,
                              public testing::WithParamInterface<WorkflowCase> {};

TEST_P(UsageDataWorkflowTest, TheServiceIsAskedAsTheWorkflowAllows) {
    applicationData().setWorkflowName(GetParam().workflow);
    handler->initializeLoginModelForResponseParameters();
    independent().getUserInfo().setAccessToken(u"token-123");
    select({u"VELORA"});
    gate.settings.answer = kShownChecked;

    gate.setDefaultData();

    if (GetParam().request.empty()) {
        EXPECT_THAT(gate.settings.requests, IsEmpty());
    } else {
        EXPECT_THAT(gate.settings.requests, ElementsAre(GetParam().request));
    }
    const auto options = displayed();
    const bool offered =
        std::count(options.begin(), options.end(), std::pair{OptionType::ImproveVelora, false}) > 0;
    EXPECT_EQ(offered, GetParam().offered);
    EXPECT_EQ(handler->isImproveVeloraSelected(), GetParam().offered);
}

INSTANTIATE_TEST_SUITE_P(
    Workflows, UsageDataWorkflowTest,
    testing::Values(WorkflowCase{"Online", kOnline, {"VPI", "R2031a", "token-123"}, true},
                    WorkflowCase{"FromFolder", kFromFolder, {"R2031a"}, true},
                    WorkflowCase{"DownloadOnly", u"DownloadOnly", {}, false},
                    WorkflowCase{"Vantapak", u"Vantapak Install", {}, false},
                    WorkflowCase{"LicenseManager", u"License Manager", {}, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(OptionSelectionGateTest, ProxyCredentialsReachTheClientOnlyWhenBothAreGiven) {
    select({u"VELORA"});
    handler->initializeProxy();
    independent().getProxy().setUserName(u"proxy-user");
    gate.setDefaultData();
    EXPECT_FALSE(gate.settings.proxy.has_value());

    independent().getProxy().setPassword(u"proxy-secret");
    gate.setDefaultData();
    ASSERT_TRUE(gate.settings.proxy.has_value());
    EXPECT_EQ(gate.settings.proxy->first, "proxy-user");
    EXPECT_EQ(gate.settings.proxy->second, "proxy-secret");
}

TEST_F(OptionSelectionGateTest, AnUnansweredServiceIsLoggedAndTheUsageDataOptionIsNotOffered) {
    select({u"VELORA"});
    gate.settings.fails = true;

    gate.setDefaultData();

    EXPECT_THAT(displayed(), ElementsAre(std::pair{OptionType::DesktopShortcut, false}));
    EXPECT_THAT(log.lines(), testing::Contains(u"settings service unreachable"));
}

// ---- the symbolic-link folder ----

struct RefusalCase {
    const char* label;
    std::function<void()> refusal;
    std::function<std::u16string()> message;
    std::string code;
    std::string record;
    std::string location;
};

template <class Kind>
std::function<void()> refuseWith() {
    return [] { throw Kind("refused: /usr/local/bin"); };
}

class SymbolicLinkRefusalTest : public OptionSelectionGateTest,
                                public testing::WithParamInterface<RefusalCase> {};

TEST_P(SymbolicLinkRefusalTest, EachRefusalHasItsMessageAndRecord) {
    const auto& c = GetParam();
    handler->initializeOptionSelectionModel();
    handler->setSymbolicLinkPath(u"/usr/local/bin");
    handler->setIsSymbolicLinkSelected(true);
    gate.folderRefusal = c.refusal;

    submit();

    EXPECT_FALSE(processed());
    EXPECT_EQ(status().getResult(), Result::Failure);
    EXPECT_EQ(independent().getValidationResultType(), validationResultType(3));
    EXPECT_EQ(status().getTitle(), u"");
    EXPECT_EQ(status().getMessage(), c.message());
    EXPECT_THAT(log.lines(), ElementsAre(c.message()));
    const auto records = errorRecords();
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["error.1"], c.code);
    EXPECT_EQ(records[0]["error.2"], c.record);
    EXPECT_EQ(records[0]["error.3"], "refused: /usr/local/bin");
    EXPECT_EQ(records[0]["error.4"], c.location);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, SymbolicLinkRefusalTest,
    testing::Values(
        RefusalCase{"NonEnglish", refuseWith<vf::FolderValidatorExceptionNonEnglishCharacter>(),
                    [] { return fl::i18n::message("folderNonEnglishCharacter"); }, "1000",
                    "Symbolic link folder cannot contain non-English characters",
                    "OptionSelection::FolderValidator::FolderValidatorExceptionNonEnglishCharacter"},
        RefusalCase{"InvalidCharacter", refuseWith<vf::FolderValidatorExceptionInvalidCharacter>(),
                    [] {
                        return fl::i18n::message("folderInvalidCharacterWin",
                                                 u"'+', '@', ''', '!', '*', '?', ';', '<', '>', '|'");
                    },
                    "1010", "Symbolic link folder name contains invalid characters",
                    "OptionSelection::FolderValidator::FolderValidatorExceptionInvalidCharacter"},
        RefusalCase{"WritePermission", refuseWith<vf::FolderValidatorExceptionWritePermission>(),
                    [] { return fl::i18n::message("folderWritePermission"); }, "1020",
                    "Unable to write to the selected symbolic link folder",
                    "OptionSelection::FolderValidator::FolderValidatorExceptionWritePermission"},
        RefusalCase{"FailedToCreate", refuseWith<vf::FolderValidatorFailedToCreateFolder>(),
                    [] { return fl::i18n::message("folderCreationFailed", u"/usr/local/bin"); }, "1030",
                    "Failed to create symbolic link",
                    "OptionSelection::FolderValidator::FolderValidatorFailedToCreateFolder"},
        RefusalCase{"AbsolutePath", refuseWith<vf::FolderValidatorAbsolutePath>(),
                    [] { return fl::i18n::message("folderNotAbsolutePath"); }, "1040",
                    "Symbolic link folder must be an absolute path",
                    "OptionSelection::FolderValidator::FolderValidatorAbsolutePath"},
        RefusalCase{"NotADirectory", refuseWith<vf::FolderValidatorNotADirectory>(),
                    [] { return fl::i18n::message("folderNotADirectory"); }, "1050",
                    "Symbolic link folder is not a directory",
                    "OptionSelection::FolderValidator::FolderValidatorNotADirectory"},
        RefusalCase{"UsersAppData", refuseWith<vf::FolderContainsUsersDefaultAppDataError>(),
                    [] { return fl::i18n::message("folderContainsUsersDefaultAppData"); }, "1090",
                    "Symbolic link folder contains user default AppData",
                    "OptionSelection::FolderValidator::FolderContainsUsersDefaultAppDataError"},
        RefusalCase{"InstallerRoot", refuseWith<vf::FolderIsInstallerRootError>(),
                    [] { return fl::i18n::message("folderIsInstallerRoot"); }, "1100",
                    "Symbolic link folder is installer root",
                    "OptionSelection::FolderValidator::FolderIsInstallerRootError"}),
    [](const auto& info) { return std::string(info.param.label); });

class UnknownRefusalTest : public OptionSelectionGateTest,
                           public testing::WithParamInterface<std::function<void()>> {};

TEST_P(UnknownRefusalTest, AnUnrecognisedRefusalLeavesAsInstallerException) {
    handler->initializeOptionSelectionModel();
    handler->setIsSymbolicLinkSelected(true);
    gate.folderRefusal = GetParam();
    handler->setAsValid();

    try {
        submit();
        FAIL() << "the refusal did not leave the gate";
    } catch (const install::cpputil::InstallerException& error) {
        EXPECT_EQ(error.getErrorCode(), "1060");
        EXPECT_EQ(error.getPrimaryErrorMessage(), "Unknown error with symbolic link folder validation");
        EXPECT_EQ(error.getSecondaryErrorMessage(), "refused: /usr/local/bin");
        EXPECT_EQ(error.getLocation(), "OptionSelection::Unknown");
    }
    EXPECT_THAT(log.lines(), ElementsAre(u"refused: /usr/local/bin"));
    const auto records = errorRecords();
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["error.1"], "1060");
    EXPECT_EQ(records[0]["error.4"], "OptionSelection::Unknown");
    EXPECT_EQ(status().getResult(), Result::Valid) << "the status is left as it was";
    EXPECT_FALSE(processed());
}

INSTANTIATE_TEST_SUITE_P(Refusals, UnknownRefusalTest,
                         testing::Values(refuseWith<vf::FolderValidatorExceptionTrailingDotsOnWindows>(),
                                         refuseWith<std::runtime_error>(), refuseWith<std::out_of_range>()));

TEST_F(OptionSelectionGateTest, TheSymbolicLinkFolderIsCreatedOnlyForADownload) {
    handler->initializeOptionSelectionModel();
    handler->setSymbolicLinkPath(u"/opt/links");
    handler->setIsSymbolicLinkSelected(true);

    submit();
    applicationData().setWorkflowName(u"DownloadOnly");
    submit();

    EXPECT_THAT(gate.folderChecks, ElementsAre(std::pair{std::u16string(u"/opt/links"), false},
                                               std::pair{std::u16string(u"/opt/links"), true}));
    EXPECT_TRUE(processed());
    EXPECT_EQ(log.lines().back(), u"Option selection validation is successful.");
}

TEST_F(OptionSelectionGateTest, WithBothOptionsSelectedOnlyTheSymbolicLinkIsChecked) {
    gate.servicesFile =
        scratch.writeFile("services.json", R"({"services": [{"folder": "/srv", "running": true}]})");
    handler->initializeOptionSelectionModel();
    handler->setIsSymbolicLinkSelected(true);
    handler->setIsConfigureLMAsServiceSelected(true);

    submit();

    EXPECT_TRUE(processed());
    EXPECT_EQ(gate.folderChecks.size(), 1U);
}

// ---- the licence-manager service ----

TEST_F(OptionSelectionGateTest, AServiceRunningFromAnotherFolderIsRefused) {
    gate.servicesFile = scratch.writeFile(
        "services.json", R"({"services": [{"name": "LM", "folder": "/srv/lm", "running": true}]})");
    handler->initializeOptionSelectionModel();
    handler->setIsConfigureLMAsServiceSelected(true);

    submit();

    EXPECT_FALSE(processed());
    EXPECT_EQ(status().getResult(), Result::Failure);
    EXPECT_EQ(independent().getValidationResultType(), validationResultType(1));
    EXPECT_EQ(status().getTitle(), fl::i18n::message("ServiceErrorTitle"));
    EXPECT_EQ(status().getMessage(), fl::i18n::message("LMServiceExistsMessage", u"Velora License Server"));
    EXPECT_THAT(log.lines(), ElementsAre(status().getMessage()));
    const auto records = errorRecords();
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["error.1"], "1070");
    EXPECT_EQ(records[0]["error.2"],
              "Another license manager service exists and is running from another directory");
    EXPECT_THAT(std::string(records[0]["error.3"]), testing::HasSubstr("/srv/lm"));
    EXPECT_EQ(records[0]["error.4"], "OptionSelection::Services::LMServiceExists");
}

TEST_F(OptionSelectionGateTest, TheServiceOfTheDestinationFolderItselfIsAccepted) {
    gate.servicesFile = scratch.writeFile(
        "services.json", R"({"services": [{"folder": "/opt/velora_license_server", "running": true}]})");
    handler->initializeOptionSelectionModel();
    handler->setIsConfigureLMAsServiceSelected(true);

    submit();

    EXPECT_TRUE(processed());
    EXPECT_TRUE(errorRecords().empty());
}

TEST_F(OptionSelectionGateTest, AFailedServiceSearchIsLoggedAndReportedAndKeepsThePage) {
    gate.servicesFile = scratch.writeFile("services.json", "{ not json");
    handler->initializeOptionSelectionModel();
    handler->setIsConfigureLMAsServiceSelected(true);
    handler->setAsValid();

    submit();

    EXPECT_FALSE(processed());
    EXPECT_EQ(status().getResult(), Result::Valid) << "no message for the user";
    ASSERT_EQ(log.lines().size(), 1U);
    EXPECT_THAT(fl::i18n::to_string(log.lines()[0]), testing::HasSubstr("not a JSON object"));
    const auto records = errorRecords();
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["error.1"], "1080");
    EXPECT_EQ(records[0]["error.2"], "Unknown error while searching with license manager service exists");
    EXPECT_EQ(records[0]["error.4"], "OptionSelection::Services::UnkownErrorSearchingIfLMServiceExists");
}

TEST_F(OptionSelectionGateTest, WithNeitherOptionSelectedNothingIsChecked) {
    handler->initializeOptionSelectionModel();
    submit();
    EXPECT_TRUE(processed());
    EXPECT_THAT(gate.folderChecks, IsEmpty());
}

}  // namespace
