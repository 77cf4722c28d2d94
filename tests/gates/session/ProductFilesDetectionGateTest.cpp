// The product-archive check: which directory entries count as archives, where the gate looks,
// and what it reports when it finds none.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gates/session/ProductFilesDetectionGate.h"
#include "install/cpputil/Logger.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "support/ModelFixture.h"
#include "support/ScratchFolder.h"
#include "workflow_core/PathJoin.h"

namespace {

using install::datamodels::common::Result;
using install::product_installer::workflow_utils::joinPath;
using install::product_installer::workflow_utils::ProductFilesDetectionGate;
using workflow_test::ModelFixture;
using workflow_test::ScratchFolder;

constexpr char kMissingFilesLocation[] =
    "ProductFilesDetection::ProductFilesDetectionGate::CheckAvailableProducts::MissingInstallationFiles";

// Opens the folder search to the tests and records which folders the skip check hands to it.
class InspectableGate : public ProductFilesDetectionGate {
public:
    using ProductFilesDetectionGate::hasAtleastOneComponent;
    using ProductFilesDetectionGate::ProductFilesDetectionGate;
};

class ProductFilesDetectionGateTest : public ModelFixture {
protected:
    ProductFilesDetectionGateTest() { independent().setPackagesRoot(packages.u16()); }

    ScratchFolder packages;
    InspectableGate gate{u"ProductFilesDetectionGate", handler};
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
};

enum class Kind { File, Folder };

struct EntryCase {
    const char* label;
    std::string relativePath;
    Kind kind;
    bool isArchive;
};

class ArchiveEntryTest : public ProductFilesDetectionGateTest,
                         public testing::WithParamInterface<EntryCase> {};

TEST_P(ArchiveEntryTest, SkipsExactlyWhenAnArchiveIsFound) {
    const auto& entry = GetParam();
    entry.kind == Kind::File ? (void)packages.writeFile(entry.relativePath, "payload")
                             : (void)packages.makeFolder(entry.relativePath);

    EXPECT_EQ(gate.checkIfShouldBeSkipped(), entry.isArchive);
    EXPECT_EQ(diagnostics.records().empty(), entry.isArchive);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ArchiveEntryTest,
    testing::Values(EntryCase{"ArchiveInRoot", "product.enc", Kind::File, true},
                    EntryCase{"ArchiveOnlyInCommon", "common/shared.enc", Kind::File, true},
                    EntryCase{"FolderNamedLikeAnArchive", "x.enc", Kind::Folder, true},
                    EntryCase{"NameIsOnlyTheExtension", ".enc", Kind::File, true},
                    EntryCase{"UpperCaseExtension", "product.ENC", Kind::File, false},
                    EntryCase{"MixedCaseExtension", "product.Enc", Kind::File, false},
                    EntryCase{"BackupOfAnArchive", "product.enc.bak", Kind::File, false},
                    EntryCase{"ExtensionWithoutDot", "productenc", Kind::File, false},
                    EntryCase{"TrailingBlank", "product.enc ", Kind::File, false},
                    EntryCase{"ArchiveTwoLevelsDown", "sub/product.enc", Kind::File, false},
                    EntryCase{"ArchiveBelowCommon", "common/sub/product.enc", Kind::File, false},
                    EntryCase{"EmptyCommonFolder", "common", Kind::Folder, false},
                    EntryCase{"NonAsciiArchiveName", "\xc3\xbc\xe3\x83\xad.enc", Kind::File, true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProductFilesDetectionGateTest, FindingAnArchiveIsLoggedOnceAndReportsNothing) {
    packages.writeFile("a.enc");
    packages.writeFile("common/b.enc");

    EXPECT_TRUE(gate.checkIfShouldBeSkipped());
    EXPECT_THAT(log.lines(), testing::ElementsAre(u"Found at least one product to install."));
    EXPECT_TRUE(diagnostics.records().empty());
}

TEST_F(ProductFilesDetectionGateTest, NoArchiveInAnOnlineRunWritesExactlyOneRecordAndNoLogLine) {
    independent().setInitialWorkflow(u"Interactive Online Install");
    packages.writeFile("readme.txt");

    EXPECT_FALSE(gate.checkIfShouldBeSkipped());

    const auto records = diagnostics.records();
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["error.1"], "240");
    EXPECT_EQ(records[0]["error.2"], "Unable to load product files");
    EXPECT_EQ(records[0]["error.3"], "");
    EXPECT_EQ(records[0]["error.4"], kMissingFilesLocation);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ProductFilesDetectionGateTest, NoArchiveInAFolderRunAlsoReportsTheMissingInstallationFiles) {
    independent().setInitialWorkflow(u"Interactive Install From Folder");

    EXPECT_FALSE(gate.checkIfShouldBeSkipped());

    const auto records = diagnostics.records();
    ASSERT_EQ(records.size(), 2U);
    EXPECT_EQ(records[0]["error.1"], "240");
    EXPECT_EQ(records[1]["error.1"], "3000");
    EXPECT_EQ(records[1]["error.2"],
              "Installer is unable to connect to Kestrelix or missing installation files");
    EXPECT_EQ(records[1]["error.3"], "");
    EXPECT_EQ(records[1]["error.4"],
              "ProductFilesDetection::ProductFilesDetectionGate::ConnectionFailedOrMissingInstallationFiles");
}

TEST_F(ProductFilesDetectionGateTest, TheFolderWorkflowIsRecognisedOnlyWhenSpelledExactly) {
    for (const auto* spelling : {u"interactive install from folder", u"Interactive Install From Folder ",
                                 u"Interactive Install From Folde"}) {
        diagnostics.clear();
        independent().setInitialWorkflow(spelling);
        EXPECT_FALSE(gate.checkIfShouldBeSkipped());
        EXPECT_EQ(diagnostics.records().size(), 1U);
    }
}

TEST_F(ProductFilesDetectionGateTest, TheCurrentWorkflowDoesNotDecideTheSecondRecord) {
    handler->setWorkflow(u"Interactive Install From Folder");
    independent().setInitialWorkflow(u"DownloadOnly");
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    EXPECT_EQ(diagnostics.records().size(), 1U);
}

TEST_F(ProductFilesDetectionGateTest, AMissingPackagesRootAnswersFalseWithoutThrowing) {
    independent().setPackagesRoot(joinPath(packages.u16(), u"does-not-exist"));
    bool skipped = true;
    EXPECT_NO_THROW(skipped = gate.checkIfShouldBeSkipped());
    EXPECT_FALSE(skipped);
    EXPECT_EQ(diagnostics.records().size(), 1U);
}

TEST_F(ProductFilesDetectionGateTest, AnEmptyPackagesRootAnswersFalse) {
    independent().setPackagesRoot(u"");
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
}

TEST_F(ProductFilesDetectionGateTest, AnArchiveCopiedInWhileThePageIsShownIsFoundOnTheNextAsk) {
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    packages.writeFile("common/late.enc");
    EXPECT_TRUE(gate.checkIfShouldBeSkipped());
}

TEST_F(ProductFilesDetectionGateTest, SearchesTheFoldersInOrderAndIgnoresMissingOnes) {
    ScratchFolder other;
    other.writeFile("tool.enc");
    EXPECT_TRUE(gate.hasAtleastOneComponent({joinPath(packages.u16(), u"gone"), other.u16()}));
    EXPECT_FALSE(gate.hasAtleastOneComponent({}));
}

TEST_F(ProductFilesDetectionGateTest, AFolderThatCannotBeListedEndsTheSearchWithoutLogging) {
    // A plain file where a folder is expected exists but cannot be listed; the archive in the
    // folder after it is never looked at.
    const auto notAFolder = packages.writeFile("packages.txt");
    ScratchFolder other;
    other.writeFile("tool.enc");

    EXPECT_FALSE(gate.hasAtleastOneComponent({notAFolder.u16string(), other.u16()}));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ProductFilesDetectionGateTest, APathThatCannotBeConvertedAnswersFalse) {
    const std::u16string unpairedSurrogate(1, static_cast<char16_t>(0xD800));
    EXPECT_FALSE(gate.hasAtleastOneComponent({packages.u16() + u"/" + unpairedSurrogate}));
}

// Records what the skip check hands to the folder search, without touching the file system.
class FolderListRecordingGate : public ProductFilesDetectionGate {
public:
    using ProductFilesDetectionGate::ProductFilesDetectionGate;
    mutable std::vector<std::vector<std::u16string>> searched;

protected:
    bool hasAtleastOneComponent(const std::vector<std::u16string>& folders) const override {
        searched.push_back(folders);
        return true;
    }
};

TEST_F(ProductFilesDetectionGateTest, LooksInThePackagesRootAndItsCommonFolder) {
    independent().setPackagesRoot(u"/srv/velora packages");
    FolderListRecordingGate recording(u"ProductFilesDetectionGate", handler);

    EXPECT_TRUE(recording.checkIfShouldBeSkipped());
    ASSERT_EQ(recording.searched.size(), 1U);
    EXPECT_THAT(recording.searched[0],
                testing::ElementsAre(u"/srv/velora packages", joinPath(u"/srv/velora packages", u"common")));
}

TEST_F(ProductFilesDetectionGateTest, SkipRecordsTheGateAsProcessed) {
    gate.skip();
    EXPECT_EQ(applicationData().getDataProcessed(), u"ProductFilesDetectionGate");
}

TEST_F(ProductFilesDetectionGateTest, ConfirmingThePageCompletesTheStep) {
    handler->setCurrentValidationFailure(install::datamodels::product_installer::validationResultType(4),
                                         u"m", u"t");
    gate.setRequiredData();
    EXPECT_EQ(applicationData().getDataRequired(), u"ProductFilesDetectionGate");
    handler->setAsDataAvailable();

    gate.processData();

    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Valid);
    EXPECT_EQ(applicationData().getDataProcessed(), u"ProductFilesDetectionGate");
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");
}

}  // namespace
