// The first two download pages. The folder page: the folder it proposes for a release, and what
// the machine's folder check decides about the user's. The platform page: the online repository,
// found through a real service registry and configured for the chosen platforms, and the table
// of the repository's answers.
#include <functional>

#include "DownloadTesting.h"
#include "gates/download/DownloadFolderGate.h"
#include "gates/download/PlatformSelectionGate.h"
#include "install/cpputil/Interrupt.h"
#include "install/repository_adapter/RepoAdapterConfiguration.h"
#include "install/repository_adapter/RepositoryExceptions.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"

namespace download_test {
namespace {

using download_test::PrintTo;

namespace wu = install::product_installer::workflow_utils;
namespace ra = install::repository_adapter;

using DownloadFolderGateTest = DownloadFixture;

struct TestFolderGate : wu::DownloadFolderGate {
    using DownloadFolderGate::DownloadFolderGate;
    using DownloadFolderGate::getDiagnosticsData;
};

// A refused folder is explained by the folder check; the page adds only its diagnostics figures.
TEST_F(DownloadFolderGateTest, ProposesTheReleaseFolderAndAcceptsWhatTheFolderCheckAccepts) {
    const workflow_test::ScopedEnvironmentVariable downloads{"XDG_DOWNLOAD_DIR", "/dl"};
    const workflow_test::ScratchFolder scratch;
    TestFolderGate gate{u"DownloadFolderGate", handler};
    for (const auto& [status, folder] :
         {std::pair{u"Prerelease", "/dl/Velora/2031.1_Prerelease"},
          std::pair{u"prerelease", "/dl/Velora/2031.1"}, std::pair{u"", "/dl/Velora/2031.1"}}) {
        independent().getRelease().setStatus(status);
        gate.setDefaultData();
        EXPECT_EQ(joined(handler->getDefaultDownloadFolder(), handler->getUserGivenDownloadFolder()),
                  joined(folder, folder));
    }
    independent().setAdvancedOptionSelected(u"downloadOnly");
    handler->setUserGivenDownloadFolder(u"downloads");
    submit(gate);
    EXPECT_EQ(joined(processed(u"DownloadFolderGate"), log.lines(), errorRecords().at(0).code,
                     entries(gate.getDiagnosticsData())),
              joined(false, std::vector{fl::i18n::message("folderNotAbsolutePath")}, "640",
                     R"(session.2="downloadOnly" session.15="downloads")"));
    handler->setUserGivenDownloadFolder(scratch.u16());
    submit(gate);
    EXPECT_EQ(joined(processed(u"DownloadFolderGate"), log.lines().back()),
              "true|Folder validation in download only workflow is successful.");
}

// Failures name the release and the installer's own platform whatever was chosen; records keep
// the repository's texts with the proxy password masked; the repository stays in the model.
struct RepositoryRow {
    const char* name;
    std::function<void()> listing;  // what getAvailableProducts throws; empty: it answers
    bool holdsProducts, cancelled;
    const char *titleKey, *messageKey;  // null: the earlier status stays
    std::string record;
    std::u16string proxyPassword = u"p4ss";
};

template <class Failure>
std::function<void()> failing(const char* code) {
    return [code] { throw Failure(code, "No product list", "proxy p4ss refused", "OnlineRepo::list"); };
}

// clang-format off
const RepositoryRow kRepositoryRows[] = {
    {"HoldsProducts", {}, true, false, nullptr, nullptr, "[]"},
    {"ProxyUserWithoutPassword", {}, true, false, nullptr, nullptr, "[]", u""},
    {"ServiceUnreachable", failing<ra::RepoAdapterWebServiceException>("2500"), true, false, "connectionErrorTitle", "connectionErrorMsg", "[2500|No product list|proxy ******** refused|DownloadFolder::OnlineRepo::list]"},
    {"DescriptionsNotFetched", failing<ra::RepoAdapterDWSDownloadException>("2510"), true, false, "noProductsAlertTitle", "noProductsAlertMsg", "[2510|No product list|proxy ******** refused|DownloadFolder::OnlineRepo::list]"},
    {"DescriptionsNotUnpacked", failing<ra::RepoAdapterDWSExtractException>("2520"), true, false, "noProductsAlertTitle", "noProductsAlertMsg", "[2520|No product list|proxy ******** refused|DownloadFolder::OnlineRepo::list]"},
    {"UnpackingCancelled", failing<ra::RepoAdapterDWSExtractException>("2520"), true, true, nullptr, nullptr, "[]"},
    {"NoProductsForTheRelease", {}, false, false, "noProductsAlertTitle", "noProductsAlertMsg", "[1560|Unable to retrieve products||PlatformSelection::OnlineProductRepoAdapter::doProductsExist]"},
};
// clang-format on

class RepositoryTest : public DownloadFixture, public testing::WithParamInterface<RepositoryRow> {
protected:
    ~RepositoryTest() override { install::cpputil::interrupt::reset(); }
};

TEST_P(RepositoryTest, DecidesWhetherThePlatformPageLetsTheUserGoOn) {
    struct TestGate : wu::PlatformSelectionGate {
        using PlatformSelectionGate::getDiagnosticsData;
        using PlatformSelectionGate::PlatformSelectionGate;
    } gate{u"PlatformSelectionGate", handler};
    const auto registry = std::make_shared<microservices::ServiceRegistry>();
    registry->registerService<ra::RepositoryAdapter>(repository, {{"type", "onlineproduct"}});
    gate.setServiceRegistry(registry);
    handler->setProductRepoAdapterInstance(nullptr);
    const auto& row = GetParam();
    independent().getProxy().setPassword(row.proxyPassword);
    if (row.listing)
        ON_CALL(*repository, getAvailableProducts).WillByDefault([&] {
            return row.listing(), ra::ProductMap{};
        });
    ON_CALL(*repository, doProductsExist).WillByDefault(testing::Return(row.holdsProducts));
    if (row.cancelled) install::cpputil::interrupt::set();
    EXPECT_CALL(*repository, configure(testing::Property(&ra::config::RepoAdapterConfiguration::getPlatforms,
                                                         Codes{u"w64pc", u"l64pc", u"m64ar"})));
    EXPECT_CALL(*repository, setProxyCredentials("jdoe", "p4ss")).Times(row.proxyPassword.empty() ? 0 : 1);

    submit(gate);

    std::vector<std::u16string> logged{u"User selected the following platform(s): w64pc l64pc m64ar"};
    auto shown = earlierStatus();
    if (row.titleKey) {
        shown = {Result::Failure, 1, fl::i18n::message(row.messageKey, u"2031.1", u"w64pc"),
                 fl::i18n::message(row.titleKey)};
        logged.push_back(shown.message);
    }
    const bool goesOn = row.record == "[]" && !row.cancelled;
    if (goesOn) shown.result = Result::Valid;
    EXPECT_EQ(
        joined(processed(u"PlatformSelectionGate"), handler->getProductRepoAdapterInstance() == repository,
               records(), entries(gate.getDiagnosticsData())),
        joined(goesOn, true, row.record, R"(session.44="w64pc l64pc m64ar")"));
    EXPECT_EQ(status(), shown);
    EXPECT_EQ(log.lines(), logged);
}

INSTANTIATE_TEST_SUITE_P(Answers, RepositoryTest, testing::ValuesIn(kRepositoryRows), rowName);

}  // namespace
}  // namespace download_test
