// The usage text: every option the installer takes is documented, every documented option is
// taken, and the example is a command line the installer accepts.
#include <fstream>
#include <regex>
#include <sstream>

#include "InstallerEndToEndTest.h"

namespace velora::installer::test {
namespace {

using ::testing::HasSubstr;

struct DocumentedOption {
    std::string name;
    std::string metavariable;  // empty for a flag
};

std::vector<DocumentedOption> documentedOptions(const std::string& usage) {
    std::vector<DocumentedOption> options;
    static const std::regex line(
        R"(^\s+(-{1,2}[a-z][a-z-]*)(?:,\s*-{1,2}[a-z][a-z-]*)*(?: ([A-Z][A-Z,]*))?)");
    // The example's continuation lines look like option lines; they are not documentation.
    std::istringstream stream(usage.substr(0, usage.find("Example:")));
    for (std::string text; std::getline(stream, text);) {
        std::smatch match;
        if (std::regex_search(text, match, line)) options.push_back({match[1], match[2]});
    }
    return options;
}

std::vector<std::string> exampleArguments(const std::string& usage) {
    const auto at = usage.find("Example:");
    if (at == std::string::npos) return {};
    std::string command = usage.substr(at + std::string("Example:").size());
    command = std::regex_replace(command, std::regex(R"(\\\n)"), " ");
    std::istringstream words(command);
    std::vector<std::string> arguments;
    for (std::string word; words >> word;) arguments.push_back(word);
    return arguments;
}

class HelpTest : public InstallerEndToEndTest {
protected:
    std::string usage() {
        const InstallerOutcome outcome = runInstaller({"--help"});
        EXPECT_EQ(outcome.exitStatus, 0) << outcome.transcript();
        return outcome.out;
    }
};

TEST_F(HelpTest, EveryOptionTheInstallerTakesIsDocumented) {
    const std::string text = usage();
    ASSERT_THAT(text, ::testing::StartsWith("Usage: velora-installer"));
    std::vector<std::string> documented;
    for (const auto& option : documentedOptions(text)) documented.push_back(option.name);
    for (const std::string option : {"--answers",
                                     "--workflow",
                                     "--silent",
                                     "--locale",
                                     "--dry-run",
                                     "--packages-root",
                                     "--catalogue",
                                     "--destination",
                                     "--products",
                                     "--agree",
                                     "--desktop-shortcut",
                                     "--start-menu-shortcut",
                                     "--symlink-folder",
                                     "--improve-velora",
                                     "--shortcut-folder",
                                     "--menu-folder",
                                     "--proxy-user",
                                     "--proxy-password",
                                     "--log",
                                     "--diagnostics",
                                     "--events",
                                     "--help"}) {
        EXPECT_THAT(documented, ::testing::Contains(option));
    }
    EXPECT_THAT(text, HasSubstr("-h"));
}

TEST_F(HelpTest, EveryDocumentedOptionIsAccepted) {
    const std::filesystem::path answers = root() / "answers.json";
    std::ofstream(answers) << "{}";
    const auto options = documentedOptions(usage());
    ASSERT_GE(options.size(), 20u);
    // All on one command line: the installer reads every option before it acts on --help, and
    // names the first one it does not know.
    std::vector<std::string> arguments;
    for (const auto& option : options) {
        arguments.push_back(option.name);
        if (option.metavariable == "BOOL") {
            arguments.push_back("true");
        } else if (option.metavariable == "FILE") {
            arguments.push_back(answers.string());
        } else if (!option.metavariable.empty()) {
            arguments.push_back("value");
        }
    }
    arguments.push_back("--help");
    const InstallerOutcome outcome = runInstaller(arguments);
    EXPECT_EQ(outcome.exitStatus, 0) << ::testing::PrintToString(arguments) << '\n' << outcome.transcript();
}

TEST_F(HelpTest, ExampleIsACommandLineTheInstallerAccepts) {
    auto arguments = exampleArguments(usage());
    ASSERT_GE(arguments.size(), 2u);
    EXPECT_EQ(arguments.front(), "velora-installer");
    EXPECT_THAT(arguments, ::testing::IsSupersetOf({"--silent", "--destination", "--products"}));
    arguments.erase(arguments.begin());
    arguments.push_back("--help");
    const InstallerOutcome outcome = runInstaller(arguments);
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.transcript();
}

TEST_F(HelpTest, UnknownOptionIsRefusedWithAPointerToTheHelp) {
    const InstallerOutcome outcome = runInstaller({"--no-such-option"});
    EXPECT_EQ(outcome.exitStatus, 2);
    EXPECT_THAT(outcome.err, HasSubstr("--no-such-option"));
    EXPECT_THAT(outcome.err, HasSubstr("--help"));
}

}  // namespace
}  // namespace velora::installer::test
