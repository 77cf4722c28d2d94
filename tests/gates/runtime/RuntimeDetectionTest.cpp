// The runtime installer's first decisions: whether an earlier runtime is on this machine (where,
// with which products, at which level), what to do with it (the update scenario), and the
// explanation the product step shows instead of being skipped when the installation cannot go on.
#include "RuntimeTesting.h"
#include "fl/i18n/Message.h"
#include "gates/runtime/PreviousQRTInstallationDetectionGate.h"
#include "gates/runtime/UpdateScenarioDecision.h"
#include "gates/runtime/VeloraRuntimeProductSelectionGate.h"
#include "install/productidentifier/ProductIdentifier.h"

namespace runtime_test {
namespace {

using runtime_test::PrintTo;
namespace wu = install::product_installer::workflow_utils;

struct Decision {
    const char* name;
    std::string installed, selected;
    int installedLevel, offeredLevel;
    bool folderRepository;
    std::string decided;  // scenario|products to install, "keep" when the selection stays
};

class UpdateScenarioTest : public testing::TestWithParam<Decision> {};

TEST_P(UpdateScenarioTest, FollowsTheLevelsTheProductsAndTheRepository) {
    const auto& row = GetParam();
    const auto [scenario, products] =
        wu::decideUpdateScenario(codes(row.installed), codes(row.selected), row.installedLevel,
                                 row.offeredLevel, row.folderRepository);
    EXPECT_EQ(
        joined(scenario) + "|" + (products ? joined(Texts(products->begin(), products->end())) : "keep"),
        row.decided);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Folders, UpdateScenarioTest, testing::Values(
    Decision{"EmptyFolderWhateverTheLevels", "", "R G", 7, 2, true, "2|keep"},
    Decision{"SameLevelEverythingInstalled", "R G", "G", 3, 3, false, "1|[]"},
    Decision{"SameLevelAddsWhatIsMissing", "R", "R G X", 3, 3, true, "3|[G,X]"},
    Decision{"OlderLevelOnlineAddsWhatIsMissing", "R", "R G", 5, 3, false, "3|[G]"},
    Decision{"OlderLevelNothingNew", "R G", "G", 5, 3, true, "1|[]"},
    Decision{"OlderLevelFromAFolderCannotAdd", "R", "R G", 5, 3, true, "5|[]"},
    Decision{"NewerLevelReinstallsInstalledAndSelected", "R X", "G", 3, 5, false, "4|[G,R,X]"},
    Decision{"NewerLevelFromAFolderHoldingEveryInstalledProduct", "R", "R G", 3, 5, true, "4|[G,R]"},
    Decision{"NewerLevelFromAFolderLackingAnInstalledProduct", "R X", "R", 3, 5, true, "5|[]"},
    Decision{"UnreadableLevelCountsBelowEveryOffer", "R", "R", -1, 0, false, "4|[R]"},
    Decision{"CodesCompareCodeUnitByCodeUnit", "R", "r", 3, 3, false, "3|[r]"}),
    rowName);
// clang-format on

class TestDetectionGate : public wu::PreviousQRTInstallationDetectionGate {
public:
    using PreviousQRTInstallationDetectionGate::PreviousQRTInstallationDetectionGate;
    MockSupply<MockEngine> engines;

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override {
        return std::make_unique<install::productidentifier::ProductIdentifier>(
            std::make_shared<const install::productidentifier::ProductCatalogue>(
                install::productidentifier::ProductCatalogue::fromJson(
                    R"({"products": [{"baseCode": "VELORA_RUNTIME", "name": "Velora Runtime",
            "controlling": true, "registry": {"keyRoot": "HKEY_LOCAL_MACHINE", "key": "SOFTWARE\\Velora Runtime", "subRoot": "2031.1"}}]})")));
    }
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override { return engines.next(); }
};

struct Earlier {
    const char* name;
    bool recorded, testRunKnowsIt;
    std::string installed;
    std::string versionInfo;
    std::string found;  // flag|install folder|default|user input|level|products, "R" for the runtime's folder
};

class DetectionTest : public RuntimeFixture, public testing::WithParamInterface<Earlier> {};

TEST_P(DetectionTest, PointsTheFolderAtTheRecordedRuntimeWithItsProductsAndLevel) {
    TestDetectionGate gate(u"PreviousQRTInstallationDetectionGate", handler);
    const auto runtime = scratch.writeFile("opt/r/VersionInfo.xml", GetParam().versionInfo).parent_path();
    if (GetParam().recorded) {
        install::platformutil::DefaultDirectoryProvider().recordApplicationInstallation(
            u"HKEY_LOCAL_MACHINE", u"2031.1", u"SOFTWARE\\Velora Runtime", runtime.u16string());
    }
    gate.engines.arrange(workflow_test::findsInstalled(codes(GetParam().installed)));
    handler->setOfferedProducts({u"VELORA_RUNTIME"});
    handler->setUserInputFolder(u"typed");
    handler->setIsBat(GetParam().testRunKnowsIt);
    handler->setHasPrevQRTInstallation(GetParam().testRunKnowsIt);
    gate.setDefaultData();
    auto found = joined(dependent().getHasPrevQRTInstallation(), handler->getInstallFolder(),
                        handler->getDefaultFolder(), handler->getUserInputFolder(),
                        handler->getInstalledProductsReleaseUpdateLevel(), handler->getInstalledProducts());
    for (auto at = found.find(runtime.string()); at != std::string::npos; at = found.find(runtime.string()))
        found.replace(at, runtime.string().size(), "R");
    EXPECT_EQ(found, GetParam().found);
}

constexpr char kLevel4[] = "<VersionInfo><UpdateLevel>4</UpdateLevel></VersionInfo>";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Machines, DetectionTest, testing::Values(
    Earlier{"NoRuntimeRecorded", false, false, "R", kLevel4, "false|||typed|0|[]"},
    Earlier{"RuntimeAtItsLevel", true, false, "R G", kLevel4, "true|R|R|R|4|[G,R]"},
    Earlier{"UnreadableVersionInfo", true, false, "R", "<VersionInfo><UpdateLevel>", "true|R|R|R|-1|[R]"},
    Earlier{"FolderWithoutProductsHasNoLevel", true, false, "", kLevel4, "true|R|R|R|-1|[]"},
    Earlier{"TestRunThatAlreadyKnowsOfARuntime", true, true, "R", kLevel4, "true|||typed|0|[]"}),
    rowName);
// clang-format on

// The products installed at level 3 and the level offered; then the runtime's products G, R and X
// from the folder beside the installer, if it is there. G is selected, or the application
// requires R and X.
struct Folder {
    const char* name;
    bool packagedApplication;
    std::string installed;
    int offeredLevel;
    bool packagesThere;
    std::function<std::u16string()> explanation;  // none: the page is skipped
    std::string decided;                          // scenario|selection|from the folder|error item type
};

class ProductStepTest : public RuntimeFixture, public testing::WithParamInterface<Folder> {};

TEST_P(ProductStepTest, DecidesTheScenarioAndExplainsWhyItCannotGoOn) {
    wu::VeloraRuntimeProductSelectionGate gate(u"RuntimeProducts", handler);
    if (GetParam().packagesThere) independent().setPackagesRoot(scratch.makeFolder("packages").u16string());
    handler->setProductRepoAdapterInstance(repositoryOf(codes("G R X")));
    handler->setIsFolderRepoInstance(true);
    independent().getRelease().setUpdateLevel(GetParam().offeredLevel);
    handler->setInstalledProductsReleaseUpdateLevel(3);
    handler->setInstalledProducts(codes(GetParam().installed));
    select({u"G"});
    if (GetParam().packagedApplication) {
        handler->setWorkflow(u"Vantapak Install");
        dependent().setIsVantapakInstallation(true);
        auto required = independent().getUserApplicationData().getAppRequiredProducts().modify();
        required.insert(u"X");
        required.insert(u"R");
        required.commit();
    }
    gate.setDefaultData();
    const bool skipped = gate.checkIfShouldBeSkipped();
    const auto item = dependent().getQrtErrorItem();
    EXPECT_EQ(joined(handler->getUpdateScenario(), handler->getSelectedProducts(),
                     handler->IsFolderRepoInstance(), item.isNull() ? "-" : joined(item.getErrorType())),
              GetParam().decided);
    const auto explanation = GetParam().explanation ? Texts{GetParam().explanation()} : Texts{};
    EXPECT_EQ(joined(skipped, item.isNull() ? Texts{} : Texts{item.getErrorMessage()}, log.lines()),
              joined(explanation.empty(), explanation, explanation));
    EXPECT_TRUE(skipped || gate.checkIfDataIsReady()) << "a page that only explains needs nothing";
}

std::u16string runtimeMessage(const char* key) {
    return fl::i18n::message(key, "2031.1", "Velora Runtime", "l64pc");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Installations, ProductStepTest, testing::Values(
    Folder{"RuntimeAlreadyInstalled", false, "G R", 3, true, [] { return fl::i18n::message("alreadyHasRuntimeMsg", "Velora Runtime", "2031.1"); }, "1|[]|true|1"},
    Folder{"AProductFolderCannotUpdateWhatItWasNotAskedFor", false, "R X", 5, true, [] { return runtimeMessage("runtimeIncompatibleMsg"); }, "5|[]|true|0"},
    Folder{"WithoutAProductFolderTheOnlineRepositoryUpdatesEverything", false, "R X", 5, false, nullptr, "4|[G,R,X]|false|-"},
    Folder{"AnApplicationAsksForEveryInstalledProduct", true, "R X", 5, true, nullptr, "4|[R,X]|true|-"},
    Folder{"AnApplicationOverAnUpToDateRuntime", true, "R X", 3, true, nullptr, "1|[]|true|-"},
    Folder{"AnApplicationNeedingARuntimeTheFolderCannotGive", true, "R X Y", 5, true, [] { return runtimeMessage("vantapakIncompatibleMsg"); }, "5|[]|true|2"}),
    rowName);
// clang-format on

}  // namespace
}  // namespace runtime_test
