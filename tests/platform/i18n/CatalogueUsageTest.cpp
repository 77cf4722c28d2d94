#include <gtest/gtest.h>

#include <sstream>

#include "CatalogueCallScanner.h"
#include "fl/i18n/Message.h"

namespace fl::i18n::test {
namespace {

// Every catalogue request in the workflow library names a key of the English catalogue and
// passes exactly the arguments its text uses. A failure names the file and line to fix.
TEST(CatalogueUsage, EveryKeyTheLibraryUsesExistsWithItsArgumentCount) {
    const std::filesystem::path root = WORKFLOW_SOURCE_DIR;
    ASSERT_TRUE(std::filesystem::is_directory(root / "workflow_core"));
    const auto calls = CatalogueCallScanner().scanFolders({root / "workflow_core", root / "gates"});

    std::ostringstream faults;
    for (const auto& call : calls) {
        const auto where =
            std::filesystem::relative(call.file, root).string() + ":" + std::to_string(call.line);
        if (!call.problem.empty()) {
            faults << where << ": " << call.problem << '\n';
            continue;
        }
        const auto expected = argument_count(call.key);
        if (!expected) {
            faults << where << ": key \"" << call.key << "\" is not in the English catalogue\n";
        } else if (*expected != call.argumentCount) {
            faults << where << ": key \"" << call.key << "\" takes " << *expected
                   << " arguments, the code passes " << call.argumentCount << '\n';
        }
    }
    EXPECT_EQ(faults.str(), "");
}

}  // namespace
}  // namespace fl::i18n::test
