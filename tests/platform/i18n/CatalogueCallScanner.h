#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fl::i18n::test {

// One request of a catalogue text found in a source file: fl::i18n::message(...) or
// fl::i18n::BaseMsgID(...) / {...}. A problem is set when the call does not follow the rule of
// Message.h (the key is not one plain string literal, or the call cannot be read) or when the
// file hides the namespace behind a using-declaration or using-directive.
struct CatalogueCall {
    std::filesystem::path file;
    int line = 0;
    std::string key;
    std::size_t argumentCount = 0;
    std::string problem;
};

// Reads C++ source text, skipping comments and the insides of string and character literals.
class CatalogueCallScanner {
public:
    std::vector<CatalogueCall> scan(std::string_view source, const std::filesystem::path& file = {}) const;

    // Every .h, .hpp and .cpp file below the folders, in path order.
    std::vector<CatalogueCall> scanFolders(const std::vector<std::filesystem::path>& folders) const;
};

}  // namespace fl::i18n::test
