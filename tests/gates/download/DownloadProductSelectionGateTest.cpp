// The download product page: the lists it fills from the repository, the order it shows products
// in, and its judgement of a selection (missing products once, then the download folder's space).
// Product rules and size calculator are the machine's own over a small catalogue; disks the test's.
#include <stdexcept>

#include "DownloadTesting.h"
#include "FolderProduct.h"
#include "gates/download/DownloadProductSelectionGate.h"
#include "install/platformutil/PlatformUtility.h"
#include "support/ScratchFolder.h"

namespace download_test {
namespace {

using download_test::PrintTo;

constexpr char16_t kGateName[] = u"DownloadProductSelectionGate";
constexpr std::uint64_t kPlenty = 1ULL << 50;

// Answers from the free bytes; each copy the gate is handed writes its questions to one list.
struct Disks : install::engine::DiskSpaceValidator {
    bool hasEnoughDiskSpaceToInstall(const std::u16string& folder, std::uint64_t bytes) const override {
        questions->push_back(joined(folder, bytes));
        return bytes <= freeBytes;
    }
    std::uint64_t freeBytes = kPlenty;
    std::shared_ptr<std::vector<std::string>> questions = std::make_shared<std::vector<std::string>>();
};

struct TestGate : install::product_installer::workflow_utils::DownloadProductSelectionGate {
    using DownloadProductSelectionGate::DownloadProductSelectionGate;
    using DownloadProductSelectionGate::getProductNamesFromDisplayList;
    std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const override {
        return std::make_unique<Disks>(disks);
    }
    Disks disks;
};

class DownloadProductSelectionGateTest : public DownloadFixture {
protected:
    DownloadProductSelectionGateTest() {
        // The catalogue beside the installer, named in mixed case: VELORA heads the family; Alpha
        // needs it and beta.
        install::platformutil::PlatformUtility::setInstallationPath(scratch.path());
        scratch.writeFile(install::productidentifier::ProductIdentifier::kCatalogueFileName, R"({"products": [
        {"baseCode": "VELORA", "name": "VELORA", "family": "Velora", "controlling": true},
        {"baseCode": "FLOWMERE", "name": "flowmere", "family": "Velora", "dependencies": ["VELORA"]},
        {"baseCode": "BUGFINDER", "name": "beta", "dependencies": ["VELORA"]},
        {"baseCode": "TEST", "name": "Alpha", "dependencies": ["VELORA", "BUGFINDER"]}]})");
        const Codes codes{u"BUGFINDER", u"FLOWMERE", u"GHOST", u"TEST", u"VELORA"};
        install::repository_adapter::ProductMap products;
        for (const auto& code : codes)
            products[code] =
                std::make_shared<install::repository_adapter::FolderProduct>(code, u"", "", 100, 0);
        ON_CALL(*repository, getAvailableProducts).WillByDefault(testing::Return(products));
        ON_CALL(*repository, getAvailableProductBasecodes).WillByDefault(testing::Return(codes));
        handler->setUserGivenDownloadFolder(u"D:\\Downloads");
    }
    std::string shownNames() const {
        return joined(gate.getProductNamesFromDisplayList(
            dependent().getProductSelection().getProductToDisplayList().values()));
    }

    ~DownloadProductSelectionGateTest() override {
        install::platformutil::PlatformUtility::setInstallationPath({});
    }

    workflow_test::ScratchFolder scratch;
    TestGate gate{kGateName, handler};
};

// Names the catalogue lacks are not shown; family heads come first whatever their case.
TEST_F(DownloadProductSelectionGateTest, ProposesEverythingTheRepositoryHoldsAndShowsNamedProductsInOrder) {
    gate.setDefaultData();
    EXPECT_EQ(joined(handler->getSelectedProducts(), shownNames()),
              "[BUGFINDER,FLOWMERE,GHOST,TEST,VELORA]|[VELORA,flowmere,Alpha,beta]");
}

// One row per way a selection is judged, in the order the checks run. On Windows the space of
// the download folder's drive is asked for.
struct JudgementRow {
    const char* name;
    Codes selected;
    bool warningSeen;
    std::uint64_t freeBytes;
    const char16_t* platform;
    const char* languagesFailure;  // the size cannot be worked out; null: it can
    int type;                      // of the warning shown; 0: the selection passes
    std::u16string argument;       // of the warning's message
    std::string record, spaceQuestions;
};

// clang-format off
const JudgementRow kJudgementRows[] = {
    {"MissingControllingThenDependent", {u"TEST"}, false, kPlenty, u"l64pc", nullptr, 7, u"\tVELORA\n\tbeta\n", "[840|Required dependency missed on some selected products|VELORA BUGFINDER|DownloadProductSelection::ProductValidator::MissingDependency]", "[]"},
    {"WarningSeenGoesOnToTheSpace", {u"TEST"}, true, kPlenty, u"l64pc", nullptr, 0, u"", "[]", "[D:\\Downloads|100]"},
    {"NotEnoughSpace", {u"VELORA", u"FLOWMERE"}, false, 150, u"l64pc", nullptr, 15, u"200 B", "[830|Insufficient disk space||DownloadProductSelection::ProductValidator::NotEnoughSpace]", "[D:\\Downloads|200]"},
    {"OnWindowsTheDrivesRoot", {u"VELORA"}, false, 100, u"w64pc", nullptr, 0, u"", "[]", "[D:\\|100]"},
    {"SizeUnknownDoesNotHoldBack", {u"VELORA"}, false, 0, u"l64pc", "no languages", 0, u"", "[]", "[]"},
};
// clang-format on

class JudgementTest : public DownloadProductSelectionGateTest,
                      public testing::WithParamInterface<JudgementRow> {};

TEST_P(JudgementTest, TheFirstCheckThatFailsShowsItsWarning) {
    const auto& row = GetParam();
    select(row.selected);
    handler->setMissingProductWarning(row.warningSeen);
    independent().setExecutionPlatform(row.platform);
    gate.disks.freeBytes = row.freeBytes;
    if (row.languagesFailure) {
        ON_CALL(*repository, getAdditionalLanguages)
            .WillByDefault(testing::Throw(std::runtime_error(row.languagesFailure)));
    }
    submit(gate);

    std::vector<std::string> errors;
    for (const auto& r : errorRecords()) errors.push_back(joined(r.code, r.message, r.details, r.location));
    EXPECT_EQ(joined(processed(kGateName), errors, *gate.disks.questions),
              joined(row.type == 0, row.record, row.spaceQuestions));
    std::vector<std::u16string> logged;
    if (row.languagesFailure) logged.push_back(u"no languages");
    if (row.type == 0)
        logged.push_back(u"Product selection validation in download only workflow is successful.");
    EXPECT_FALSE(handler->isMissingProductWarningShown()) << "cleared once nothing is missing";
    auto shown = earlierStatus();
    if (processed(kGateName)) shown.result = Result::Valid;
    if (row.type == 7)
        shown = {Result::Warning, 7, fl::i18n::message("missingDependentProductsMsg", row.argument), u""};
    if (row.type == 15) {
        shown = {Result::Warning, 15, fl::i18n::message("productSelectionSpaceWarningMsg", row.argument),
                 fl::i18n::message("productSelectionSpaceWarningTitle")};
    }
    if (row.type != 0) logged.push_back(shown.message);
    EXPECT_EQ(status(), shown);
    EXPECT_EQ(log.lines(), logged);
}

INSTANTIATE_TEST_SUITE_P(Selections, JudgementTest, testing::ValuesIn(kJudgementRows), rowName);

}  // namespace
}  // namespace download_test
