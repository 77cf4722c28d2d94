// What the chosen folder already holds, and a product running from it: which conflicts hold the
// installation back and how each is reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "FolderSelectionGateFixture.h"
#include "fl/i18n/Message.h"
#include "gates/selection/FolderSelectionGate.h"
#include "install/validatefolder/DestinationContentExceptions.h"

namespace {

namespace vf = install::validatefolder;
using testing::_;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Return;
using testing::StrictMock;
using testing::Throw;
using workflow_test::ErrorRecord;
using workflow_test::ShownStatus;

class FolderContentTest : public workflow_test::FolderSelectionGateFixture {
protected:
    FolderContentTest() {
        choose(u"/srv/velora");
        installed({u"VELORA"});
    }
    void contentRefusedWith(const std::function<void()>& raise) const {
        ON_CALL(*gate.contentValidator, validate).WillByDefault([raise](auto&&...) { raise(); });
    }
    void expectOverwriteStatus() const {
        EXPECT_EQ(status(), (ShownStatus{Result::Failure, 8, fl::i18n::message("overwriteErrorMsg"),
                                         fl::i18n::message("overwriteErrorTitle")}));
        EXPECT_THAT(logLines(), ElementsAre(fl::i18n::message("overwriteErrorMsg")));
    }
};

TEST_F(FolderContentTest, TheValidatorComparesTheInstalledFamilyWithTheOfferedOne) {
    installed({u"FLOWMERE"});
    handler->setOfferedProducts({u"QUARRIX"});
    EXPECT_CALL(*gate.contentValidator, validate(std::u16string(u"Velora"), std::u16string(u"Quarrix")));

    gate.processData();

    EXPECT_THAT(gate.contentValidator->folders, ElementsAre(u"/srv/velora"));
    EXPECT_TRUE(acceptedOnce());
}

struct OverwriteRow {
    std::string kind;
    std::function<void()> raise;
    ErrorRecord record;
    friend void PrintTo(const OverwriteRow& row, std::ostream* out) { *out << row.kind; }
};

class ContentConflictTest : public FolderContentTest, public testing::WithParamInterface<OverwriteRow> {};

TEST_P(ContentConflictTest, AConflictAsksForAnotherFolder) {
    contentRefusedWith(GetParam().raise);
    gate.runningProcess = std::make_shared<StrictMock<workflow_test::MockRunningProcess>>();

    ASSERT_NO_THROW(gate.processData());

    expectOverwriteStatus();
    EXPECT_THAT(errorRecords(), ElementsAre(GetParam().record));
    EXPECT_FALSE(processed());
}

INSTANTIATE_TEST_SUITE_P(
    ContentTable, ContentConflictTest,
    testing::Values(
        OverwriteRow{
            "Overwrite",
            [] { throw vf::OverwriteException("holds files"); },
            {"700",
             "The installer cannot install into the specified folder. Select an empty folder to continue.",
             "holds files", "FolderSelection::FolderContentValidator::OverwriteException"}},
        OverwriteRow{
            "ReleaseStatus",
            [] { throw vf::ReleaseStatusMismatchException("R2029b"); },
            {"670", "The specified folder contains products that are not compatible with this version",
             "R2029b", "FolderSelection::FolderContentValidator::ReleaseDescriptionMismatchException"}},
        OverwriteRow{
            "UpdateLevelFromLocalArchives",
            [] { throw vf::UpdateLevelMismatchException("level 2, not 3"); },
            {"710", "The specified folder contains products at a different update level than the installer",
             "level 2, not 3", "FolderSelection::FolderContentValidator::UpdateLevelMismatchException"}}),
    [](const testing::TestParamInfo<OverwriteRow>& info) { return info.param.kind; });

TEST_F(FolderContentTest, AnotherControllingProductNamesBothProducts) {
    handler->setOfferedProducts({u"QUARRIX"});
    contentRefusedWith([] { throw vf::ControllingProductsMismatchException("Velora, not Quarrix"); });

    gate.processData();

    const auto message = fl::i18n::message("controllingProductConflictMsg", u"Quarrix", u"Velora");
    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 12, message, u""}));
    EXPECT_THAT(logLines(), ElementsAre(message));
    EXPECT_THAT(errorRecords(),
                ElementsAre(ErrorRecord{
                    "660", "The selected folder has another controlling product installed in it",
                    "Velora, not Quarrix",
                    "FolderSelection::FolderContentValidator::ControllingProductsMismatchException"}));
    EXPECT_FALSE(processed());
}

TEST_F(FolderContentTest, AParallelServerMayJoinTheProductItServes) {
    handler->setOfferedProducts({u"VELORA_PARALLEL_SERVER"});
    contentRefusedWith([] { throw vf::ControllingProductsMismatchException("Velora, not the server"); });

    gate.processData();

    EXPECT_TRUE(acceptedOnce());
    EXPECT_THAT(errorRecords(), IsEmpty());
    EXPECT_THAT(logLines(), ElementsAre(u"Folder validation is successful."));
}

TEST_F(FolderContentTest, TheProductMayNotJoinAParallelServer) {
    installed({u"VELORA_PARALLEL_SERVER"});
    contentRefusedWith([] { throw vf::ControllingProductsMismatchException("the server, not Velora"); });

    gate.processData();

    EXPECT_EQ(status().resultType, 12);
    EXPECT_FALSE(processed());
}

struct UpdateLevelCase {
    std::string name;
    bool runtime;
    bool localArchives;
    friend void PrintTo(const UpdateLevelCase& row, std::ostream* out) { *out << row.name; }
};

class UpdateLevelMismatchTest : public FolderContentTest,
                                public testing::WithParamInterface<UpdateLevelCase> {};

TEST_P(UpdateLevelMismatchTest, OnlyAnInstallationFromLocalArchivesIsHeldBack) {
    handler->setIsQRTInstallation(GetParam().runtime);
    handler->setDoesLocalArchivesExist(GetParam().localArchives);
    ON_CALL(*folderRepository, getAvailableProductBasecodes)
        .WillByDefault(Return(std::vector<std::u16string>{}));
    handler->setIsFolderRepoInstance(GetParam().localArchives);
    const auto online = std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
    ON_CALL(*online, doProductsExist).WillByDefault(Return(true));
    auto registry = std::make_shared<microservices::ServiceRegistry>();
    registry->registerService<install::repository_adapter::RepositoryAdapter>(online,
                                                                              {{"type", "onlineproduct"}});
    gate.setServiceRegistry(registry);
    contentRefusedWith([] { throw vf::UpdateLevelMismatchException("level 2, not 3"); });

    gate.processData();

    if (!GetParam().runtime && GetParam().localArchives) {
        expectOverwriteStatus();
        EXPECT_EQ(errorRecords().size(), 1u);
        EXPECT_FALSE(processed());
    } else {
        EXPECT_TRUE(acceptedOnce());
        EXPECT_THAT(logLines(),
                    ElementsAre(u"Update levels of the installer and existing installation are different",
                                u"Folder validation is successful."));
        EXPECT_THAT(errorRecords(), IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Installations, UpdateLevelMismatchTest,
                         testing::Values(UpdateLevelCase{"ProductFromLocalArchives", false, true},
                                         UpdateLevelCase{"ProductOnline", false, false},
                                         UpdateLevelCase{"RuntimeFromLocalArchives", true, true},
                                         UpdateLevelCase{"RuntimeOnline", true, false}),
                         [](const testing::TestParamInfo<UpdateLevelCase>& info) { return info.param.name; });

// --- a product running from the folder ---

TEST_F(FolderContentTest, TheRunningProductIsLookedForByItsFileName) {
    EXPECT_CALL(*gate.runningProcess, isProcessRunning(std::u16string(u"velora.exe"), std::u16string()))
        .WillOnce(Return(false));
    gate.processData();
    EXPECT_TRUE(acceptedOnce());
}

TEST_F(FolderContentTest, ARunningProductHoldsTheInstallationBack) {
    ON_CALL(*gate.runningProcess, isProcessRunning).WillByDefault(Return(true));
    handler->setIsFolderRepoInstance(false);  // the availability check would need the online repository

    ASSERT_NO_THROW(gate.processData());

    const auto message = fl::i18n::message("productExecutableRunningErrorMsg");
    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 1, message, fl::i18n::message("standardErrorTitle")}));
    EXPECT_THAT(logLines(), ElementsAre(message));
    EXPECT_FALSE(processed());
}

struct NotLookedForCase {
    std::string name;
    std::function<void(install::product_installer::workflow_utils::DataModelHandler&)> arrange;
    friend void PrintTo(const NotLookedForCase& row, std::ostream* out) { *out << row.name; }
};

class RunningProductNotLookedForTest : public FolderContentTest,
                                       public testing::WithParamInterface<NotLookedForCase> {};

TEST_P(RunningProductNotLookedForTest, NoProcessIsLookedFor) {
    GetParam().arrange(*handler);
    gate.runningProcess = std::make_shared<StrictMock<workflow_test::MockRunningProcess>>();
    EXPECT_FALSE(gate.isProductExecutableRunning());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunningProductNotLookedForTest,
    testing::Values(NotLookedForCase{"DownloadOnly", [](auto& h) { h.setWorkflow(u"DownloadOnly"); }},
                    NotLookedForCase{"LicenseManager", [](auto& h) { h.setWorkflow(u"License Manager"); }},
                    NotLookedForCase{"ScriptedRun", [](auto& h) { h.setIsBat(true); }},
                    NotLookedForCase{"Runtime", [](auto& h) { h.setIsQRTInstallation(true); }},
                    NotLookedForCase{"NoWindowsExecutableNamed",
                                     [](auto& h) { h.setOfferedProducts({u"QUARRIX"}); }}),
    [](const testing::TestParamInfo<NotLookedForCase>& info) { return info.param.name; });

}  // namespace
