// The runtime installer's first decisions: whether an earlier runtime is on this machine (where,
// with which products, at which level), and what to do with it (the update scenario).
#include "RuntimeTesting.h"
#include "gates/runtime/PreviousQRTInstallationDetectionGate.h"
#include "gates/runtime/UpdateScenarioDecision.h"

namespace runtime_test {
namespace {

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
    const auto decision =
        wu::decideUpdateScenario(codes(row.installed), codes(row.selected), row.installedLevel,
                                 row.offeredLevel, row.folderRepository);
    const auto products = decision.productsToInstall;
    EXPECT_EQ(joined(decision.scenario) + "|" +
                  (products ? joined(Texts(products->begin(), products->end())) : std::string("keep")),
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
    std::filesystem::path registry;
    MockSupply<MockEngine> engines;

protected:
    std::unique_ptr<install::platformutil::DefaultDirectoryProvider> getDefaultDirectoryProvider()
        const override {
        return std::make_unique<install::platformutil::DefaultDirectoryProvider>(registry);
    }
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override {
        return runtimeCatalogue();
    }
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override { return engines.next(); }
};

struct Earlier {
    const char* name;
    bool recorded;
    std::string installed;
    std::optional<std::string> versionInfo;
    std::string found;  // flag|install folder|default|user input|level|products ("R" for the recorded folder)
};

class DetectionTest : public runtime_test::RuntimeFixture, public testing::WithParamInterface<Earlier> {};

TEST_P(DetectionTest, PointsTheFolderAtTheRecordedRuntimeWithItsProductsAndLevel) {
    TestDetectionGate gate(u"PreviousQRTInstallationDetectionGate", handler);
    gate.registry = registryRoot();
    const auto runtime = scratch.makeFolder("opt/runtime").u16string();
    if (GetParam().recorded) {
        install::platformutil::DefaultDirectoryProvider(registryRoot())
            .recordApplicationInstallation(u"HKEY_LOCAL_MACHINE", u"2031.1",
                                           u"SOFTWARE\\Kestrelix\\Velora Runtime", runtime);
    }
    if (GetParam().versionInfo) scratch.writeFile("opt/runtime/VersionInfo.xml", *GetParam().versionInfo);
    gate.engines.arrange(workflow_test::findsInstalled(codes(GetParam().installed)));
    handler->setUserInputFolder(u"typed");
    gate.setDefaultData();
    auto found = joined(dependent().getHasPrevQRTInstallation(), handler->getInstallFolder(),
                        handler->getDefaultFolder(), handler->getUserInputFolder(),
                        handler->getInstalledProductsReleaseUpdateLevel(), handler->getInstalledProducts());
    for (auto at = found.find(joined(runtime)); at != std::string::npos; at = found.find(joined(runtime)))
        found.replace(at, joined(runtime).size(), "R");
    EXPECT_EQ(found, GetParam().found);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Machines, DetectionTest, testing::Values(
    Earlier{"NoRuntimeRecorded", false, "R", "<VersionInfo><UpdateLevel>4</UpdateLevel></VersionInfo>", "false|||typed|0|[]"},
    Earlier{"RuntimeAtItsLevel", true, "R G", "<VersionInfo><UpdateLevel>4</UpdateLevel></VersionInfo>", "true|R|R|R|4|[G,R]"},
    Earlier{"UnreadableVersionInfo", true, "R", "<VersionInfo><UpdateLevel>", "true|R|R|R|-1|[R]"},
    Earlier{"FolderWithoutProducts", true, "", "<VersionInfo><UpdateLevel>4</UpdateLevel></VersionInfo>", "true|R|R|R|-1|[]"}),
    rowName);
// clang-format on

TEST_F(RuntimeFixture, ATestRunThatKnowsOfAnEarlierRuntimeIsNotAskedAgainAndClearingResetsTheFolder) {
    TestDetectionGate gate(u"PreviousQRTInstallationDetectionGate", handler);
    handler->setIsBat(true);
    handler->setHasPrevQRTInstallation(true);
    handler->setInstallFolder(u"/opt/earlier");
    gate.setDefaultData();
    EXPECT_EQ(gate.engines.handedOut(), 0);
    gate.clearInputData();
    submit(gate);
    EXPECT_EQ(joined(handler->getInstallFolder(), processed(u"PreviousQRTInstallationDetectionGate")),
              "|true");
}

TEST_F(RuntimeFixture, AFolderWhoseProductsCannotBeListedLeavesTheGateLogged) {
    TestDetectionGate gate(u"PreviousQRTInstallationDetectionGate", handler);
    gate.registry = registryRoot();
    install::platformutil::DefaultDirectoryProvider(registryRoot())
        .recordApplicationInstallation(u"HKEY_LOCAL_MACHINE", u"2031.1",
                                       u"SOFTWARE\\Kestrelix\\Velora Runtime", u"/opt/r");
    gate.engines.arrange(workflow_test::findsUnreadableRecord());
    EXPECT_THROW(gate.setDefaultData(), install::engine::EngineInvalidInstalledProductsException);
    EXPECT_THAT(log.lines(), ElementsAre(u"Failed to retrieve installed products"));
}

}  // namespace
}  // namespace runtime_test
