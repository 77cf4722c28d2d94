#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fl::i18n {

// The catalogue files of one process: where they lie and what has been read of them. The texts
// never change while the installer runs, so each file is read once, however many progress
// records ask for the same key.
class MessageCatalogue {
public:
    using Entries = std::unordered_map<std::string, std::string>;

    // Never destroyed, so that texts can still be looked up while the process shuts down.
    static MessageCatalogue& instance();

    void setDirectory(const std::filesystem::path& folder);
    std::filesystem::path directory() const;

    // The texts of one catalogue in one locale ("en", "de_DE"); empty when there is no such file.
    std::shared_ptr<const Entries> entries(std::string_view catalogue, const std::string& locale);

    // The English text of a key, the reference for every other locale.
    std::optional<std::string> englishText(std::string_view catalogue, std::string_view key);

private:
    MessageCatalogue() = default;

    std::shared_ptr<const Entries> read(const std::filesystem::path& file, bool required) const;

    mutable std::mutex mutex_;
    std::filesystem::path directory_;
    std::map<std::filesystem::path, std::shared_ptr<const Entries>> files_;
};

// How many arguments a text uses: one more than its highest placeholder index, 0 for none.
// Empty when the text's braces are malformed.
std::optional<std::size_t> placeholderCount(std::string_view text);

// "de_DE" -> {"de_DE", "de", "en"}; "en_US" -> {"en_US", "en"}.
std::vector<std::string> localeCandidates(const std::string& locale);

}  // namespace fl::i18n
