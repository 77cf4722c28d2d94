// The runtime's product step: the scenario it stores from what the folder, the selection (or the
// packaged application) and the repository say, and the explanation it shows instead of being
// skipped when the installation cannot go on.
#include "RuntimeTesting.h"
#include "fl/i18n/Message.h"
#include "gates/runtime/VeloraRuntimeProductSelectionGate.h"

namespace runtime_test {
namespace {

namespace wu = install::product_installer::workflow_utils;
using fl::i18n::message;

constexpr char16_t kGate[] = u"VeloraRuntimeProductSelectionGate";

class RuntimeProductTest : public RuntimeFixture {
protected:
    RuntimeProductTest() {
        independent().setPackagesRoot(scratch.makeFolder("packages").u16string());
        handler->setProductRepoAdapterInstance(repositoryOf(codes("G R X")));
        handler->setIsFolderRepoInstance(true);
    }
    std::string errorItem() const {
        if (!dependent().hasQrtErrorItem()) return "-";
        return joined(dependent().getQrtErrorItem().getErrorType(),
                      dependent().getQrtErrorItem().getErrorMessage());
    }
    wu::VeloraRuntimeProductSelectionGate gate{kGate, handler};
};

struct Folder {
    const char* name;
    bool packagedApplication, packagesThere;
    std::string decided;  // scenario|selection|folder repository
};

class ScenarioStoredTest : public RuntimeProductTest, public testing::WithParamInterface<Folder> {};

// Runtime R and X at level 3 are installed; level 5 is offered; G is selected.
TEST_P(ScenarioStoredTest, FromTheFolderTheSelectionAndTheRepository) {
    independent().getRelease().setUpdateLevel(5);
    handler->setInstalledProductsReleaseUpdateLevel(3);
    handler->setInstalledProducts(codes("R X"));
    select({u"G"});
    if (GetParam().packagedApplication) {
        handler->setWorkflow(u"Vantapak Install");
        auto required = independent().getUserApplicationData().getAppRequiredProducts().modify();
        required.insert(u"X");
        required.insert(u"R");
        required.commit();
    }
    if (!GetParam().packagesThere) std::filesystem::remove(scratch.path() / "packages");
    gate.setDefaultData();
    EXPECT_EQ(
        joined(handler->getUpdateScenario(), handler->getSelectedProducts(), handler->IsFolderRepoInstance()),
        GetParam().decided);
    EXPECT_EQ(handler->getAvailableProducts(), codes("G R X"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Installations, ScenarioStoredTest, testing::Values(
    Folder{"AProductFolderCannotUpdateWhatItWasNotAskedFor", false, true, "5|[]|true"},
    Folder{"AnApplicationAsksForEveryInstalledProduct", true, true, "4|[R,X]|true"},
    Folder{"WithoutAProductFolderTheOnlineRepositoryUpdatesEverything", false, false, "4|[G,R,X]|false"}),
    rowName);
// clang-format on

struct Explanation {
    const char* name;
    bool packagedApplication;
    UpdateScenario scenario;
    bool skipped;
    std::function<std::string()> errorItem;
};

class ExplanationTest : public RuntimeProductTest, public testing::WithParamInterface<Explanation> {};

TEST_P(ExplanationTest, ReplacesTheSkipWhenTheInstallationCannotGoOn) {
    dependent().setIsVantapakInstallation(GetParam().packagedApplication);
    handler->setUpdateScenario(GetParam().scenario);
    EXPECT_EQ(gate.checkIfShouldBeSkipped(), GetParam().skipped);
    EXPECT_EQ(errorItem(), GetParam().errorItem());
    EXPECT_EQ(log.lines().size(), GetParam().skipped ? 0u : 1u);
    if (!GetParam().skipped) {
        EXPECT_TRUE(gate.checkIfDataIsReady()) << "a page that only explains needs nothing";
    }
}

auto none = [] { return std::string("-"); };

// clang-format off
INSTANTIATE_TEST_SUITE_P(Scenarios, ExplanationTest, testing::Values(
    Explanation{"RuntimeAlreadyInstalled", false, UpdateScenario::AlreadyUpToDate, false,
                [] { return joined(1, message("alreadyHasRuntimeMsg", "Velora Runtime", "2031.1")); }},
    Explanation{"RuntimeNotUpdatableFromTheFolder", false, UpdateScenario::UpdateNotPossibleFromFolderRepository, false,
                [] { return joined(0, message("runtimeIncompatibleMsg", "2031.1", "Velora Runtime", "l64pc")); }},
    Explanation{"RuntimeToUpdate", false, UpdateScenario::UpdateToNewerLevel, true, none},
    Explanation{"ApplicationOverAnUpToDateRuntime", true, UpdateScenario::AlreadyUpToDate, true, none},
    Explanation{"ApplicationNeedingARuntimeTheFolderCannotGive", true, UpdateScenario::UpdateNotPossibleFromFolderRepository, false,
                [] { return joined(2, message("vantapakIncompatibleMsg", "2031.1", "Velora Runtime", "l64pc")); }}),
    rowName);
// clang-format on

TEST_F(RuntimeProductTest, AnInteractiveRunWithoutProductsShowsTheMissingFilesPage) {
    handler->setUpdateScenario(UpdateScenario::FreshInstallation);
    EXPECT_FALSE(gate.checkIfDataIsReady());
    EXPECT_EQ(status(),
              (workflow_test::ShownStatus{
                  Result::Failure, 1, message("missingInstallationFilesInteractiveMsg", "2031.1", "w64pc"),
                  message("missingInstallationFilesTitle")}));
    independent().setIsSilent(true);
    EXPECT_TRUE(gate.checkIfDataIsReady());
    gate.skip();
    EXPECT_TRUE(processed(kGate));
}

}  // namespace
}  // namespace runtime_test
