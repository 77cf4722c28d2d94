// The command line and the answers file: every mistake is one sentence that names what to fix,
// and no password comes from an argument.
#include <fstream>
#include <ostream>
#include <string>

#include "InstallerEndToEndTest.h"
#include "host/InstallerOptions.h"
#include "support/ScopedEnvironmentVariable.h"

namespace velora::installer::test {
namespace {

using ::testing::HasSubstr;

struct AnswersCase {
    const char* name;
    std::string content;
    std::string error;  // what the message says after the file's name; empty when accepted
};
void PrintTo(const AnswersCase& row, std::ostream* out) { *out << row.name; }

class AnswersFileTest : public ::testing::TestWithParam<AnswersCase> {
protected:
    workflow_test::ScratchFolder scratch;
};

TEST_P(AnswersFileTest, IsCheckedAgainstItsSchemaBeforeAnyOfItIsUsed) {
    const auto file = scratch.path() / "answers.json";
    std::ofstream(file) << GetParam().content;
    if (GetParam().error.empty()) {
        const InstallerOptions options = parseInstallerOptions({"--answers", file.string()});
        EXPECT_EQ(options.destination + "|" + options.proxyUser + "|" + options.proxyPasswordFile.string() +
                      "|" + std::to_string(options.desktopShortcut) + "|" +
                      std::to_string(options.products.size()),
                  "/opt/velora|someone||1|2");
        return;
    }
    try {
        parseInstallerOptions({"--answers", file.string()});
        ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_EQ(error.what(), "the answers file " + file.string() + " " + GetParam().error);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, AnswersFileTest, ::testing::Values(
    AnswersCase{"EveryKnownKey", R"({"destination": "/opt/velora", "products": ["VELORA", "FLOWMERE"],
        "options": {"desktopShortcut": true}, "proxy": {"user": "someone"}, "account": {"email": "a@b.org"},
        "urls": "u.json"})", ""},
    AnswersCase{"TypoNamedWithTheNearestKey", R"({"destinaton": "/opt/velora"})",
                R"(has an unknown key "destinaton" (did you mean "destination"?))"},
    AnswersCase{"UnknownKeyWithNothingNear", R"({"colour": "blue"})", R"(has an unknown key "colour")"},
    AnswersCase{"NestedTypo", R"({"options": {"desktopShortcuts": true}})",
                R"(has an unknown key "options.desktopShortcuts" (did you mean "desktopShortcut"?))"},
    AnswersCase{"PasswordItselfIsNoKey", R"({"proxy": {"password": "x"}})",
                R"(has an unknown key "proxy.password" (did you mean "passwordFile"?))"},
    AnswersCase{"SwitchWithoutItsWorkflow", R"({"switchWorkflow": {"step": "LoginGate"}})",
                R"(has a "switchWorkflow" without "workflow")"},
    AnswersCase{"NotAnObject", R"(["VELORA"])", "must hold an object of answers"},
    AnswersCase{"OptionsAsAList", R"({"options": []})", R"("options" must be an object, not a list)"},
    AnswersCase{"ProxyAsAString", R"({"proxy": "x"})", R"("proxy" must be an object, not a string)"},
    AnswersCase{"FlagAsAString", R"({"silent": "yes"})", R"("silent" must be true or false, not a string)"},
    AnswersCase{"ProductsWithANumber", R"({"products": ["VELORA", 7]})",
                R"("products" must be a list of strings, not a list)"},
    AnswersCase{"NumberTooLarge", R"({"silent": 1e999})", "holds a number too large to read"},
    AnswersCase{"SyntaxErrorPlaced", "{\n  \"silent\": true,\n  \"destination\" \"/opt\"\n}",
                "is not valid JSON: syntax error at line 3, column 22"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(InstallerOptionsTest, PasswordsComeFromAFileOrTheEnvironmentNeverFromAnArgument) {
    workflow_test::ScratchFolder scratch;
    const auto file = scratch.path() / "pw";
    std::ofstream(file) << "s3cret\n";
    const workflow_test::ScopedEnvironmentVariable environment("VELORA_PROXY_PASSWORD", "from-env");
    const workflow_test::ScopedEnvironmentVariable account("VELORA_ACCOUNT_PASSWORD", "account-env");

    EXPECT_EQ(parseInstallerOptions({"--proxy-password-file", file.string()}).proxyPassword, "s3cret");
    const auto answers = scratch.path() / "answers.json";
    std::ofstream(answers) << R"({"proxy": {"passwordFile": ")" << file.string() << R"("}})";
    EXPECT_EQ(parseInstallerOptions({"--answers", answers.string()}).proxyPassword, "s3cret");
    EXPECT_EQ(parseInstallerOptions({}).proxyPassword + parseInstallerOptions({}).accountPassword,
              "from-envaccount-env");
    EXPECT_EQ(parseInstallerOptions({"--account-password-file", file.string()}).accountPassword, "s3cret");
    EXPECT_THROW(parseInstallerOptions({"--account-password", "s3cret"}), std::invalid_argument);
    EXPECT_THROW(parseInstallerOptions({"--proxy-password-file", (scratch.path() / "none").string()}),
                 std::invalid_argument);
    try {
        parseInstallerOptions({"--proxy-password", "s3cret"});
        ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_THAT(error.what(), HasSubstr("--proxy-password-file"));
        EXPECT_THAT(error.what(), ::testing::Not(HasSubstr("s3cret")));
    }
}

}  // namespace
}  // namespace velora::installer::test
