#include <gtest/gtest.h>

#include <fstream>
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

    // Guards against a scan that silently reads nothing: every textual request must be seen.
    std::size_t textualRequests = 0;
    for (const auto& folder : {root / "workflow_core", root / "gates"}) {
        if (!std::filesystem::is_directory(folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
            std::ifstream in(entry.path());
            for (std::string line; std::getline(in, line);) {
                if (line.find("fl::i18n::message(") != std::string::npos &&
                    line.find("//") == std::string::npos) {
                    ++textualRequests;
                }
            }
        }
    }
    EXPECT_GE(calls.size(), textualRequests);

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
