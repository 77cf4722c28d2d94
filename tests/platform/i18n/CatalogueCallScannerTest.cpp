#include "CatalogueCallScanner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace fl::i18n::test {
namespace {

using ::testing::IsEmpty;
using ::testing::Not;

struct ScanCase {
    const char* name;
    const char* source;
    const char* key;
    std::size_t arguments;
};

class ScannerReadsCalls : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScannerReadsCalls, FindsKeyAndArgumentCount) {
    const auto calls = CatalogueCallScanner().scan(GetParam().source);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].problem, "");
    EXPECT_EQ(calls[0].key, GetParam().key);
    EXPECT_EQ(calls[0].argumentCount, GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ScannerReadsCalls,
    ::testing::Values(
        ScanCase{"NoArguments", "auto t = fl::i18n::message(\"standardErrorTitle\");", "standardErrorTitle",
                 0},
        ScanCase{"TwoArguments", "m = fl::i18n::message(\"noProductsAlertMsg\", family, u\"w64pc\");",
                 "noProductsAlertMsg", 2},
        ScanCase{"NestedCallsAndBraces",
                 "fl::i18n::message(\"progressMessage\", pad(format(a, 12), b), std::u16string{x, y})",
                 "progressMessage", 2},
        ScanCase{
            "CommasInsideLiterals",
            "fl::i18n::message(\"folderInvalidCharacterWin\", u\"'+', '@', ''', '!', '*', '?', ';', '<', "
            "'>', '|'\")",
            "folderInvalidCharacterWin", 1},
        ScanCase{"CharacterLiteralComma", "fl::i18n::message(\"k\", std::u16string(1, u','), x)", "k", 2},
        ScanCase{"RawStringWithParenthesis", "fl::i18n::message(\"k\", R\"x(a), b)x\")", "k", 1},
        ScanCase{"DigitSeparator", "fl::i18n::message(\"k\", 1'000, 2)", "k", 2},
        ScanCase{"SpreadOverLines", "fl::i18n::message(\n    \"rootDriveWarningMsg\",\n    folder,\n    def)",
                 "rootDriveWarningMsg", 2},
        ScanCase{"DeferredWithParentheses",
                 "handle(fl::i18n::BaseMsgID(\"DownloadErrorMsg\", f, u\"w64pc\"));", "DownloadErrorMsg", 2},
        ScanCase{"DeferredWithBraces", "auto id = fl::i18n::BaseMsgID{\"missingFileTitle\"};",
                 "missingFileTitle", 0},
        ScanCase{"DeferredNamedVariable", "const fl::i18n::BaseMsgID title(\"standardErrorTitle\");",
                 "standardErrorTitle", 0},
        ScanCase{"CommentedOutCallIgnored",
                 "// fl::i18n::message(\"old\", a);\n/* fl::i18n::message(\"older\") */ "
                 "fl::i18n::message(\"new\", a)",
                 "new", 1},
        ScanCase{"CallInsideLiteralIgnored",
                 "log(u\"fl::i18n::message(\\\"x\\\")\"); fl::i18n::message(\"y\")", "y", 0}),
    [](const auto& info) { return info.param.name; });

TEST(CatalogueCallScanner, ReportsTheLineOfEachCall) {
    const auto calls =
        CatalogueCallScanner().scan("a\nb\nfl::i18n::message(\"one\")\n\nfl::i18n::message(\"two\", x)");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].line, 3);
    EXPECT_EQ(calls[1].line, 5);
}

TEST(CatalogueCallScanner, IgnoresBaseMsgIdUsedAsAType) {
    const auto calls = CatalogueCallScanner().scan(
        "void handleException(const fl::i18n::BaseMsgID& title, fl::i18n::BaseMsgID message);\n"
        "std::vector<fl::i18n::BaseMsgID> ids; fl::i18n::BaseMsgID makeTitle(int code) const;");
    EXPECT_THAT(calls, IsEmpty());
}

struct ViolationCase {
    const char* name;
    const char* source;
};

class ScannerFlagsViolations : public ::testing::TestWithParam<ViolationCase> {};

TEST_P(ScannerFlagsViolations, ReportsAProblem) {
    const auto calls = CatalogueCallScanner().scan(GetParam().source);
    ASSERT_FALSE(calls.empty());
    EXPECT_THAT(calls[0].problem, Not(IsEmpty()));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ScannerFlagsViolations,
    ::testing::Values(ViolationCase{"KeyFromVariable", "fl::i18n::message(key, a)"},
                      ViolationCase{"KeyFromConcatenation", "fl::i18n::message(\"a\" + b)"},
                      ViolationCase{"AdjacentLiterals", "fl::i18n::message(\"a\" \"b\")"},
                      ViolationCase{"FunctionPointer", "auto f = &fl::i18n::message<int>;"},
                      ViolationCase{"Unbalanced", "fl::i18n::message(\"a\", f(x)"},
                      ViolationCase{"UsingDirective", "using namespace fl::i18n;"},
                      ViolationCase{"UsingDeclaration", "using fl::i18n::message;"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace fl::i18n::test
