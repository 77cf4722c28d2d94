// A silent run whose selection lacks products the chosen ones depend on: warned, not stopped.

#include "InstallerEndToEndTest.h"

namespace velora::installer::test {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;

struct IncompleteSelection {
    std::string products;
    int resultType;
    std::string messageKey;
    std::string diagnosticsCode;
    std::string missingName;      // display name of the product left out
    std::string missingBaseCode;  // its sample content must stay out of the destination
    std::vector<std::string> installed;
};

void PrintTo(const IncompleteSelection& selection, std::ostream* out) { *out << selection.products; }

class DependencyWarningTest : public InstallerEndToEndTest,
                              public ::testing::WithParamInterface<IncompleteSelection> {};

TEST_P(DependencyWarningTest, WarningIsPrintedAndTheChosenProductsAreInstalled) {
    const IncompleteSelection& selection = GetParam();

    const InstallerOutcome outcome =
        runInstaller(silentInstall(samplePackages(), destination(), selection.products));

    ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    EXPECT_THAT(outcome.out, HasSubstr("Warning (result type " + std::to_string(selection.resultType) + ")"));
    EXPECT_TRUE(containsMessage(outcome.out, selection.messageKey)) << outcome.out;
    EXPECT_THAT(outcome.out, HasSubstr(selection.missingName));
    EXPECT_THAT(diagnosticsErrorCodes(), Contains(selection.diagnosticsCode));
    EXPECT_THAT(recordedBaseCodes(destination()), ::testing::UnorderedElementsAreArray(selection.installed));
    const fs::path missingContent = sampleProductContent(selection.missingBaseCode);
    for (const auto& entry : fs::recursive_directory_iterator(missingContent)) {
        if (entry.is_regular_file()) {
            EXPECT_FALSE(fs::exists(destination() / entry.path().lexically_relative(missingContent)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Selections, DependencyWarningTest,
    ::testing::Values(
        // Quarrix Test needs Quarrix Bug Finder besides Velora.
        IncompleteSelection{"VELORA,QUARRIX_TEST",
                            7,
                            "missingDependentProductsMsg",
                            "840",
                            "Quarrix Bug Finder",
                            "QUARRIX_BUGFINDER",
                            {"VELORA", "QUARRIX_TEST"}},
        // Flowmere needs Velora, which controls the installation.
        IncompleteSelection{
            "FLOWMERE", 6, "missingControllingProductsMsg", "880", "Velora", "VELORA", {"FLOWMERE"}}));

}  // namespace
}  // namespace velora::installer::test
