// The stand-ins that answer from a file: the account's minimal products, the licence-manager services,
// the usage-data settings, the release description and the installer's addresses.
#include <gmock/gmock.h>

#include "fl/i18n/TextConversion.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "foundation/urlmanager/UrlManager.h"
#include "install/account_service/AccountServiceClient.h"
#include "install/instlicutil/LicenseManagerServiceUtility.h"
#include "install/tlmxclient/TLMXSettingsClient.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"

namespace install {
namespace {

namespace fs = std::filesystem;
using account_service::AccountServiceClient, account_service::AccountServiceException;
using instlicutil::LicenseManagerServiceUtility, instlicutil::LMServiceExistsException;
using tlmxclient::TLMXSettingsClient;
using Checkbox = tlmxclient::TLMXSettingsClientResponse;
using Environment = workflow_test::ScopedEnvironmentVariable;
using foundation::release_info::ReleaseInfoException;

class SettingsFileTest : public testing::Test {
protected:
    fs::path file(const std::string& text) const { return folder.writeFile("settings.json", text); }

    workflow_test::ScratchFolder folder;
};

// The product selection gate's tests read the account's minimal products from files of their own.
TEST_F(SettingsFileTest, TheAccountsSettingsFileIsTheOneTheVariableNamesAndAMalformedOneIsRefused) {
    EXPECT_THROW(AccountServiceClient(file(R"({"minimalProducts": [1]})")).getMinimalProductSet("R"),
                 AccountServiceException);
    const Environment named("VELORA_ACCOUNT_SERVICE_SETTINGS",
                            file(R"({"minimalProducts": ["A"], "releaseFamily": "2031.1"})"));
    EXPECT_THAT(AccountServiceClient().getMinimalProductSet("2031.1"), testing::ElementsAre("A"));
    EXPECT_THAT(AccountServiceClient().getMinimalProductSet("2030.2"), testing::IsEmpty());
}

TEST_F(SettingsFileTest, OnlyARunningLicenceServiceInAnotherFolderBlocks) {
    const LicenseManagerServiceUtility services(file(R"({"services": [{"name": "Old", "folder": "/old"},
        {"name": "Velora LM", "folder": "/srv/lm/", "running": true}, {"name": "Nowhere", "running": true}]})"));
    EXPECT_THAT([&] { services.checkIfLMServiceExists(u"/opt/lm"); },
                testing::ThrowsMessage<LMServiceExistsException>(
                    testing::HasSubstr("\"Velora LM\" is running from /srv/lm/")));
    EXPECT_NO_THROW(services.checkIfLMServiceExists(u"/srv/./lm"));
    EXPECT_THROW(services.checkIfLMServiceExists(u"/srv/lm/bin"), LMServiceExistsException);
    for (const char* broken : {"[]", R"({"services": [1]})", R"({"services": [{"running": "yes"}]})",
                               R"({"services": [{"folder": 7}]})"})
        EXPECT_THROW(LicenseManagerServiceUtility(file(broken)).checkIfLMServiceExists(u"/"),
                     std::runtime_error)
            << broken;
    const Environment named("VELORA_LICENSE_MANAGER_SERVICES",
                            file(R"({"services": [{"folder": "/", "running": true}]})"));
    EXPECT_THROW(LicenseManagerServiceUtility().checkIfLMServiceExists(u"/x"), LMServiceExistsException);
}

TEST_F(SettingsFileTest, UsageDataSettingsOverrideTheBuiltInAnswerByDefaultThenByReleaseFieldByField) {
    TLMXSettingsClient client(
        file(R"({"default": {"selectable": false}, "releases": {"2031.1": {"checked": true}}})"));
    client.setProxyCredentials("user", "secret");
    EXPECT_EQ(client.getSettings("VPI", "2031.1", "token"), Checkbox(true, false, true));
    EXPECT_EQ(client.getSettings("2030.2"), Checkbox(true, false, false));
    for (const char* broken :
         {"[1, 2]", R"({"default": {"shown": "yes"}})", R"({"releases": {"2031.1": 1}})"})
        EXPECT_THROW(TLMXSettingsClient(file(broken)).getSettings("2031.1"), std::runtime_error) << broken;
    const Environment named("VELORA_USAGE_DATA_SETTINGS", file(R"({"default": {"shown": false}})"));
    EXPECT_EQ(tlmxclient::createTLMXSettingsClientFactory()->createClient()->getSettings("R"),
              Checkbox(false, true, false));
}

TEST(ReleaseInfo, IsReadAndWrittenAndRefusedWhenMalformed) {
    const auto read = [](const std::string& text) {
        std::istringstream stream(text);
        const foundation::release_info::ReleaseInfo info(stream);
        return fl::i18n::to_string(info.getReleaseFamily() + u" " + info.getReleaseStatus() + u" " +
                                   info.getVersion()) +
               " " + std::to_string(info.getUpdateLevel());
    };
    EXPECT_EQ(
        read("<?xml version=\"1.0\"?><VersionInfo><Release>2025.1</Release><ReleaseStatus>Prerelease"
             "</ReleaseStatus><UpdateLevel> 3\n </UpdateLevel><Version>25.1.0.2041</Version></VersionInfo>"),
        "2025.1 Prerelease 25.1.0.2041 3");
    std::ostringstream written;
    // A value of white space alone and a carriage return both survive the way back.
    foundation::release_info::ReleaseInfo(u"2025.2", u" ", 7, u"25.2.0.11\r").write(written);
    EXPECT_EQ(read(written.str()), "2025.2   25.2.0.11\r 7");
    for (const std::string level : {"-1", "3a", "", "99999999999"})
        EXPECT_THROW(read("<VersionInfo><UpdateLevel>" + level + "</UpdateLevel></VersionInfo>"),
                     ReleaseInfoException);
    for (const char* broken : {"", "<VersionInfo><Release>R</VersionInfo>", "<Other/>"})
        EXPECT_THROW(read(broken), ReleaseInfoException) << broken;
}

TEST_F(SettingsFileTest, AddressesAreAnsweredByExactKeyAndTheFileLiesBesideTheProgramWhenNoVariableNamesOne) {
    using namespace foundation::urlmanager;
    const auto urls =
        createUrlManager(file(R"({"EMBEDDED_SIGNIN": "https://x.test/e?l=de", "HELP": "h/\u00fcber"})"));
    EXPECT_EQ(urls->getUrl(EMBEDDED_SIGNIN) + " " + urls->getUrl("HELP"),
              "https://x.test/e?l=de h/\xc3\xbc"
              "ber");
    EXPECT_FALSE(urls->hasUrl(PROXY));
    EXPECT_THAT([&] { urls->getUrl("embedded_signin"); },
                testing::ThrowsMessage<std::runtime_error>(
                    testing::HasSubstr("\"embedded_signin\" in " + folder.path().string())));
    for (const char* broken : {"EMBEDDED_SIGNIN=x", "[1]", R"({"HELP": 42})"})
        EXPECT_THROW(createUrlManager(file(broken)), std::runtime_error) << broken;
    const Environment unset("VELORA_URL_CONFIGURATION", std::nullopt);
    EXPECT_EQ(UrlManager::defaultConfigurationFile(),
              fs::read_symlink("/proc/self/exe").parent_path() / "urls.json");
}

}  // namespace
}  // namespace install
