// UTF-16 and UTF-8 both ways with bad input replaced rather than lost, and file-system queries on
// UTF-16 paths.
#include <gtest/gtest.h>

#include "ScratchFolder.h"
#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/TextConversion.h"
#include "support/ScopedEnvironmentVariable.h"

namespace fl {
namespace {

namespace fs = std::filesystem;
using workflow_test::ScopedEnvironmentVariable;

TEST(TextConversion, ConvertsBothWaysAndReplacesWhatIsNotValid) {
    // clang-format off
    for (const auto& [utf16, utf8] : {
             std::pair{std::u16string(u"Gr\u00fc\u00dfe \u20ac\u4e2d"), std::string("Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac\xe4\xb8\xad")},
             std::pair{std::u16string(u"a\U0001F600\U0010FFFF\uffff"), std::string("a\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf\xef\xbf\xbf")},
             std::pair{std::u16string(u"a\0b", 3), std::string("a\0b", 3)}}) {
        // clang-format on
        EXPECT_EQ(i18n::to_string(utf16), utf8);
        EXPECT_EQ(i18n::to_u16string(utf8), utf16);
    }
    // Stray continuation, truncated sequences, overlong forms, an encoded surrogate, beyond Unicode, a bad
    // lead.
    EXPECT_EQ(i18n::to_u16string("a\x80z|\xe2\x82|\xc0\xaf|\xe0\x80\xaf|\xed\xa0\x80|\xf4\x90\x80\x80|\xff"),
              u"a\ufffdz|\ufffd|\ufffd\ufffd|\ufffd\ufffd\ufffd|\ufffd\ufffd\ufffd|\ufffd\ufffd\ufffd\ufffd|"
              u"\ufffd");
    EXPECT_EQ(i18n::to_string(std::u16string{u'a', char16_t(0xD800), u'b', char16_t(0xDC00), char16_t(0xDE00),
                                             char16_t(0xD83D)}),
              "a\xef\xbf\xbd"
              "b\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd")
        << "unpaired or reversed surrogates";
}

TEST(Filesystem, FoldersAreCreatedByUtf16PathsAndTheTemporaryFolderIsTheFirstVariableNamingOne) {
    install::test::ScratchFolder scratch;
    const std::u16string nested = scratch.text() + u"/gr\u00fc\u00dfe/\u4e2d";
    EXPECT_FALSE(filesystem::exists(nested));
    EXPECT_TRUE(filesystem::create_directories(nested));
    EXPECT_FALSE(filesystem::create_directories(nested)) << "it existed already";
    scratch.writeFile("file", "x");
    EXPECT_THROW(filesystem::create_directories(scratch.text() + u"/file/sub"), fs::filesystem_error);
    EXPECT_EQ(filesystem::filename(u"C:/mixed\\sep/tool.exe") + filesystem::filename(u"/opt/dir/"),
              u"tool.exe");
    const ScopedEnvironmentVariable tmpdir("TMPDIR", (scratch.path() / "missing").string()),
        tmp("TMP", std::nullopt), temp("TEMP", ""), tempdir("TEMPDIR", (scratch.path() / "file").string());
    EXPECT_EQ(filesystem::tmpname(), u"/tmp");
    const ScopedEnvironmentVariable tmpAgain("TMP", scratch.path().string());
    EXPECT_EQ(filesystem::tmpname(), scratch.text());
}

}  // namespace
}  // namespace fl
