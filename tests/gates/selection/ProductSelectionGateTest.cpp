// The product page: the lists it fills before the user chooses and the order it shows them in,
// the missing-files page, and its judgement of a selection in the fixed order availability,
// reinstallation, missing products, disk space, each refusal with its status, log line and record.
// That a warning the user has seen lets the selection pass, the installer runs end to end show.

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

#include "FolderProduct.h"
#include "InstallationManifest.h"
#include "SelectionTesting.h"
#include "gates/selection/ProductSelectionGate.h"

namespace selection_test {
namespace {

using selection_test::PrintTo;
using testing::IsEmpty;

// A product selection page over a real model, real product rules and the tests' catalogue, with
// the repository, the engine's view of the folder, the free space per folder, the volume question
// and the account settings the test's own.

using ProductList = std::vector<std::u16string>;
using SpaceQuestions = std::vector<std::pair<std::u16string, std::uint64_t>>;

// Free bytes per folder; every copy the gate is handed remembers its questions in one list.
struct Disks : install::engine::DiskSpaceValidator {
    bool hasEnoughDiskSpaceToInstall(const std::u16string& folder, std::uint64_t bytes) const override {
        questions->emplace_back(folder, bytes);
        return freeBytes.contains(folder) && freeBytes.at(folder) >= bytes;
    }
    std::map<std::u16string, std::uint64_t> freeBytes;
    std::shared_ptr<SpaceQuestions> questions = std::make_shared<SpaceQuestions>();
};

class FixedVolumes : public install::platformutil::VolumeDetector {
public:
    explicit FixedVolumes(bool same) : same_(same) {}
    bool isSameVolume(const std::u16string&, const std::u16string&) const override { return same_; }

private:
    bool same_;
};

class TestableProductSelectionGate : public install::product_installer::workflow_utils::ProductSelectionGate {
public:
    using ProductSelectionGate::getProductsToDisplayList;
    using ProductSelectionGate::ProductSelectionGate;
    using ProductSelectionGate::sortProductToDisplayList;

    MockSupply<workflow_test::MockEngine> engines;
    Disks disks;
    bool sameVolume = true;
    std::u16string temporaryFolder;
    std::filesystem::path accountSettings;

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override {
        return std::make_unique<install::productidentifier::ProductIdentifier>(selectionCatalogue());
    }
    std::unique_ptr<install::product_validator::ProductValidator> getProductValidatorPtr() const override {
        return std::make_unique<install::product_validator::ProductValidator>(
            std::make_shared<const install::productidentifier::ProductIdentifier>(selectionCatalogue()));
    }
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override { return engines.next(); }
    std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const override {
        return std::make_unique<Disks>(disks);
    }
    std::unique_ptr<install::platformutil::VolumeDetector> getVolumeDetetorInstance() const override {
        return std::make_unique<FixedVolumes>(sameVolume);
    }
    std::u16string getTemporaryFolder() const override { return temporaryFolder; }
    std::unique_ptr<install::account_service::AccountServiceClient> getAccountServiceClientInstance()
        const override {
        return std::make_unique<install::account_service::AccountServiceClient>(accountSettings);
    }
};

inline constexpr char16_t kProductGateName[] = u"ProductSelectionGate";
inline constexpr char16_t kFromFolder[] = u"Interactive Install From Folder";
inline constexpr std::uint64_t kPlenty = 1ULL << 50;

class ProductSelectionGateTest : public workflow_test::GateFixture {
protected:
    ProductSelectionGateTest() {
        independent().setExecutionPlatform(u"l64pc");
        independent().setLocale(u"en_US");
        handler->setWorkflow(kFromFolder);
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(installFolder);
        gate.accountSettings = scratch.path() / "no-account-settings.json";
        gate.disks.freeBytes = {{installFolder, kPlenty}};
        useRepository({u"BUGFINDER", u"CLIENT", u"COMPILER", u"FLOWMERE", u"GHOST", u"LOOP_A", u"LOOP_B",
                       u"TEST", u"VELORA", u"VELORA_PARALLEL_SERVER"});
    }

    // Every product of the list in the repository, 100 bytes to fetch and 1000 to install; none
    // when the list is empty.
    void useRepository(const ProductList& codes) const {
        if (codes.empty()) return handler->setProductRepoAdapterInstance(nullptr);
        install::repository_adapter::ProductMap products;
        for (const auto& code : codes) {
            products[code] =
                std::make_shared<install::repository_adapter::FolderProduct>(code, u"", "", 100, 1000);
        }
        auto repository = std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
        ON_CALL(*repository, getAvailableProducts).WillByDefault(testing::Return(products));
        ON_CALL(*repository, getAvailableProductBasecodes).WillByDefault(testing::Return(codes));
        handler->setProductRepoAdapterInstance(repository);
    }
    // The state the page sees after its defaults: these products installable and offered.
    void offer(const ProductList& installable) const {
        handler->setOfferedProducts(installable);
        handler->setAvailableProducts(
            handler->getProductRepoAdapterInstance()->getAvailableProductBasecodes());
        handler->setInstallableProducts(installable);
        handler->initializeProductSelectionModel();
    }
    // The names of the products to display, in order, joined with ", ".
    std::u16string displayNames() const {
        std::u16string names;
        for (const auto& item : dependent().getProductSelection().getProductToDisplayList().values())
            names += (names.empty() ? u"" : u", ") + item.getProductName();
        return names;
    }

    workflow_test::ScratchFolder scratch;
    const std::u16string installFolder = scratch.u16() + u"/install";
    TestableProductSelectionGate gate{kProductGateName, handler};
};

// --- before the user chooses (what the rules propose, the stand-in tests show) ---

struct DefaultsRow {
    std::string name, repository, offered, account;  // account settings; empty: none
    std::string installable, selected, minimal;
    std::u16string displayed;
};

const std::string kThree = "COMPILER FLOWMERE VELORA";
const std::u16string kThreeShown = u"Velora, Flowmere, Velora Compiler";
// clang-format off
const DefaultsRow kDefaultsRows[] = {
    {"OfferedAndInTheRepository", kThree, "COMPILER VELORA VELORA_PARALLEL_SERVER", "", "COMPILER VELORA", "COMPILER VELORA", "", u"Velora, Velora Compiler"},
    {"NoRepository", "", "VELORA", "", "", "", "", u""},
    {"UnnamedNotShown", "FLOWMERE GHOST VELORA", "GHOST VELORA FLOWMERE", "", "GHOST VELORA FLOWMERE", "FLOWMERE GHOST VELORA", "", u"Velora, Flowmere"},
    {"AccountsMinimalSet", kThree, kThree, R"({"minimalProducts": ["VELORA"]})", kThree, "VELORA", "VELORA", kThreeShown},
    {"MinimalSetInAnyCase", kThree, kThree, R"({"minimalProducts": ["Velora"]})", kThree, kThree, "Velora", kThreeShown},
    {"MinimalSetBeyondTheRelease", kThree, kThree, R"({"minimalProducts": ["VELORA", "QUARRIX"]})", kThree, kThree, "", kThreeShown},
    {"UnreadableAccount", kThree, kThree, "not json", kThree, kThree, "", kThreeShown},
};
// clang-format on

class DefaultsTest : public ProductSelectionGateTest, public testing::WithParamInterface<DefaultsRow> {};

TEST_P(DefaultsTest, FillTheListsAndProposeASelection) {
    const auto& row = GetParam();
    useRepository(codes(row.repository));
    handler->setOfferedProducts(codes(row.offered));
    if (!row.account.empty()) gate.accountSettings = scratch.writeFile("account.json", row.account);

    gate.setDefaultData();

    EXPECT_EQ(handler->getAvailableProducts(), codes(row.repository));
    EXPECT_EQ(handler->getInstallableProducts(), codes(row.installable));
    EXPECT_EQ(handler->getSelectedProducts(), codes(row.selected));
    EXPECT_EQ(handler->getMinimalProducts(), codes(row.minimal));
    EXPECT_EQ(displayNames(), row.displayed);
}

INSTANTIATE_TEST_SUITE_P(Lists, DefaultsTest, testing::ValuesIn(kDefaultsRows), rowName);

TEST_F(ProductSelectionGateTest, TheFamilyHeadsComeFirstThenTheOthersByUpperCasedName) {
    handler->initializeProductSelectionModel();
    auto list =
        gate.getProductsToDisplayList(codes("TEST FLOWMERE CLIENT VELORA COMPILER VELORA_PARALLEL_SERVER"));
    gate.sortProductToDisplayList(list);
    handler->initializeProductsToDisplayList(list);
    EXPECT_EQ(displayNames(),
              u"Velora Parallel Server, Velora, Flowmere, abacus client, Quarrix Test, Velora Compiler");
}

TEST_F(ProductSelectionGateTest, AnInteractiveRunWithNothingInstallableShowsTheMissingFilesPage) {
    handler->setInstallableProducts({u"VELORA"});
    EXPECT_TRUE(gate.checkIfDataIsReady());
    handler->setInstallableProducts({});

    EXPECT_FALSE(gate.checkIfDataIsReady());

    const auto message = fl::i18n::message("missingInstallationFilesInteractiveMsg", u"2031.1", u"w64pc");
    EXPECT_EQ(status(),
              (ShownStatus{Result::Failure, 1, message, fl::i18n::message("missingInstallationFilesTitle")}));
    EXPECT_THAT(log.lines(), ElementsAre(message));
    EXPECT_THAT(errorRecords(),
                ElementsAre(ErrorRecord{"850", "Unable to load product files", "",
                                        "ProductSelection::ProductSelection::MissingInstallationFiles"}));
    independent().setIsSilent(true);
    EXPECT_TRUE(gate.checkIfDataIsReady());
}

// --- judging a selection ---

struct RefusalRow {
    std::string name, repository, installable, installed, selected;  // repository: empty for all products
    int type;                                                        // 0: the selection passes
    std::u16string argument;                                         // of the message
    std::string missing = {};  // the model's missing products, in display order
};

// What each result type shows and records.
struct Report {
    int type;
    Result result;
    const char *messageKey, *titleKey, *code, *message, *cause;
};

// clang-format off
const Report kReports[] = {
    {10, Result::Failure, "selectedProductNotAvailable", nullptr, "810", "Installation files for the selected products are not available", "ProductValidator::SelectedProductsNotAvailableException"},
    {14, Result::Warning, "reinstallWarningMsg", "reinstallWarningTitle", "820", "All selected products are already installed", "ProductSelection::SelectedProductsAlreadyInstalled"},
    {1, Result::Failure, "missingControllingProductNotInstallableMsg", "productDependenciesTitle", "860", "Required controlling product is not installable", "ProductValidator::MissingControllingDependencyNotInstallable"},
    {22, Result::Warning, "missingDependentProductNotInstallableMsg", nullptr, "870", "Required dependent products are not installable", "ProductValidator::MissingDependencyNotInstallable"},
    {6, Result::Warning, "missingControllingProductsMsg", nullptr, "880", "Controlling product is missed on the selected products", "ProductValidator::MissingDependency"},
};

const std::string kAll = "VELORA VELORA_PARALLEL_SERVER FLOWMERE COMPILER BUGFINDER TEST CLIENT";
// One row per branch; the installer runs end to end show the reinstallation of everything selected,
// the silent one and the plain missing controlling and dependent products (result types 6 and 7).
const RefusalRow kRefusalRows[] = {
    {"UnavailableNamedInDisplayOrder", "", "VELORA", "", "VELORA FLOWMERE NOPE VELORA_PARALLEL_SERVER GHOST", 10, u"Velora Parallel Server, Flowmere"},
    {"UnavailableBeforeNeedsAreJudged", "COMPILER", "COMPILER VELORA", "", "COMPILER VELORA", 10, u"Velora"},
    {"NothingSelected", "", kThree, "", "", 14, u"2031.1"},
    {"OneNewBesideInstalledOnes", "", kThree, "VELORA COMPILER", "VELORA FLOWMERE", 0, u""},
    {"ControllingNotInstallableFirst", "", "TEST", "", "TEST", 1, u"\tVelora\n", "VELORA"},
    {"DependentsNotInstallableBeforeControlling", "", "TEST VELORA", "", "TEST", 22, u"\tQuarrix Bug Finder\n", "BUGFINDER"},
    {"ControllingAndDependents", "", kAll, "", "TEST", 6, u"\tVelora\n\tQuarrix Bug Finder\n", "VELORA BUGFINDER"},
    {"ControllingInstalledInTheFolder", "", "COMPILER", "VELORA", "COMPILER", 0, u""},
};
// clang-format on

class RefusalTest : public ProductSelectionGateTest, public testing::WithParamInterface<RefusalRow> {};

TEST_P(RefusalTest, TheFirstFailingCheckDecidesWhatIsShownAndRecorded) {
    const auto& row = GetParam();
    if (!row.repository.empty()) useRepository(codes(row.repository));
    offer(codes(row.installable));
    handler->setInstalledProducts(codes(row.installed));
    gate.engines.arrange(workflow_test::findsInstalled(codes(row.installed)));
    select(codes(row.selected));

    submit(gate);

    EXPECT_EQ(processed(kProductGateName), row.type == 0);
    EXPECT_EQ(errorRecords().empty(), row.type == 0);
    if (row.type == 0) return;
    const auto& report = *std::find_if(std::begin(kReports), std::end(kReports),
                                       [&](const Report& r) { return r.type == row.type; });
    const auto message = row.type == 14 ? fl::i18n::message(report.messageKey, row.argument, u"w64pc")
                                        : fl::i18n::message(report.messageKey, row.argument);
    const auto title = report.titleKey ? fl::i18n::message(report.titleKey) : std::u16string();
    EXPECT_EQ(status(), (ShownStatus{report.result, row.type, message, title}));
    EXPECT_THAT(log.lines(), ElementsAre(message));
    ASSERT_EQ(errorRecords().size(), 1U);
    auto record = errorRecords()[0];
    if (row.type == 10) {
        EXPECT_FALSE(std::exchange(record.details, "").empty()) << "the rules' own reason";
    }
    EXPECT_EQ(record, (ErrorRecord{report.code, report.message, "",
                                   std::string("ProductSelection::") + report.cause}));
    const auto stored = dependent().getMissingProducts().values();
    EXPECT_EQ(ProductList(stored.begin(), stored.end()), codes(row.missing));
}

INSTANTIATE_TEST_SUITE_P(Selections, RefusalTest, testing::ValuesIn(kRefusalRows), rowName);

TEST_F(ProductSelectionGateTest, AnUnreadableInstallationRecordIsLoggedAndLeavesTheGate) {
    offer(codes(kThree));
    select(codes("VELORA"));
    gate.engines.arrange(workflow_test::findsUnreadableRecord());
    EXPECT_THROW(submit(gate), install::engine::EngineInvalidInstalledProductsException);
    EXPECT_EQ(log.lines().back(), u"Failed to retrieve installed products");
}

// --- disk space: three products of 1000 bytes to install and 100 to fetch each ---

struct SpaceRow {
    std::string name;
    std::u16string workflow;
    bool silent, sameVolume, temporaryFolder;
    std::uint64_t freeInInstall, freeInTemporary;
    std::uint64_t askedOfInstall, askedOfTemporary;  // 0: not asked
    std::u16string shortage;                         // the size a shortage message names; empty: enough space
    bool shown;                                      // as a warning that keeps the page
};

constexpr char16_t kOnline[] = u"Interactive Online Install";
// clang-format off
const SpaceRow kSpaceRows[] = {
    {"FromAFolderShort", kFromFolder, false, true, false, 2999, 0, 3000, 0, u"2.9 KiB", true},
    {"SilentShortGoesOn", kOnline, true, true, true, 10, 0, 3000, 0, u"2.9 KiB", false},
    {"SameVolume", kOnline, false, true, true, 3300, 0, 3300, 0, u"", false},
    {"SameVolumeShort", kOnline, false, true, true, 3299, kPlenty, 3300, 0, u"3.2 KiB", true},
    {"TwoVolumes", kOnline, false, false, true, 3000, 300, 3000, 300, u"", false},
    {"TwoVolumesTemporaryShort", kOnline, false, false, true, kPlenty, 299, 3000, 300, u"300 B", true},
    {"TwoVolumesInstallShort", kOnline, false, false, true, 2999, kPlenty, 3000, 0, u"2.9 KiB", true},
    {"OnlineWithoutTemporaryFolder", kOnline, false, true, false, 0, 0, 0, 0, u"", false},
    {"AnotherWorkflow", u"Vantapak Install", false, true, true, 0, 0, 0, 0, u"", false},
};
// clang-format on

class DiskSpaceTest : public ProductSelectionGateTest, public testing::WithParamInterface<SpaceRow> {};

TEST_P(DiskSpaceTest, EachFolderIsAskedForItsShareAndAShortageIsAWarning) {
    const auto& row = GetParam();
    const std::u16string temporaryFolder = scratch.u16() + u"/tmp";
    offer(codes(kThree));
    select(codes(kThree));
    handler->setWorkflow(row.workflow);
    independent().setIsSilent(row.silent);
    gate.sameVolume = row.sameVolume;
    if (row.temporaryFolder) gate.temporaryFolder = temporaryFolder;
    gate.disks.freeBytes = {{installFolder, row.freeInInstall}, {temporaryFolder, row.freeInTemporary}};

    submit(gate);

    SpaceQuestions asked;
    if (row.askedOfInstall) asked.emplace_back(installFolder, row.askedOfInstall);
    if (row.askedOfTemporary) asked.emplace_back(temporaryFolder, row.askedOfTemporary);
    EXPECT_EQ(*gate.disks.questions, asked);
    EXPECT_EQ(handler->getRequiredInstallSize(), 3000U);
    EXPECT_EQ(processed(kProductGateName), !row.shown);
    const std::u16string message =
        u"There is not enough free disk space for the selected products, which require " + row.shortage +
        u". Free some space or choose another folder, then try again.";
    if (row.shown) {
        EXPECT_EQ(status(), (ShownStatus{Result::Warning, 15, message, u"Not Enough Disk Space"}));
    }
    if (!row.shortage.empty()) {
        EXPECT_THAT(log.lines(), testing::Contains(message));
    }
    const ErrorRecord shortage{"830", "Insufficient disk space", "",
                               "ProductSelection::ProductValidator::NotEnoughSpace"};
    EXPECT_EQ(errorRecords(), row.shortage.empty() ? std::vector<ErrorRecord>{} : std::vector{shortage});
}

INSTANTIATE_TEST_SUITE_P(Installations, DiskSpaceTest, testing::ValuesIn(kSpaceRows), rowName);

// The products recorded in the folder cost no space; the accepted selection is reported product by
// product and forgotten when the page is left.
TEST_F(ProductSelectionGateTest, ProductsAlreadyInTheFolderCostNoSpace) {
    offer(codes(kThree));
    select(codes(kThree));
    install::engine::InstallationManifest record;
    record.addProduct({u"VELORA", u"Velora", u"Velora"});
    record.writeTo(scratch.makeFolder("install"));
    gate.disks.freeBytes = {{installFolder, 2000}};
    submit(gate);
    EXPECT_TRUE(processed(kProductGateName));
    EXPECT_EQ(handler->getRequiredInstallSize(), 2000U);
    const auto velora = diagnostics.records().at(0)["products"][2];
    EXPECT_EQ(velora["product.1"], "VELORA");
    EXPECT_EQ(velora["product.2"], "Velora");
    EXPECT_EQ(velora["product.4"], 1000);
    gate.clearInputData();
    EXPECT_THAT(handler->getSelectedProducts(), IsEmpty());
}

}  // namespace
}  // namespace selection_test
