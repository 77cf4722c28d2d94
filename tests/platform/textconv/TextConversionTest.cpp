#include "fl/i18n/TextConversion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using fl::i18n::to_string;
using fl::i18n::to_u16string;

struct RoundTrip {
    const char* name;
    std::u16string utf16;
    std::string utf8;
};

class TextConversionRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(TextConversionRoundTrip, ConvertsBothWays) {
    EXPECT_EQ(to_string(GetParam().utf16), GetParam().utf8);
    EXPECT_EQ(to_u16string(GetParam().utf8), GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextConversionRoundTrip,
    ::testing::Values(RoundTrip{"Empty", u"", ""}, RoundTrip{"Ascii", u"C:\\Velora\\R1", "C:\\Velora\\R1"},
                      RoundTrip{"TwoBytes", u"Gr\u00fc\u00dfe",
                                "Gr\xc3\xbc\xc3\x9f"
                                "e"},
                      RoundTrip{"ThreeBytes", u"\u20ac\u4e2d", "\xe2\x82\xac\xe4\xb8\xad"},
                      RoundTrip{"LastBmp", u"\uffff", "\xef\xbf\xbf"},
                      RoundTrip{"SurrogatePair", u"a\U0001F600b",
                                "a\xf0\x9f\x98\x80"
                                "b"},
                      RoundTrip{"HighestCodePoint", u"\U0010FFFF", "\xf4\x8f\xbf\xbf"},
                      RoundTrip{"EmbeddedNul", std::u16string(u"a\0b", 3), std::string("a\0b", 3)}),
    [](const auto& info) { return info.param.name; });

struct BadUtf8 {
    const char* name;
    std::string utf8;
    std::u16string expected;
};

class TextConversionBadUtf8 : public ::testing::TestWithParam<BadUtf8> {};

TEST_P(TextConversionBadUtf8, ReplacesEachBadSequenceAndKeepsTheRest) {
    EXPECT_EQ(to_u16string(GetParam().utf8), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, TextConversionBadUtf8,
    ::testing::Values(BadUtf8{"StrayContinuation", "a\x80z", u"a\ufffdz"},
                      BadUtf8{"TruncatedAtEnd", "a\xe2\x82", u"a\ufffd"},
                      BadUtf8{"TruncatedBeforeAscii", "\xe2\x82z", u"\ufffdz"},
                      BadUtf8{"OverlongSlash", "\xc0\xaf", u"\ufffd\ufffd"},
                      BadUtf8{"OverlongThreeBytes", "\xe0\x80\xaf", u"\ufffd\ufffd\ufffd"},
                      BadUtf8{"EncodedSurrogate", "\xed\xa0\x80", u"\ufffd\ufffd\ufffd"},
                      BadUtf8{"AboveUnicode", "\xf4\x90\x80\x80", u"\ufffd\ufffd\ufffd\ufffd"},
                      BadUtf8{"InvalidLead",
                              "\xff"
                              "x",
                              u"\ufffdx"}),
    [](const auto& info) { return info.param.name; });

TEST(TextConversion, UnpairedSurrogatesBecomeReplacementCharacters) {
    const std::u16string text{u'a', char16_t(0xD800), u'b', char16_t(0xDC00), char16_t(0xD83D)};
    EXPECT_EQ(to_string(text),
              "a\xef\xbf\xbd"
              "b\xef\xbf\xbd\xef\xbf\xbd");
}

TEST(TextConversion, ReversedSurrogatePairIsTwoReplacements) {
    const std::u16string text{char16_t(0xDE00), char16_t(0xD83D)};
    EXPECT_EQ(to_string(text), "\xef\xbf\xbd\xef\xbf\xbd");
}

}  // namespace
