// Every catalogue request of the workflow library names a key of the English catalogue and passes
// exactly the arguments its text takes; a failure names the file and line to fix.
#include <gmock/gmock.h>

#include <regex>

#include "FileText.h"
#include "fl/i18n/Message.h"

namespace fl::i18n {
namespace {

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
