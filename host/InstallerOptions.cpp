#include "host/InstallerOptions.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace velora::installer {

namespace {

// The options without a value; each sets its answer to true.
struct Flag {
    std::string_view name;
    bool InstallerOptions::*option;
};
constexpr Flag kFlags[] = {
    {"--silent", &InstallerOptions::silent},
    {"--agree", &InstallerOptions::agreeToLicense},
    {"--events", &InstallerOptions::events},
    {"--dry-run", &InstallerOptions::dryRun},
    {"--wait-lock", &InstallerOptions::waitLock},
    {"--help", &InstallerOptions::help},
    {"-h", &InstallerOptions::help},
};

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) {
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

bool parseBool(const std::string& option, const std::string& value) {
    if (value == "true" || value == "yes" || value == "1") return true;
    if (value == "false" || value == "no" || value == "0") return false;
    throw std::invalid_argument(option + " expects true or false, not '" + value + "'");
}

template <class T>
void readIfPresent(const nlohmann::json& object, const char* key, T& target) {
    if (object.contains(key)) target = object.at(key).get<T>();
}

void applyAnswersFile(const std::filesystem::path& file, InstallerOptions& options) {
    std::ifstream stream(file);
    if (!stream) throw std::invalid_argument("cannot read the answers file " + file.string());
    try {
        const auto answers = nlohmann::json::parse(stream);
        readIfPresent(answers, "workflow", options.workflow);
        readIfPresent(answers, "silent", options.silent);
        readIfPresent(answers, "locale", options.locale);
        if (answers.contains("packagesRoot"))
            options.packagesRoot = answers.at("packagesRoot").get<std::string>();
        if (answers.contains("catalogue")) options.catalogue = answers.at("catalogue").get<std::string>();
        readIfPresent(answers, "destination", options.destination);
        readIfPresent(answers, "products", options.products);
        readIfPresent(answers, "agreeToLicense", options.agreeToLicense);
        readIfPresent(answers, "waitLock", options.waitLock);
        if (answers.contains("options")) {
            const auto& chosen = answers.at("options");
            readIfPresent(chosen, "desktopShortcut", options.desktopShortcut);
            readIfPresent(chosen, "startMenuShortcut", options.startMenuShortcut);
            readIfPresent(chosen, "symbolicLinkFolder", options.symbolicLinkFolder);
            readIfPresent(chosen, "improveVelora", options.improveVelora);
        }
        if (answers.contains("proxy")) {
            readIfPresent(answers.at("proxy"), "user", options.proxyUser);
            readIfPresent(answers.at("proxy"), "password", options.proxyPassword);
        }
    } catch (const nlohmann::json::exception& error) {
        // The parser's text may quote the file, which may hold a password: name only the file.
        throw std::invalid_argument("the answers file " + file.string() + " is not valid (" +
                                    std::to_string(error.id) + ")");
    }
}

}  // namespace

InstallerOptions parseInstallerOptions(const std::vector<std::string>& arguments) {
    InstallerOptions options;
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--answers") applyAnswersFile(arguments[i + 1], options);
    }

    using Handler = std::function<void(const std::string&)>;
    const std::map<std::string, Handler> withValue = {
        {"--answers", [](const std::string&) {}},
        {"--workflow", [&](const std::string& v) { options.workflow = v; }},
        {"--locale", [&](const std::string& v) { options.locale = v; }},
        {"--packages-root", [&](const std::string& v) { options.packagesRoot = v; }},
        {"--catalogue", [&](const std::string& v) { options.catalogue = v; }},
        {"--destination", [&](const std::string& v) { options.destination = v; }},
        {"--products", [&](const std::string& v) { options.products = splitList(v); }},
        {"--desktop-shortcut",
         [&](const std::string& v) { options.desktopShortcut = parseBool("--desktop-shortcut", v); }},
        {"--start-menu-shortcut",
         [&](const std::string& v) { options.startMenuShortcut = parseBool("--start-menu-shortcut", v); }},
        {"--symlink-folder", [&](const std::string& v) { options.symbolicLinkFolder = v; }},
        {"--improve-velora",
         [&](const std::string& v) { options.improveVelora = parseBool("--improve-velora", v); }},
        {"--proxy-user", [&](const std::string& v) { options.proxyUser = v; }},
        {"--proxy-password", [&](const std::string& v) { options.proxyPassword = v; }},
        {"--shortcut-folder", [&](const std::string& v) { options.shortcutFolder = v; }},
        {"--menu-folder", [&](const std::string& v) { options.menuFolder = v; }},
        {"--log", [&](const std::string& v) { options.logFile = v; }},
        {"--diagnostics", [&](const std::string& v) { options.diagnosticsFile = v; }},
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto flag = std::find_if(std::begin(kFlags), std::end(kFlags),
                                       [&](const Flag& candidate) { return candidate.name == argument; });
        if (flag != std::end(kFlags)) {
            options.*(flag->option) = true;
        } else if (const auto option = withValue.find(argument); option != withValue.end()) {
            if (i + 1 >= arguments.size()) throw std::invalid_argument(argument + " needs a value");
            option->second(arguments[++i]);
        } else {
            throw std::invalid_argument("unknown option '" + argument + "' (see --help)");
        }
    }
    return options;
}

std::string installerUsage(const std::string& programName) {
    return "Usage: " + programName + R"( [options]

Installs Velora products without a graphical user interface: it walks the steps of a workflow,
supplying the answers given here, and prints what each step reports.

Run:
  --workflow NAME            workflow to run (default "Interactive Install From Folder")
  --answers FILE             JSON answers file; options on the command line override it.
                             Keys: workflow, silent, locale, packagesRoot, catalogue, destination,
                             products (list), agreeToLicense, waitLock, options
                             {desktopShortcut, startMenuShortcut, symbolicLinkFolder,
                             improveVelora}, proxy {user, password}
  --silent                   no questions: a failure ends the run with a non-zero exit status,
                             a warning is acknowledged and the step retried
  --locale LOCALE            language of the messages (default en_US)
  --dry-run                  run every step up to the confirmation, print it, install nothing
  --wait-lock                when another installer is installing into the same folder, wait
                             for it to finish (default: end at once with exit status 3)

What to install:
  --packages-root DIR        folder holding the product archives (<code>.enc, also in DIR/common)
  --catalogue FILE           product catalogue, with the archives' checksums (default:
                             catalogue.json in the packages root, else the installer's own)
  --destination DIR          installation folder
  --products A,B             base codes of the products to install (default: the step's proposal)
  --agree                    accept the software licence agreement

Options of the installation:
  --desktop-shortcut BOOL    create a desktop shortcut (true/false)
  --start-menu-shortcut BOOL create an applications-menu entry
  --symlink-folder DIR       create links to the product's programs in DIR
  --improve-velora BOOL      send usage data to help improve the product
  --shortcut-folder DIR      where desktop shortcuts go (default: the desktop folder)
  --menu-folder DIR          where menu entries go (default: the applications-menu folder)
  --proxy-user USER          proxy credentials for the online service
  --proxy-password PASSWORD  (never printed or logged)

Output:
  --log FILE                 write the installer log to FILE
  --diagnostics FILE         write every diagnostics record to FILE as a JSON line
  --events                   print one JSON object per step change, validation result and
                             progress change on standard output
  --help, -h                 this text

Example:
  )" + programName +
           R"( --silent --agree --packages-root ./packages \
      --destination /tmp/velora --products VELORA,FLOWMERE --log install.log
)";
}

}  // namespace velora::installer
