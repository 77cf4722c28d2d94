// The answers file: reading it, checking it against the built-in schema, applying it.
#include "host/AnswersFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <system_error>
#include <vector>

#include "host/AnswersSchemaText.h"
#include "host/FileText.h"

namespace velora::installer {
namespace {

using nlohmann::json;

std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string expectedType(const json& schema) {
    const std::string type = schema.at("type").get<std::string>();
    if (type == "object") return "an object";
    if (type == "boolean") return "true or false";
    if (type == "array") return "a list of " + expectedType(schema.at("items")).substr(2) + "s";
    return "a string";
}

bool hasType(const json& value, const json& schema) {
    const std::string type = schema.at("type").get<std::string>();
    if (type == "object") return value.is_object();
    if (type == "boolean") return value.is_boolean();
    if (type == "string") return value.is_string();
    if (type == "array") {
        return value.is_array() && std::all_of(value.begin(), value.end(), [&](const json& item) {
                   return hasType(item, schema.at("items"));
               });
    }
    return false;
}

class SchemaCheck {
public:
    explicit SchemaCheck(const std::filesystem::path& file) : file_(file.string()) {}

    void check(const json& value, const json& schema, const std::string& key) const {
        if (!hasType(value, schema)) {
            if (key.empty()) fail("must hold " + expectedType(schema) + " of answers");
            fail("\"" + key + "\" must be " + expectedType(schema) + ", not " + describe(value));
        }
        if (!value.is_object()) return;
        for (const auto& name : schema.value("required", json::array())) {
            if (!value.contains(name.get<std::string>()))
                fail("has a \"" + key + "\" without \"" + name.get<std::string>() + "\"");
        }
        const json& properties = schema.at("properties");
        for (const auto& [name, inner] : value.items()) {
            const std::string path = key.empty() ? name : key + "." + name;
            const auto known = properties.find(name);
            if (known == properties.end())
                fail("has an unknown key \"" + path + "\"" + suggestion(name, properties));
            check(inner, *known, path);
        }
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw AnswersFileError("the answers file " + file_ + " " + what);
    }

    static std::string describe(const json& value) {
        if (value.is_array()) return "a list";
        if (value.is_object()) return "an object";
        if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
        if (value.is_null()) return "null";
        return value.is_string() ? "a string" : "a number";
    }

    static std::string suggestion(const std::string& name, const json& properties) {
        std::string nearest;
        std::size_t best = name.size();
        for (const auto& [known, schema] : properties.items()) {
            const std::size_t distance = editDistance(name, known);
            if (distance < best) {
                best = distance;
                nearest = known;
            }
        }
        // A suggestion further than half the name away would be a guess, not a typo.
        if (nearest.empty() || best * 2 > name.size()) return "";
        return " (did you mean \"" + nearest + "\"?)";
    }

    std::string file_;
};

std::string position(const std::string& text, std::size_t byte) {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t at = 0; at + 1 < byte && at < text.size(); ++at) {
        if (text[at] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string contentOf(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        throw AnswersFileError("the answers file " + file.string() + " does not exist");
    if (!std::filesystem::is_regular_file(file, error))
        throw AnswersFileError("the answers file " + file.string() + " is not a file");
    try {
        return readWholeFile(file);
    } catch (const std::system_error& failure) {
        throw AnswersFileError("cannot read the answers file " + file.string() + ": " +
                               failure.code().message());
    }
}

template <class T>
void readIfPresent(const json& object, const char* key, T& target) {
    if (object.contains(key)) target = object.at(key).get<T>();
}

}  // namespace

void AnswersFile::apply(const std::filesystem::path& file, InstallerOptions& options) {
    const std::string text = contentOf(file);
    json answers;
    try {
        answers = json::parse(text);
    } catch (const json::parse_error& error) {
        // The parser's own text may quote the file: only the place is given.
        throw AnswersFileError("the answers file " + file.string() + " is not valid JSON: syntax error at " +
                               position(text, error.byte));
    } catch (const json::out_of_range&) {
        // A number beyond the range of a double ("1e999"); the parser's text would quote it and
        // names no place.
        throw AnswersFileError("the answers file " + file.string() + " holds a number too large to read");
    }
    SchemaCheck(file).check(answers, json::parse(kAnswersSchemaText), "");

    readIfPresent(answers, "workflow", options.workflow);
    if (answers.contains("switchWorkflow")) {
        const json& change = answers.at("switchWorkflow");
        options.switchWorkflow =
            WorkflowSwitch{change.at("step").get<std::string>(), change.at("workflow").get<std::string>()};
    }
    readIfPresent(answers, "silent", options.silent);
    readIfPresent(answers, "locale", options.locale);
    readIfPresent(answers, "packagesRoot", options.packagesRoot);
    readIfPresent(answers, "catalogue", options.catalogue);
    readIfPresent(answers, "destination", options.destination);
    readIfPresent(answers, "products", options.products);
    readIfPresent(answers, "downloadFolder", options.downloadFolder);
    readIfPresent(answers, "platforms", options.platforms);
    readIfPresent(answers, "repository", options.repository);
    readIfPresent(answers, "agreeToLicense", options.agreeToLicense);
    readIfPresent(answers, "waitLock", options.waitLock);
    readIfPresent(answers, "runtime", options.runtime);
    readIfPresent(answers, "appBundle", options.appBundle);
    readIfPresent(answers, "appDestination", options.appDestination);
    readIfPresent(answers, "registryRoot", options.registryRoot);
    if (answers.contains("options")) {
        const json& chosen = answers.at("options");
        readIfPresent(chosen, "desktopShortcut", options.desktopShortcut);
        readIfPresent(chosen, "startMenuShortcut", options.startMenuShortcut);
        readIfPresent(chosen, "symbolicLinkFolder", options.symbolicLinkFolder);
        readIfPresent(chosen, "improveVelora", options.improveVelora);
    }
    if (answers.contains("proxy")) {
        const json& proxy = answers.at("proxy");
        readIfPresent(proxy, "user", options.proxyUser);
        readIfPresent(proxy, "passwordFile", options.proxyPasswordFile);
    }
    if (answers.contains("account")) {
        const json& account = answers.at("account");
        readIfPresent(account, "email", options.account);
        readIfPresent(account, "passwordFile", options.accountPasswordFile);
    }
    readIfPresent(answers, "urls", options.urls);
}

}  // namespace velora::installer
