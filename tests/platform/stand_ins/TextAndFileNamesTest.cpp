// UTF-16 and UTF-8 both ways with bad input replaced rather than lost, and file-system queries on
// UTF-16 paths.
#include <gtest/gtest.h>
#include <unistd.h>

#include "ScratchFolder.h"
#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/TextConversion.h"
#include "support/ScopedEnvironmentVariable.h"

namespace fl {
namespace {

namespace fs = std::filesystem;
using workflow_test::ScopedEnvironmentVariable;

struct Text {
    std::u16string utf16;
    std::string utf8;
};

TEST(TextConversion, ConvertsBothWaysAndReplacesWhatIsNotValid) {
    for (const auto& [utf16, utf8] :
         {Text{u"", ""}, Text{u"C:\\Velora\\R1", "C:\\Velora\\R1"},
          Text{u"Gr\u00fc\u00dfe",
               "Gr\xc3\xbc\xc3\x9f"
               "e"},
          Text{u"\u20ac\u4e2d", "\xe2\x82\xac\xe4\xb8\xad"}, Text{u"\uffff", "\xef\xbf\xbf"},
          Text{u"a\U0001F600b",
               "a\xf0\x9f\x98\x80"
               "b"},
          Text{u"\U0010FFFF", "\xf4\x8f\xbf\xbf"},
          Text{std::u16string(u"a\0b", 3), std::string("a\0b", 3)}}) {
        EXPECT_EQ(i18n::to_string(utf16), utf8);
        EXPECT_EQ(i18n::to_u16string(utf8), utf16);
    }
    // Stray continuation, truncated sequences, overlong forms, an encoded surrogate, beyond Unicode, a bad
    // lead.
    for (const auto& [replaced, utf8] :
         {Text{u"a\ufffdz", "a\x80z"}, Text{u"a\ufffd", "a\xe2\x82"}, Text{u"\ufffdz", "\xe2\x82z"},
          Text{u"\ufffd\ufffd", "\xc0\xaf"}, Text{u"\ufffd\ufffd\ufffd", "\xe0\x80\xaf"},
          Text{u"\ufffd\ufffd\ufffd", "\xed\xa0\x80"}, Text{u"\ufffd\ufffd\ufffd\ufffd", "\xf4\x90\x80\x80"},
          Text{u"\ufffdx",
               "\xff"
               "x"}}) {
        EXPECT_EQ(i18n::to_u16string(utf8), replaced) << testing::PrintToString(utf8);
    }
    EXPECT_EQ(i18n::to_string(std::u16string{u'a', char16_t(0xD800), u'b', char16_t(0xDC00), char16_t(0xDE00),
                                             char16_t(0xD83D)}),
              "a\xef\xbf\xbd"
              "b\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd")
        << "unpaired or reversed surrogates";
}

TEST(Filesystem, FoldersAreFoundAndCreatedByUtf16PathsAndFailuresToLookAreErrors) {
    install::test::ScratchFolder scratch;
    const std::u16string nested = scratch.text() + u"/gr\u00fc\u00dfe/\u4e2d";
    EXPECT_FALSE(filesystem::exists(nested));
    EXPECT_TRUE(filesystem::create_directories(nested));
    EXPECT_FALSE(filesystem::create_directories(nested)) << "it existed already";
    EXPECT_TRUE(fs::is_directory(scratch.path() /
                                 "gr\xc3\xbc\xc3\x9f"
                                 "e" /
                                 "\xe4\xb8\xad"));
    scratch.writeFile("file", "x");
    EXPECT_THROW(filesystem::create_directories(scratch.text() + u"/file/sub"), fs::filesystem_error);
    if (::geteuid() != 0) {  // permissions do not bind the superuser
        fs::permissions(scratch.path() /
                            "gr\xc3\xbc\xc3\x9f"
                            "e",
                        fs::perms::none);
        EXPECT_THROW(filesystem::exists(nested), fs::filesystem_error) << "a folder that may not be searched";
    }
    for (const auto& [name, path] :
         {Text{u"velora.exe", "bin\\win64\\velora.exe"}, Text{u"velora", "/opt/velora/bin/velora"},
          Text{u"tool.exe", "C:/mixed\\sep/tool.exe"}, Text{u"plain", "plain"}, Text{u"", "/opt/dir/"},
          Text{u"", ""}}) {
        EXPECT_EQ(filesystem::filename(i18n::to_u16string(path)), name) << path;
    }
}

TEST(Filesystem, TheTemporaryFolderIsTheFirstVariableNamingAnExistingFolderElseTmp) {
    install::test::ScratchFolder scratch;
    const ScopedEnvironmentVariable tmpdir("TMPDIR", (scratch.path() / "missing").string()),
        tmp("TMP", std::nullopt), temp("TEMP", ""),
        tempdir("TEMPDIR", scratch.writeFile("file", "x").string());
    EXPECT_EQ(filesystem::tmpname(), u"/tmp");
    const ScopedEnvironmentVariable tmpAgain("TMP", scratch.path().string());
    EXPECT_EQ(filesystem::tmpname(), scratch.text());
}

}  // namespace
}  // namespace fl
