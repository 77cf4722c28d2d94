#include "fl/i18n/Message.h"

#include <fmt/args.h>
#include <fmt/format.h>

#include <locale>

#include "MessageCatalogue.h"
#include "install/cpputil/InstallerLocale.h"
#include "install/cpputil/Logger.h"

namespace fl::i18n {
namespace {

void logLine(const std::string& text) { install::cpputil::logger::append_message(to_u16string(text)); }

std::u16string marked(std::string_view reason, std::string_view key) {
    return to_u16string("!!" + std::string(reason) + ":" + std::string(key) + "!!");
}

std::optional<std::string> format(const std::string& text, const std::vector<std::string>& arguments) {
    fmt::dynamic_format_arg_store<fmt::format_context> store;
    for (const auto& argument : arguments) store.push_back(argument);
    try {
        return fmt::vformat(fmt::string_view(text), store);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// "de_DE.UTF-8" -> "de_DE", "de-DE" -> "de_DE"; empty for locales that name no language.
std::string languageOf(std::string name) {
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX" || name == "*" ||
        name.find_first_of(";=") != std::string::npos) {
        return {};
    }
    for (auto& c : name) {
        if (c == '-') c = '_';
    }
    return name;
}

}  // namespace

namespace detail {

std::u16string lookup(std::string_view catalogue, std::string_view key,
                      const std::vector<std::string>& arguments) {
    auto& catalogues = MessageCatalogue::instance();
    const auto english = catalogues.englishText(catalogue, key);
    if (!english) {
        logLine("Message catalogue " + std::string(catalogue) + " has no key '" + std::string(key) + "'");
        return marked("missing", key);
    }
    const auto expected = placeholderCount(*english);
    if (expected && *expected != arguments.size()) {
        logLine("Message '" + std::string(key) + "' takes " + std::to_string(*expected) + " arguments, " +
                std::to_string(arguments.size()) + " given");
        return marked("arguments", key);
    }
    const auto locale = current_locale();
    for (const auto& candidate : localeCandidates(locale)) {
        const auto texts = catalogues.entries(catalogue, candidate);
        const auto found = texts->find(std::string(key));
        if (found == texts->end()) continue;
        if (auto text = format(found->second, arguments)) return to_u16string(*text);
        logLine("Message '" + std::string(key) + "' of locale " + candidate + " cannot be formatted");
    }
    return marked("format", key);
}

}  // namespace detail

std::u16string BaseMsgID::resolve() const {
    return detail::lookup(kProductInstallerCatalogue, key_, arguments_);
}

std::optional<std::size_t> argument_count(std::string_view key) {
    const auto english = MessageCatalogue::instance().englishText(kProductInstallerCatalogue, key);
    if (!english) return std::nullopt;
    return placeholderCount(*english);
}

std::string current_locale() {
    if (auto global = languageOf(std::locale().name()); !global.empty()) return global;
    if (auto installer = languageOf(to_string(install::cpputil::installer_locale::getLocale()));
        !installer.empty()) {
        return installer;
    }
    return "en_US";
}

bool speaks(const std::string& locale) {
    const std::string language = languageOf(locale);
    const std::string base = language.substr(0, language.find('_'));
    if (base == "en") return true;
    for (const std::string& candidate : {language, base}) {
        if (!candidate.empty() &&
            !MessageCatalogue::instance().entries(kProductInstallerCatalogue, candidate)->empty())
            return true;
    }
    return false;
}

void set_resource_directory(const std::filesystem::path& folder) {
    MessageCatalogue::instance().setDirectory(folder);
}

std::filesystem::path resource_directory() { return MessageCatalogue::instance().directory(); }

}  // namespace fl::i18n
