// The command line and the answers file: every mistake is one sentence that names what to fix,
// and no password comes from an argument. A password given the installer the way it
// accepts one shows up nowhere it writes: output, events, log, diagnostics, the installation, the
// temporary folder.
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

struct PasswordSource {
    const char* option;  // the refused one
    const char* fileOption;
    const char* variable;
    const char* answersKey;
    std::string InstallerOptions::*password;
};

TEST(InstallerOptionsTest, PasswordsComeFromAFileOrTheEnvironmentNeverFromAnArgument) {
    for (const PasswordSource& source :
         {PasswordSource{"--proxy-password", "--proxy-password-file", "VELORA_PROXY_PASSWORD", "proxy",
                         &InstallerOptions::proxyPassword},
          PasswordSource{"--account-password", "--account-password-file", "VELORA_ACCOUNT_PASSWORD",
                         "account", &InstallerOptions::accountPassword}}) {
        SCOPED_TRACE(source.option);
        workflow_test::ScratchFolder scratch;
        const auto file = scratch.path() / "pw";
        std::ofstream(file) << "s3cret\n";
        const workflow_test::ScopedEnvironmentVariable environment(source.variable, "from-env");

        EXPECT_EQ(parseInstallerOptions({source.fileOption, file.string()}).*source.password, "s3cret");
        const auto answers = scratch.path() / "answers.json";
        std::ofstream(answers) << R"({")" << source.answersKey << R"(": {"passwordFile": ")" << file.string()
                               << R"("}})";
        EXPECT_EQ(parseInstallerOptions({"--answers", answers.string()}).*source.password, "s3cret");
        EXPECT_EQ(parseInstallerOptions({}).*source.password, "from-env");
        EXPECT_THROW(parseInstallerOptions({source.fileOption, (scratch.path() / "none").string()}),
                     std::invalid_argument);
        try {
            parseInstallerOptions({source.option, "s3cret"});
            ADD_FAILURE() << "accepted";
        } catch (const std::invalid_argument& error) {
            EXPECT_THAT(error.what(), HasSubstr(source.fileOption));
            EXPECT_THAT(error.what(), ::testing::Not(HasSubstr("s3cret")));
        }
    }
}

constexpr char kSentinel[] = "SENTINEL-pw-7f3a9c";

using SecretsTest = InstallerEndToEndTest;

TEST_F(SecretsTest, AProxyPasswordAppearsNowhereTheInstallerWrites) {
    setChildVariable("VELORA_PROXY_PASSWORD", kSentinel);
    auto arguments = silentInstall(samplePackages(), destination(), "VELORA");
    arguments.insert(arguments.end(), {"--proxy-user", "someone", "--events"});

    const InstallerOutcome outcome = runInstaller(arguments);

    ASSERT_EQ(outcome.exitStatus, 0) << outcome.transcript();
    EXPECT_EQ(outcome.transcript().find(kSentinel), std::string::npos);
    // The scratch folder holds the installation, the log, the diagnostics and the temporary folder.
    for (const auto& entry : fs::recursive_directory_iterator(root())) {
        if (!entry.is_regular_file()) continue;
        EXPECT_EQ(readText(entry.path()).find(kSentinel), std::string::npos) << entry.path();
    }
}

}  // namespace
}  // namespace velora::installer::test
