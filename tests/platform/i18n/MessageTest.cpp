#include "fl/i18n/Message.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <locale>
#include <thread>

#include "MessageCatalogue.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/cpputil/Logger.h"

namespace fl::i18n {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;

// A catalogue folder of the test's own, with English, German and Austrian German texts.
class MessageWithOwnCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "i18n-test-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        write("en", R"({"greeting": "Hello {0}", "farewell": "Bye {0}, {1}", "plain": "Plain",
                        "onlyEnglish": "English only", "badGerman": "Fine {0}", "broken": "Oops {"})");
        write("de",
              R"({"greeting": "Hallo {0}", "farewell": "Tschuess {1}, {0}", "badGerman": "Kaputt {3}"})");
        write("de_AT", R"({"greeting": "Servus {0}"})");
        set_resource_directory(folder_);
        install::cpputil::installer_locale::setLocale(u"en_US");
    }
    void TearDown() override {
        set_resource_directory({});
        install::cpputil::installer_locale::setLocale(u"en_US");
        std::filesystem::remove_all(folder_);
    }

    void write(const std::string& locale, const std::string& json) {
        std::ofstream(folder_ / ("product_installer_resources." + locale + ".json")) << json;
    }

    std::filesystem::path folder_;
    install::cpputil::logger::ScopedCapture log_;
};

struct LocaleCase {
    const char* name;
    const char16_t* installerLocale;
    const char* key;
    const char16_t* expected;
};

class MessageLocaleFallback : public MessageWithOwnCatalogue,
                              public ::testing::WithParamInterface<LocaleCase> {};

TEST_P(MessageLocaleFallback, UsesTheMostSpecificLocaleThatHasTheKey) {
    install::cpputil::installer_locale::setLocale(GetParam().installerLocale);
    if (std::string(GetParam().key) == "farewell") {
        EXPECT_EQ(fl::i18n::message("farewell", u"Ana", "Ben"), GetParam().expected);
    } else {
        EXPECT_EQ(fl::i18n::message("greeting", u"Ana"), GetParam().expected);
    }
    EXPECT_THAT(log_.lines(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Locales, MessageLocaleFallback,
    ::testing::Values(LocaleCase{"MostSpecific", u"de_AT", "greeting", u"Servus Ana"},
                      LocaleCase{"LanguageOnly", u"de_DE", "greeting", u"Hallo Ana"},
                      LocaleCase{"LanguageWhenRegionLacksKey", u"de_AT", "farewell", u"Tschuess Ben, Ana"},
                      LocaleCase{"EnglishForUnknownLanguage", u"fr_FR", "greeting", u"Hello Ana"},
                      LocaleCase{"EnglishRegion", u"en_GB", "farewell", u"Bye Ana, Ben"},
                      LocaleCase{"NoInstallerLocale", u"", "greeting", u"Hello Ana"}),
    [](const auto& info) { return info.param.name; });

TEST_F(MessageWithOwnCatalogue, UnknownKeyIsMarkedAndLogged) {
    EXPECT_EQ(fl::i18n::message("nope"), u"!!missing:nope!!");
    ASSERT_THAT(log_.lines(), SizeIs(1));
    EXPECT_THAT(to_string(log_.lines()[0]), HasSubstr("'nope'"));
}

TEST_F(MessageWithOwnCatalogue, WrongArgumentCountIsMarkedAndLoggedEitherWay) {
    EXPECT_EQ(fl::i18n::message("farewell", u"Ana"), u"!!arguments:farewell!!");
    EXPECT_EQ(fl::i18n::message("plain", u"extra"), u"!!arguments:plain!!");
    ASSERT_THAT(log_.lines(), SizeIs(2));
    EXPECT_THAT(to_string(log_.lines()[0]), HasSubstr("takes 2 arguments, 1 given"));
}

TEST_F(MessageWithOwnCatalogue, BadTranslationFallsBackToEnglish) {
    install::cpputil::installer_locale::setLocale(u"de_DE");
    EXPECT_EQ(fl::i18n::message("badGerman", 7), u"Fine 7");
    EXPECT_THAT(log_.lines(), SizeIs(1));
}

TEST_F(MessageWithOwnCatalogue, NonTextEntryIsSkippedInFavourOfEnglish) {
    write("de", R"({"plain": 42, "greeting": "Hallo {0}"})");
    set_resource_directory(folder_);
    install::cpputil::installer_locale::setLocale(u"de_DE");
    EXPECT_EQ(fl::i18n::message("plain"), u"Plain");
    EXPECT_EQ(fl::i18n::message("greeting", u"Ana"), u"Hallo Ana");
    ASSERT_THAT(log_.lines(), SizeIs(1));
    EXPECT_THAT(to_string(log_.lines()[0]), HasSubstr("'plain' is not a text"));
}

TEST_F(MessageWithOwnCatalogue, MalformedEnglishTextIsMarked) {
    EXPECT_EQ(fl::i18n::message("broken"), u"!!format:broken!!");
    EXPECT_THAT(log_.lines(), Not(IsEmpty()));
}

TEST_F(MessageWithOwnCatalogue, MissingEnglishFileMarksEveryKeyAndSaysWhy) {
    std::filesystem::remove(folder_ / "product_installer_resources.en.json");
    set_resource_directory(folder_);
    EXPECT_EQ(fl::i18n::message("greeting", u"Ana"), u"!!missing:greeting!!");
    EXPECT_THAT(to_string(log_.lines().at(0)), HasSubstr("not found"));
}

TEST_F(MessageWithOwnCatalogue, InvalidJsonIsReportedNotThrown) {
    write("en", "{ this is not json");
    set_resource_directory(folder_);
    EXPECT_EQ(fl::i18n::message("greeting", u"Ana"), u"!!missing:greeting!!");
    EXPECT_THAT(to_string(log_.lines().at(0)), HasSubstr("not a JSON object"));
}

TEST_F(MessageWithOwnCatalogue, ArgumentsOfEveryKindAreInsertedAsText) {
    const std::u16string family = u"R2026a \u00e9";
    EXPECT_EQ(fl::i18n::message("farewell", family, std::string("\xc3\xbc")), u"Bye R2026a \u00e9, \u00fc");
    EXPECT_EQ(fl::i18n::message("farewell", std::uint64_t{18446744073709551615u}, -3),
              u"Bye 18446744073709551615, -3");
}

TEST_F(MessageWithOwnCatalogue, DeferredIdResolvesInTheLocaleOfTheMoment) {
    const fl::i18n::BaseMsgID id("greeting", u"Ana");
    EXPECT_EQ(id.key(), "greeting");
    EXPECT_THAT(id.arguments(), ElementsAre("Ana"));
    EXPECT_EQ(id, fl::i18n::BaseMsgID("greeting", "Ana"));
    EXPECT_EQ(id.resolve(), u"Hello Ana");
    install::cpputil::installer_locale::setLocale(u"de_DE");
    EXPECT_EQ(id.resolve(), u"Hallo Ana");
}

TEST_F(MessageWithOwnCatalogue, ArgumentCountComesFromTheEnglishText) {
    EXPECT_EQ(argument_count("farewell"), 2u);
    EXPECT_EQ(argument_count("plain"), 0u);
    EXPECT_EQ(argument_count("nope"), std::nullopt);
}

TEST_F(MessageWithOwnCatalogue, ConcurrentLookupsAgree) {
    std::vector<std::jthread> readers;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&wrong] {
            for (int i = 0; i < 200; ++i) {
                if (fl::i18n::message("farewell", i, "x") !=
                    u"Bye " + to_u16string(std::to_string(i)) + u", x")
                    ++wrong;
            }
        });
    }
    readers.clear();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(MessageLocale, PlainCLocaleDefersToTheInstallerLocale) {
    const auto previous = std::locale::global(std::locale::classic());
    install::cpputil::installer_locale::setLocale(u"ja_JP");
    EXPECT_EQ(current_locale(), "ja_JP");
    install::cpputil::installer_locale::setLocale(u"");
    EXPECT_EQ(current_locale(), "en_US");
    install::cpputil::installer_locale::setLocale(u"en_US");
    std::locale::global(previous);
}

struct PlaceholderCase {
    const char* text;
    std::optional<std::size_t> expected;
};

class PlaceholderCount : public ::testing::TestWithParam<PlaceholderCase> {};

TEST_P(PlaceholderCount, IsOneMoreThanTheHighestIndex) {
    EXPECT_EQ(placeholderCount(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlaceholderCount,
    ::testing::Values(PlaceholderCase{"none", 0u}, PlaceholderCase{"{0} and {1}", 2u},
                      PlaceholderCase{"{1} before {0}", 2u}, PlaceholderCase{"{2} only", 3u},
                      PlaceholderCase{"{0:>12} of {1}", 2u}, PlaceholderCase{"{{literal}} {0}", 1u},
                      PlaceholderCase{"{}", std::nullopt}, PlaceholderCase{"open {", std::nullopt},
                      PlaceholderCase{"stray }", std::nullopt}, PlaceholderCase{"{name}", std::nullopt}));

}  // namespace
}  // namespace fl::i18n
