// The stand-ins that read and write files. What they answer from files: the product catalogue and
// the dependency walks over it, the products whose archives lie beside the installer (read from
// real zip archives), the account's minimal products, the licence-manager services, the usage-data
// settings, the release description and the installer's addresses. What they write: the
// installer's exception and log file, the support engineers' traces and the diagnostics records.
#include <gmock/gmock.h>

#include "FolderRepositoryAdapter.h"
#include "fl/i18n/TextConversion.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "foundation/urlmanager/UrlManager.h"
#include "install/account_service/AccountServiceClient.h"
#include "install/cpputil/InstallerException.h"
#include "install/cpputil/Logger.h"
#include "install/instlicutil/LicenseManagerServiceUtility.h"
#include "install/platformutil/PlatformUtility.h"
#include "install/productidentifier/ProductIdentifier.h"
#include "install/repository_adapter/RepositoryExceptions.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/tlmxclient/TLMXSettingsClient.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"
#include "support/ZipFile.h"

namespace install {
namespace {

namespace fs = std::filesystem;
using account_service::AccountServiceClient, account_service::AccountServiceException;
using instlicutil::LicenseManagerServiceUtility, instlicutil::LMServiceExistsException;
using tlmxclient::TLMXSettingsClient;
using Checkbox = tlmxclient::TLMXSettingsClientResponse;
using Environment = workflow_test::ScopedEnvironmentVariable;
using foundation::json::Value;
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

// --- the product catalogue and the archives beside the installer ---

using productidentifier::ProductCatalogue, productidentifier::ProductCatalogueException,
    productidentifier::ProductIdentifier;
using Codes = std::vector<std::u16string>;
using workflow_test::writeZip;

std::shared_ptr<const ProductCatalogue> catalogue(const std::string& products) {
    return std::make_shared<const ProductCatalogue>(
        ProductCatalogue::fromJson(R"({"products": [)" + products + "]}"));
}

// MAIN and SERVER head families; TOOL and PLOT need MAIN, TEST needs both; EXTRA
// needs a product nobody describes; HEAD controls a cycle of A and B.
const auto kFamilies = catalogue(R"(
    {"baseCode": "MAIN", "name": "M", "controlling": true}, {"baseCode": "SERVER", "name": "S", "family": "Server", "controlling": true},
    {"baseCode": "TOOL", "name": "T", "dependencies": ["MAIN"]}, {"baseCode": "PLOT", "name": "P", "dependencies": ["MAIN"]},
    {"baseCode": "TEST", "name": "T", "dependencies": ["TOOL", "PLOT"]},
    {"baseCode": "EXTRA", "name": "E", "dependencies": ["GHOST", "PLOT"]}, {"baseCode": "HEAD", "name": "H", "controlling": true, "dependencies": ["A"]},
    {"baseCode": "A", "name": "A", "dependencies": ["B"]}, {"baseCode": "B", "name": "B", "dependencies": ["A", "HEAD"]})");

TEST(ProductCatalogue, ReadsEveryFieldAndRefusesWhatItCannotRead) {
    const auto products = catalogue(
        R"({"baseCode": "VELORA", "name": "Velora", "relativePath": {"linux": "velora", "macos": "V.app"},
        "detectRunningExe": {"w64pc": "bin\\velora.exe"}, "requiredForMacOSApp": true,
        "registry": {"keyRoot": "HKEY_LOCAL_MACHINE", "key": "SOFTWARE\\Velora", "subRoot": "2025.1"},
        "archiveSha256": "ABCDEF0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789"})");
    // Every field is read; the checksum is kept in lower case.
    const productdata::ProductRecord& velora = *products->find(u"VELORA");
    EXPECT_EQ(velora.archiveSha256, "abcdef0123456789abcdef0123456789abcdef0123456789abcdef0123456789");
    EXPECT_EQ(products->find(u"velora"), nullptr) << "base codes are compared exactly";
    for (const char* broken :
         {R"({"baseCode": "", "name": "V"})",
          R"({"baseCode": "V", "name": "V"}, {"baseCode": "V", "name": "W"})",
          R"({"baseCode": "V", "name": "V", "relativePath": {"solaris": "v"}})",
          R"({"baseCode": "V", "name": "V", "archiveSha256": "12ab"})", R"({"baseCode": "V", "name": 7})"})
        EXPECT_THROW(catalogue(broken), ProductCatalogueException) << broken;
}

TEST(ProductIdentifier, DependencyWalksGoNearestFirstAndEndInCyclesAndAtUndescribedProducts) {
    const ProductIdentifier identifier(kFamilies);
    EXPECT_EQ(identifier.getDependencies(u"A"), (Codes{u"B", u"HEAD"}));
    EXPECT_EQ(identifier.getCatalogue()->getAllDependencies(u"EXTRA"), (Codes{u"GHOST", u"PLOT", u"MAIN"}));
    EXPECT_EQ(identifier.getControllingProduct({u"TEST", u"SERVER"})->getBaseCode(), u"SERVER")
        << "a listed controlling product comes before the dependencies";
    EXPECT_EQ(identifier.getControllingProduct({u"A", u"B"})->getName(), u"H");
    EXPECT_TRUE(identifier.getControllingProduct({u"GHOST"})->getBaseCode().empty());
    EXPECT_EQ(identifier.getProductFamily(u"SERVER"), u"Server");
    EXPECT_THROW(identifier.getProductName(u"GHOST"), productidentifier::UnknownProductException);
    // Without a catalogue of its own, nor one beside the installer, the repository has nothing to offer.
    workflow_test::ScratchFolder installer;
    platformutil::PlatformUtility::setInstallationPath(installer.path());
    EXPECT_THROW(repository_adapter::FolderRepositoryAdapter(installer.path()).getAvailableProducts(),
                 repository_adapter::RepoAdapterDWSDownloadException);
    platformutil::PlatformUtility::setInstallationPath({});
}

// A broken archive is named by the installer runs; here which archives count and what they weigh.
TEST(FolderRepositoryAdapter, OffersTheDescribedArchivesOfTheRootAndItsCommonFolderWhenReadAgain) {
    workflow_test::ScratchFolder packages;
    repository_adapter::FolderRepositoryAdapter repository(
        packages.path(),
        catalogue(R"({"baseCode": "VELORA", "name": "V"}, {"baseCode": "FLOWMERE", "name": "F"},
                                      {"baseCode": "LM", "name": "LM"})"));
    EXPECT_FALSE(repository.doProductsExist());
    const fs::path velora = packages.path() / "VELORA.enc",
                   flowmere = packages.path() / "common/FLOWMERE.enc";
    writeZip(velora, {{"bin/a", std::string(3000, 'a')}, {"b", std::string(5000, 'b')}});
    writeZip(flowmere, {{"bin/a", std::string(100, 'a')}, {"b", std::string(23, 'b')}});
    for (const char* passedOver : {"common/VELORA.enc", "UNDESCRIBED.enc", "LM.ENC", "LM.enc.bak"})
        writeZip(packages.path() / passedOver, {{"a", "a"}});
    EXPECT_FALSE(repository.doProductsExist()) << "the folder is read once until refreshed";
    repository.refresh();
    const repository_adapter::ProductMap products = repository.getAvailableProducts();
    EXPECT_EQ(products.at(u"VELORA")->getDownloadSize(), fs::file_size(velora));
    EXPECT_EQ(products.at(u"VELORA")->getInstallSize() + products.at(u"FLOWMERE")->getInstallSize(), 8123u);
    EXPECT_EQ(repository.getProductArchivePath(u"FLOWMERE") + repository.getProductArchivePath(u"LM"),
              flowmere.u16string());
    EXPECT_THAT(repository.getAvailableProductBasecodes(), testing::ElementsAre(u"FLOWMERE", u"VELORA"));
    repository_adapter::config::RepoAdapterConfiguration elsewhere;
    elsewhere.setPackagesRoot((packages.path() / "common").u16string());
    repository.configure(elsewhere);
    EXPECT_THAT(repository.getAvailableProductBasecodes(), testing::ElementsAre(u"FLOWMERE", u"VELORA"));
}

// --- the files the installer writes ---

TEST(InstallerException, TextLeavesOutEmptyPartsAndLocationsJoinWithDoubleColons) {
    using cpputil::InstallerException;
    EXPECT_STREQ(InstallerException("199", "unknown", "disk on fire", "Progress").what(),
                 "Progress: 199: unknown (disk on fire)");
    EXPECT_STREQ(InstallerException("", "", "boom", "").what(), "boom");
    EXPECT_STREQ(InstallerException("", "", "", "").what(), "installer error");
    EXPECT_EQ(cpputil::createLocation("FolderSelection", "Repo::Download") +
                  cpputil::createLocation("", "E") + cpputil::createLocation("P", ""),
              "FolderSelection::Repo::DownloadEP");
}

TEST(InstallerLog, OneFileAtATimeAndEveryRefusedChangeIsWrittenToTheFileKept) {
    namespace logger = cpputil::logger;
    workflow_test::ScratchFolder folder;
    const auto first = folder.writeFile("a/b/first.log", "earlier run\n");
    const auto blocked = folder.writeFile("plainfile", "x") / "sub" / "install.log";
    const logger::ScopedCapture capture;
    logger::append_message(u"before any file");
    ASSERT_TRUE(logger::set_log_file(first));
    logger::append_message(u"Gr\u00fc\u00dfe \U0001F600");
    EXPECT_FALSE(logger::set_log_file(blocked));
    EXPECT_FALSE(logger::set_log_file(folder.path()));
    EXPECT_EQ(logger::log_file(), first) << "the first file stays in use";
    ASSERT_TRUE(logger::set_log_file(folder.path() / "second.log"));
    logger::append_message(u"two");
    logger::close_log_file();
    logger::append_message(u"only captured");
    EXPECT_EQ(workflow_test::readText(first),
              "earlier run\nGr\xc3\xbc\xc3\x9f"
              "e \xf0\x9f\x98\x80\n"
              "Unable to create specified folder for installation log " +
                  blocked.string() + "\nUnable to create specified file for installation log " +
                  folder.path().string() + "\nReset destination file log " +
                  (folder.path() / "second.log").string() + "\n");
    EXPECT_EQ(workflow_test::readText(folder.path() / "second.log"), "two\n");
    EXPECT_EQ(capture.lines().size(), 7u);
}

// The host's records file and its refusal of a second one are proven by the installer runs and the
// concurrent use; here the content of each kind of record.
TEST(TlmxUtil, RecordsKeepTheirTextsWithBadUtf8ReplacedAndALaterValueReplacesAnEarlierOne) {
    const tlmx::sink::ScopedCapture capture;
    EXPECT_FALSE(tlmx::sink::set_file("/proc")) << "a folder is no file";
    const tlmx::TlmxUtil collector;
    collector.collectErrorInfo("610", "Invalid characters", "bad '|' \xff byte",
                               "FolderSelection::FolderValidator");
    collector.collectProductInfo({tlmx::ProductData{"VLR", "Velora", 10, 20, true}});
    tlmx::DiagnosticsData data;
    data.add(tlmx::SessionDataKey{26}, false);
    data.add(tlmx::SessionDataKey{26}, true);
    data.add(tlmx::ErrorDataKey::Location, "e");
    data.add(tlmx::ProductDataKey::Downloadable, "p");
    data.add(tlmx::GpuDataKey{1}, "g");
    collector.collectDiagnosticsData(data);
    std::vector<Value> records = capture.records();
    ASSERT_EQ(records.size(), 3u);
    records[0].erase("time");
    EXPECT_EQ(records[0],
              Value::parse(R"({"record": "error", "error.1": "610", "error.2": "Invalid characters",
        "error.3": "bad '|' \ufffd byte", "error.4": "FolderSelection::FolderValidator"})"));
    EXPECT_EQ(records[1]["products"],
              Value::parse(R"([{"product.1": "VLR", "product.2": "Velora", "product.3": 10,
        "product.4": 20, "product.5": true}])"));
    EXPECT_EQ(records[2]["data"],
              Value::parse(R"({"session.26": true, "error.4": "e", "product.5": "p", "gpu.1": "g"})"));
}

}  // namespace
}  // namespace install
