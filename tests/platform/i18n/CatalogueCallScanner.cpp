#include "CatalogueCallScanner.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace fl::i18n::test {
namespace {

bool isIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// The source with comments blanked out and every literal's contents replaced by blanks, keeping
// line breaks and the quotes. Positions in the result match positions in the source, so a
// literal's text can be read back from the original.
std::string blankCommentsAndLiterals(std::string_view source) {
    std::string out(source);
    std::size_t i = 0;
    const auto blank = [&](std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to && k < out.size(); ++k) {
            if (out[k] != '\n') out[k] = ' ';
        }
    };
    while (i < source.size()) {
        const char c = source[i];
        if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
            const auto end = source.find('\n', i);
            const auto stop = end == std::string_view::npos ? source.size() : end;
            blank(i, stop);
            i = stop;
        } else if (c == '/' && i + 1 < source.size() && source[i + 1] == '*') {
            const auto end = source.find("*/", i + 2);
            const auto stop = end == std::string_view::npos ? source.size() : end + 2;
            blank(i, stop);
            i = stop;
        } else if (c == 'R' && i + 1 < source.size() && source[i + 1] == '"' &&
                   (i == 0 || !isIdentifierChar(source[i - 1]) || source[i - 1] == 'u' ||
                    source[i - 1] == 'U' || source[i - 1] == 'L' || source[i - 1] == '8')) {
            const auto open = source.find('(', i + 2);
            if (open == std::string_view::npos) return out;
            const std::string closing = ")" + std::string(source.substr(i + 2, open - i - 2)) + "\"";
            const auto end = source.find(closing, open);
            const auto stop = end == std::string_view::npos ? source.size() : end + closing.size();
            blank(i + 2, stop - 1);
            i = stop;
        } else if (c == '"' || c == '\'') {
            // A quote after a digit run is a digit separator (1'000), not a character literal.
            if (c == '\'' && i > 0 && isIdentifierChar(source[i - 1])) {
                std::size_t start = i;
                while (start > 0 && isIdentifierChar(source[start - 1])) --start;
                if (std::isdigit(static_cast<unsigned char>(source[start])) != 0) {
                    ++i;
                    continue;
                }
            }
            std::size_t k = i + 1;
            while (k < source.size() && source[k] != c && source[k] != '\n') k += source[k] == '\\' ? 2 : 1;
            blank(i + 1, k);
            i = k + 1;
        } else {
            ++i;
        }
    }
    return out;
}

int lineOf(std::string_view text, std::size_t position) {
    return 1 + static_cast<int>(
                   std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(position), '\n'));
}

std::size_t skipSpace(std::string_view text, std::size_t i) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) ++i;
    return i;
}

// The plain string literal that makes up all of [from, to) (blanks around it allowed), or false.
bool readPlainLiteral(std::string_view source, std::string_view blanked, std::size_t from, std::size_t to,
                      std::string& key) {
    const auto start = skipSpace(blanked, from);
    if (start >= to || blanked[start] != '"') return false;
    const auto close = blanked.find('"', start + 1);
    if (close == std::string_view::npos || close >= to) return false;
    if (skipSpace(blanked, close + 1) < to) return false;
    key = std::string(source.substr(start + 1, close - start - 1));
    return key.find('\\') == std::string::npos;
}

void scanCall(std::string_view source, std::string_view blanked, std::size_t nameEnd, CatalogueCall& call) {
    const auto open = skipSpace(blanked, nameEnd);
    if (open >= blanked.size() || (blanked[open] != '(' && blanked[open] != '{')) {
        call.problem = "not a call";
        return;
    }
    int depth = 0;
    std::vector<std::size_t> commas;
    std::size_t close = std::string_view::npos;
    for (std::size_t k = open; k < blanked.size(); ++k) {
        const char c = blanked[k];
        if (c == '(' || c == '{' || c == '[') {
            ++depth;
        } else if (c == ')' || c == '}' || c == ']') {
            if (--depth == 0) {
                close = k;
                break;
            }
        } else if (c == ',' && depth == 1) {
            commas.push_back(k);
        }
    }
    if (close == std::string_view::npos) {
        call.problem = "unbalanced brackets";
        return;
    }
    const auto keyEnd = commas.empty() ? close : commas.front();
    if (!readPlainLiteral(source, blanked, open + 1, keyEnd, call.key)) {
        call.problem = "the key is not one plain string literal";
        return;
    }
    call.argumentCount = commas.size();
}

}  // namespace

std::vector<CatalogueCall> CatalogueCallScanner::scan(std::string_view source,
                                                      const std::filesystem::path& file) const {
    const std::string blanked = blankCommentsAndLiterals(source);
    std::vector<CatalogueCall> calls;
    for (const std::string_view hidden :
         {"using namespace fl::i18n", "using fl::i18n::", "namespace i18n ="}) {
        for (auto at = blanked.find(hidden); at != std::string::npos; at = blanked.find(hidden, at + 1)) {
            calls.push_back(
                {file, lineOf(blanked, at), {}, 0, "hides fl::i18n behind '" + std::string(hidden) + "'"});
        }
    }
    for (const std::string_view name : {"fl::i18n::message", "fl::i18n::BaseMsgID"}) {
        for (auto at = blanked.find(name); at != std::string::npos; at = blanked.find(name, at + 1)) {
            const auto end = at + name.size();
            if (end < blanked.size() && isIdentifierChar(blanked[end])) continue;
            if (at > 0 && (isIdentifierChar(blanked[at - 1]) || blanked[at - 1] == ':')) continue;
            CatalogueCall call{file, lineOf(blanked, at), {}, 0, {}};
            auto callStart = end;
            const auto next = skipSpace(blanked, end);
            if (name == "fl::i18n::BaseMsgID" && next < blanked.size() && blanked[next] != '(' &&
                blanked[next] != '{') {
                // Named as a type: "BaseMsgID title("key", ...)" constructs a request, while a
                // parameter, a member or a function returning one ("BaseMsgID title() const") does not.
                auto afterName = next;
                while (afterName < blanked.size() && isIdentifierChar(blanked[afterName])) ++afterName;
                CatalogueCall named = call;
                if (afterName == next) continue;
                scanCall(source, blanked, afterName, named);
                if (!named.problem.empty()) continue;
                callStart = afterName;
            }
            scanCall(source, blanked, callStart, call);
            calls.push_back(std::move(call));
        }
    }
    std::sort(calls.begin(), calls.end(), [](const auto& a, const auto& b) { return a.line < b.line; });
    return calls;
}

std::vector<CatalogueCall> CatalogueCallScanner::scanFolders(
    const std::vector<std::filesystem::path>& folders) const {
    std::vector<std::filesystem::path> files;
    for (const auto& folder : folders) {
        if (!std::filesystem::is_directory(folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            const auto extension = entry.path().extension();
            if (entry.is_regular_file() &&
                (extension == ".h" || extension == ".hpp" || extension == ".cpp")) {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<CatalogueCall> calls;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        auto found = scan(text.str(), file);
        calls.insert(calls.end(), found.begin(), found.end());
    }
    return calls;
}

}  // namespace fl::i18n::test
