// Catalogue texts: the locale fallbacks, the marks a faulty request gets, and the shipped catalogue.
#include "fl/i18n/Message.h"

#include <gmock/gmock.h>

#include <fstream>

#include <nlohmann/json.hpp>

#include "MessageCatalogue.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/cpputil/Logger.h"
#include "support/ScratchFolder.h"

namespace fl::i18n {
namespace {

using install::cpputil::installer_locale::setLocale;

struct Lookup {
    const char* name;
    const char16_t* locale;
    const char* key;
    std::vector<std::string> arguments;
    const char16_t* text;
    const char* logged;  // empty: nothing may be logged
};

// A catalogue of the test's own: English, German, Austrian German, and French whose only entry is no text.
TEST(Message, UsesTheMostSpecificUsableTextOrMarksTheRequestAndSaysWhy) {
    workflow_test::ScratchFolder folder;
    const auto write = [&](const std::string& locale, const std::string& json) {
        folder.writeFile("product_installer_resources." + locale + ".json", json);
    };
    write(
        "en",
        R"({"greet": "Hello {0}", "bye": "Bye {0}, {1}", "plain": "Plain", "bad": "Fine {0}", "broken": "Oops {"})");
    write("de", R"({"greet": "Hallo {0}", "bye": "Tschuess {1}, {0}", "bad": "Kaputt {3}"})");
    write("de_AT", R"({"greet": "Servus {0}"})");
    write("fr", R"({"plain": 42})");
    // clang-format off
    for (const auto& [name, locale, key, arguments, text, logged] : {
             Lookup{"RegionFirst", u"de_AT", "greet", {"Ana"}, u"Servus Ana", ""},
             Lookup{"LanguageWhenTheRegionLacksTheKey", u"de_AT", "bye", {"Ana", "Ben"}, u"Tschuess Ben, Ana", ""},
             Lookup{"EnglishForAnUnknownLanguage", u"ja_JP", "greet", {"Ana"}, u"Hello Ana", ""},
             Lookup{"WithoutInstallerLocale", u"", "greet", {"Ana"}, u"Hello Ana", ""},
             Lookup{"UnknownKey", u"en_US", "nope", {}, u"!!missing:nope!!", "has no key 'nope'"},
             Lookup{"TooFewArguments", u"en_US", "bye", {"Ana"}, u"!!arguments:bye!!", "takes 2 arguments, 1 given"},
             Lookup{"BadTranslation", u"de_DE", "bad", {"7"}, u"Fine 7", "'bad' of locale de cannot be formatted"},
             Lookup{"NonTextEntry", u"fr_FR", "plain", {}, u"Plain", "'plain' is not a text"},
             Lookup{"MalformedEnglish", u"en_US", "broken", {}, u"!!format:broken!!", "'broken' of locale en cannot be"}}) {
        // clang-format on
        set_resource_directory(folder.path());  // read afresh, so each lookup logs what it finds
        setLocale(locale);
        const install::cpputil::logger::ScopedCapture log;
        EXPECT_EQ(detail::lookup(kProductInstallerCatalogue, key, arguments), text) << name;
        std::string lines;
        for (const auto& line : log.lines()) lines += to_string(line) + "\n";
        EXPECT_TRUE(*logged ? lines.find(logged) != std::string::npos : lines.empty())
            << name << ": " << lines;
    }
    setLocale(u"de_DE");
    EXPECT_EQ(message("bye", u"2026.1 \u00e9", std::uint64_t{18446744073709551615u}),
              u"Tschuess 18446744073709551615, 2026.1 \u00e9");
    const BaseMsgID deferred("greet", -3);
    setLocale(u"en_US");
    EXPECT_EQ(deferred.resolve(), u"Hello -3") << "resolved in the locale of the moment";
    write("en", "{ this is not json");
    set_resource_directory(folder.path());
    EXPECT_EQ(message("greet", u"Ana"), u"!!missing:greet!!");
    EXPECT_EQ(argument_count("greet"), std::nullopt);
    set_resource_directory({});
}

TEST(Message, PlaceholdersAreCountedByTheirHighestIndex) {
    for (const auto& [text, count] :
         {std::pair{"none", 0}, std::pair{"{0} and {1}", 2}, std::pair{"{1} before {0}", 2},
          std::pair{"{2} only", 3}, std::pair{"{0:>12} of {1}", 2}, std::pair{"{{x}} {0}", 1}})
        EXPECT_EQ(placeholderCount(text), static_cast<std::size_t>(count)) << text;
    for (const char* malformed : {"{}", "open {", "stray }", "{name}"})
        EXPECT_EQ(placeholderCount(malformed), std::nullopt);
}

TEST(ProductInstallerCatalogue, EveryEnglishTextFormatsWithTheArgumentsItTakes) {
    std::ifstream in(resource_directory() / "product_installer_resources.en.json");
    const install::cpputil::logger::ScopedCapture log;
    const auto texts = nlohmann::json::parse(in);
    for (const auto& [key, value] : texts.items()) {
        ASSERT_TRUE(value.is_string()) << key;
        const auto count = argument_count(key);
        ASSERT_TRUE(count.has_value() && *count <= 3) << key;
        const auto text =
            detail::lookup(kProductInstallerCatalogue, key, std::vector<std::string>(*count, "A"));
        EXPECT_EQ(text.find(u"!!"), std::u16string::npos) << key;
    }
    EXPECT_TRUE(log.lines().empty());
}

}  // namespace
}  // namespace fl::i18n
