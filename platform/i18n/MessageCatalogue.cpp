#include "MessageCatalogue.h"

#include <dlfcn.h>

#include <fstream>

#include <nlohmann/json.hpp>

#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Logger.h"

namespace fl::i18n {
namespace {

void logLine(const std::string& text) { install::cpputil::logger::append_message(to_u16string(text)); }

std::filesystem::path libraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&libraryFolder), &info) == 0 || info.dli_fname == nullptr) return {};
    return std::filesystem::path(info.dli_fname).parent_path();
}

std::filesystem::path defaultDirectory() {
    std::error_code ignored;
    const auto besideLibrary = libraryFolder() / "resources";
    if (std::filesystem::is_directory(besideLibrary, ignored)) return besideLibrary;
    return FL_I18N_SOURCE_RESOURCE_DIR;
}

std::string_view fileStem(std::string_view catalogue) {
    const auto colon = catalogue.rfind(':');
    return colon == std::string_view::npos ? catalogue : catalogue.substr(colon + 1);
}

}  // namespace

MessageCatalogue& MessageCatalogue::instance() {
    static MessageCatalogue* const catalogue = new MessageCatalogue();
    return *catalogue;
}

void MessageCatalogue::setDirectory(const std::filesystem::path& folder) {
    std::lock_guard lock(mutex_);
    directory_ = folder;
    files_.clear();
}

std::filesystem::path MessageCatalogue::directory() const {
    std::lock_guard lock(mutex_);
    return directory_.empty() ? defaultDirectory() : directory_;
}

std::shared_ptr<const MessageCatalogue::Entries> MessageCatalogue::entries(std::string_view catalogue,
                                                                           const std::string& locale) {
    std::lock_guard lock(mutex_);
    const auto folder = directory_.empty() ? defaultDirectory() : directory_;
    const auto file = folder / (std::string(fileStem(catalogue)) + "." + locale + ".json");
    auto& cached = files_[file];
    if (!cached) cached = read(file, locale == "en");
    return cached;
}

std::optional<std::string> MessageCatalogue::englishText(std::string_view catalogue, std::string_view key) {
    const auto english = entries(catalogue, "en");
    const auto found = english->find(std::string(key));
    if (found == english->end()) return std::nullopt;
    return found->second;
}

std::shared_ptr<const MessageCatalogue::Entries> MessageCatalogue::read(const std::filesystem::path& file,
                                                                        bool required) const {
    auto texts = std::make_shared<Entries>();
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        // Only the English file must exist; other locales simply fall back to it.
        if (required) logLine("Message catalogue file not found: " + file.string());
        return texts;
    }
    const auto document = nlohmann::json::parse(in, nullptr, false);
    if (!document.is_object()) {
        logLine("Message catalogue file is not a JSON object: " + file.string());
        return texts;
    }
    for (const auto& [key, value] : document.items()) {
        if (value.is_string()) {
            texts->emplace(key, value.get<std::string>());
        } else {
            logLine("Message catalogue entry '" + key + "' is not a text in " + file.string());
        }
    }
    return texts;
}

std::optional<std::size_t> placeholderCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '}') {
            if (i + 1 < text.size() && text[i + 1] == '}') {
                ++i;
                continue;
            }
            return std::nullopt;
        }
        if (text[i] != '{') continue;
        if (i + 1 < text.size() && text[i + 1] == '{') {
            ++i;
            continue;
        }
        std::size_t index = 0;
        std::size_t digits = 0;
        std::size_t j = i + 1;
        for (; j < text.size() && text[j] >= '0' && text[j] <= '9'; ++j, ++digits) {
            index = index * 10 + static_cast<std::size_t>(text[j] - '0');
        }
        // Only numbered placeholders: an automatic "{}" would make the count depend on order.
        if (digits == 0 || j >= text.size() || (text[j] != '}' && text[j] != ':')) return std::nullopt;
        const auto close = text.find('}', j);
        if (close == std::string_view::npos) return std::nullopt;
        count = std::max(count, index + 1);
        i = close;
    }
    return count;
}

std::vector<std::string> localeCandidates(const std::string& locale) {
    std::vector<std::string> candidates;
    const auto add = [&](const std::string& name) {
        if (!name.empty() && std::find(candidates.begin(), candidates.end(), name) == candidates.end()) {
            candidates.push_back(name);
        }
    };
    add(locale);
    add(locale.substr(0, locale.find('_')));
    add("en");
    return candidates;
}

}  // namespace fl::i18n
