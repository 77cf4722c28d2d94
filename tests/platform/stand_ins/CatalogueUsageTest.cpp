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
    std::string key;
    std::size_t arguments;
    std::string problem;
};

// The source with comments and the insides of literals blanked (line breaks kept), so that every
// bracket and comma left is code.
std::string codeOnly(const std::string& source) {
    std::string code = source;
    const auto blankUpTo = [&](std::size_t from, std::size_t to) {
        for (; from < std::min(to, code.size()); ++from) code[from] = code[from] == '\n' ? '\n' : ' ';
        return to;
    };
    const auto find = [&](const char* what, std::size_t from) {
        return std::min(source.find(what, from), source.size());
    };
    for (std::size_t i = 0; i < source.size();) {
        if (source.compare(i, 2, "//") == 0) {
            i = blankUpTo(i, find("\n", i));
        } else if (source.compare(i, 2, "/*") == 0) {
            i = blankUpTo(i, find("*/", i + 2) + 2);
        } else if (source.compare(i, 3, "R\"(") == 0) {
            i = blankUpTo(i + 3, find(")\"", i + 3)) + 2;
        } else if (source[i] == '"' || source[i] == '\'') {
            auto end = i + 1;
            while (end < source.size() && source[end] != source[i] && source[end] != '\n')
                end += source[end] == '\\' ? 2 : 1;
            i = blankUpTo(i + 1, end) + 1;
        } else {
            ++i;
        }
    }
    return code;
}

// Every fl::i18n::message(...) and fl::i18n::BaseMsgID(...) or {...} in a source, in order, and every
// using-declaration, using-directive or alias that would hide requests from this scan.
std::vector<Request> scan(const std::string& source) {
    const std::string code = codeOnly(source);
    std::vector<Request> found;
    static const std::regex hiding(R"(using\s+namespace\s+fl::i18n\b|using\s+fl::i18n::|=\s*fl::i18n\s*;)");
    for (std::sregex_iterator it(code.begin(), code.end(), hiding), end; it != end; ++it)
        found.push_back({static_cast<std::size_t>(it->position()), "", 0, "hides fl::i18n from this check"});
    static const std::regex request(R"(fl::i18n::(message|BaseMsgID)\s*[({])"),
        literal(R"re(\s*"([^"\\]*)"\s*)re");
    for (std::sregex_iterator it(code.begin(), code.end(), request), end; it != end; ++it) {
        const auto open = static_cast<std::size_t>(it->position() + it->length() - 1);
        std::size_t close = code.size(), keyEnd = code.size(), arguments = 0;
        for (std::size_t k = open, depth = 0; k < code.size() && close == code.size(); ++k) {
            if (std::string_view("([{").find(code[k]) != std::string_view::npos) ++depth;
            if (std::string_view(")]}").find(code[k]) != std::string_view::npos && --depth == 0) close = k;
            if (code[k] == ',' && depth == 1 && arguments++ == 0) keyEnd = k;
        }
        std::smatch key;
        const std::string first = source.substr(open + 1, std::min(keyEnd, close) - open - 1);
        const bool plain = close < code.size() && std::regex_match(first, key, literal);
        found.push_back({static_cast<std::size_t>(it->position()), plain ? key[1].str() : "", arguments,
                         plain ? "" : "the key is not one plain string literal"});
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.position < b.position; });
    return found;
}

TEST(CatalogueUsage, TheScanReadsKeysAndArgumentsPastLiteralsCommentsAndNesting) {
    std::vector<std::string> read;
    for (const auto& call :
         scan(R"src(x = fl::i18n::message("folderInvalidCharacterWin", u"'+', '@', ''', '!'");
        // fl::i18n::message("commentedOut", a); /* fl::i18n::message("older") */ log(u"fl::i18n::message(\"x\")");
        f(fl::i18n::message("progressMessage", pad(format(a, 12)), std::u16string{x, y}, u','), fl::i18n::BaseMsgID& t);
        fl::i18n::BaseMsgID{"missingFileTitle", R"(a), b)"}; fl::i18n::message(key, a); fl::i18n::message("a" "b");
        using namespace fl::i18n; fl::i18n::message("unclosed", f(x);)src"))
        read.push_back(call.key + "/" + std::to_string(call.arguments) + call.problem);
    EXPECT_THAT(read, testing::ElementsAre("folderInvalidCharacterWin/1", "progressMessage/3",
                                           "missingFileTitle/1", "/1the key is not one plain string literal",
                                           "/0the key is not one plain string literal",
                                           "/0hides fl::i18n from this check",
                                           "/1the key is not one plain string literal"));
}

TEST(CatalogueUsage, EveryKeyTheLibraryRequestsExistsWithTheArgumentsItsEnglishTextTakes) {
    const fs::path root = WORKFLOW_SOURCE_DIR;
    std::size_t requests = 0;
    std::string faults;
    for (const char* folder : {"workflow_core", "gates"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            if (entry.path().extension() != ".h" && entry.path().extension() != ".cpp") continue;
            const std::string source = install::test::readText(entry.path());
            for (const auto& [position, key, arguments, problem] : scan(source)) {
                const auto line =
                    std::count(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(position), '\n') +
                    1;
                const auto where =
                    fs::relative(entry.path(), root).string() + ":" + std::to_string(line) + ": ";
                const auto expected = argument_count(key);
                if (!problem.empty() || !expected || *expected != arguments) {
                    faults += where + problem + " \"" + key + "\" takes " +
                              (expected ? std::to_string(*expected) : "no") + " arguments, the code passes " +
                              std::to_string(arguments) + "\n";
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
