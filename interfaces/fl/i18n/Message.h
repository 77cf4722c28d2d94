#pragma once

#include <concepts>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fl/i18n/TextConversion.h"
#include "foundation/ComponentExport.h"

// Localised texts of the installer's message catalogue
// "product_installer:product_installer_resources".
//
// The catalogue is one JSON file per locale, "product_installer_resources.<locale>.json", each an
// object mapping a key to a text with positional arguments {0}, {1}, ... (fmt syntax, so "{0:>12}"
// works and "{{" is a literal brace). A lookup uses the current locale (current_locale), then its
// language alone ("de" for "de_DE"), then English. The English file is the reference: it holds
// every key, and the number of arguments a key takes is the number its English text uses.
//
// A lookup never throws: an unknown key yields "!!missing:<key>!!", a call with the wrong number
// of arguments yields "!!arguments:<key>!!", and a text that cannot be formatted falls back to
// English or yields "!!format:<key>!!"; each case also writes a line to the installer log.
//
// Rule for callers, checked by a test that scans the library's sources: every catalogue text is
// requested as
//     fl::i18n::message("literalKey", arguments...)      resolved at once, or
//     fl::i18n::BaseMsgID("literalKey", arguments...)     resolved later with resolve(),
// spelled out in full (no using-declaration or using-directive for fl::i18n), with the key as one
// plain string literal, so that the scan can pair every key with its argument count.
//
// Arguments may be UTF-16 or UTF-8 strings (std::u16string, std::string, views, literals) or
// integers; they are inserted as text.
namespace fl::i18n {

inline constexpr std::string_view kProductInstallerCatalogue =
    "product_installer:product_installer_resources";

namespace detail {

inline std::string argument(std::u16string_view text) { return to_string(text); }
inline std::string argument(const char16_t* text) { return to_string(text); }
inline std::string argument(std::string_view text) { return std::string(text); }
inline std::string argument(const char* text) { return std::string(text); }
template <std::integral Number>
requires(!std::same_as<Number, bool> && !std::same_as<Number, char> &&
         !std::same_as<Number, char16_t>) std::string argument(Number number) {
    return std::to_string(number);
}

COMPONENT_API std::u16string lookup(std::string_view catalogue, std::string_view key,
                                    const std::vector<std::string>& arguments);

}  // namespace detail

// The text of a key in the current locale, with the arguments inserted.
template <class... Arguments>
std::u16string message(std::string_view key, const Arguments&... arguments) {
    return detail::lookup(kProductInstallerCatalogue, key, {detail::argument(arguments)...});
}

// A key with its arguments, to be resolved later (for example by an error handler that receives
// the title and message it shows).
class COMPONENT_API BaseMsgID {
public:
    template <class... Arguments>
    explicit BaseMsgID(std::string_view key, const Arguments&... arguments)
        : key_(key), arguments_{detail::argument(arguments)...} {}

    const std::string& key() const { return key_; }
    const std::vector<std::string>& arguments() const { return arguments_; }

    // The text in the locale current at the time of the call.
    std::u16string resolve() const;

    bool operator==(const BaseMsgID&) const = default;

private:
    std::string key_;
    std::vector<std::string> arguments_;
};

// The number of arguments a key takes (placeholders of its English text); empty when the English
// catalogue lacks the key.
COMPONENT_API std::optional<std::size_t> argument_count(std::string_view key);

// The locale lookups use: the name of the global C++ locale when it names a language ("de_DE"
// from "de_DE.UTF-8"), otherwise the installer locale, otherwise "en_US".
COMPONENT_API std::string current_locale();

// Whether the catalogues hold messages in the locale's language ("de_DE" or "de"); English always.
COMPONENT_API bool speaks(const std::string& locale);

// The folder holding the catalogue files. By default the "resources" folder next to this
// library, else the folder the build was made from. The host may name another; an empty path
// restores the default. Changing it drops the files read so far.
COMPONENT_API void set_resource_directory(const std::filesystem::path& folder);
COMPONENT_API std::filesystem::path resource_directory();

}  // namespace fl::i18n
