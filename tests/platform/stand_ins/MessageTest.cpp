// Catalogue texts: the locale fallbacks, the marks a faulty request gets, the shipped catalogue, and
// every request of the workflow library naming a key of the English catalogue with exactly the arguments
// its text takes (a failure names the file and line to fix).
#include "fl/i18n/Message.h"

#include <gmock/gmock.h>

#include <fstream>
#include <regex>

#include <nlohmann/json.hpp>

#include "FileText.h"
#include "MessageCatalogue.h"
#include "ScratchFolder.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/cpputil/Logger.h"

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
    install::test::ScratchFolder folder;
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
    EXPECT_EQ(message("bye", u"R2026a \u00e9", std::uint64_t{18446744073709551615u}),
              u"Tschuess 18446744073709551615, R2026a \u00e9");
    const BaseMsgID deferred("greet", -3);
    setLocale(u"en_US");
    EXPECT_EQ(deferred.resolve(), u"Hello -3") << "resolved in the locale of the moment";
    std::filesystem::remove(folder.path() / "product_installer_resources.en.json");
    set_resource_directory(folder.path());
    EXPECT_EQ(message("greet", u"Ana"), u"!!missing:greet!!");
    write("en", "{ this is not json");
    set_resource_directory(folder.path());
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

namespace fs = std::filesystem;

struct Request {
    std::size_t position;
    std::string key;  // empty when the key is not one plain string literal
    std::size_t arguments;
};

// Every fl::i18n::message(...) and fl::i18n::BaseMsgID(...) or {...} of a source, and every using or
// alias that would hide requests from this scan (as a request without key).
std::vector<Request> scan(const std::string& source) {
    static const std::regex request(R"re(fl::i18n::(message|BaseMsgID)\s*([({])\s*("([^"\\]*)"\s*[,)}])?)re"),
        hiding(R"(using\s+namespace\s+fl::i18n\b|using\s+fl::i18n::|=\s*fl::i18n\s*;)");
    std::vector<Request> found;
    for (std::sregex_iterator it(source.begin(), source.end(), hiding), end; it != end; ++it)
        found.push_back({static_cast<std::size_t>(it->position()), "", 0});
    for (std::sregex_iterator it(source.begin(), source.end(), request), end; it != end; ++it) {
        Request call{static_cast<std::size_t>(it->position()), (*it)[4], 0};
        // Top-level commas up to the closing bracket, stepping over string and character literals.
        for (auto k = static_cast<std::size_t>(it->position(2)), depth = std::size_t{0}; k < source.size();
             ++k) {
            if (source[k] == '"' || source[k] == '\'') {
                for (const char quote = source[k++]; k < source.size() && source[k] != quote;)
                    k += source[k] == '\\' ? 2 : 1;
            } else if (std::string_view("([{").find(source[k]) != std::string_view::npos) {
                ++depth;
            } else if (std::string_view(")]}").find(source[k]) != std::string_view::npos && --depth == 0) {
                break;
            } else if (source[k] == ',' && depth == 1) {
                ++call.arguments;
            }
        }
        found.push_back(call);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.position < b.position; });
    return found;
}

TEST(CatalogueUsage, EveryKeyTheLibraryRequestsExistsWithTheArgumentsItsEnglishTextTakes) {
    const fs::path root = WORKFLOW_SOURCE_DIR;
    std::size_t requests = 0;
    std::string faults;
    for (const char* folder : {"workflow_core", "gates"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            if (entry.path().extension() != ".h" && entry.path().extension() != ".cpp") continue;
            const std::string source = install::test::readText(entry.path());
            for (const auto& [position, key, arguments] : scan(source)) {
                const auto expected = argument_count(key);
                if (!expected || *expected != arguments) {
                    const auto line =
                        std::count(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(position),
                                   '\n') +
                        1;
                    faults += fs::relative(entry.path(), root).string() + ":" + std::to_string(line) +
                              ": key \"" + key + "\" takes " + (expected ? std::to_string(*expected) : "no") +
                              " arguments, not " + std::to_string(arguments) +
                              " (a key must be one plain literal, fl::i18n spelled out)\n";
                }
                ++requests;
            }
        }
    }
    EXPECT_GT(requests, 50u) << "the library requests dozens of texts: the scan read nothing";
    EXPECT_EQ(faults, "");
}

}  // namespace
}  // namespace fl::i18n
