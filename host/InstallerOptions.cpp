#include "host/InstallerOptions.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "host/AnswersFile.h"
#include "host/FileText.h"

namespace velora::installer {

namespace {

// The options without a value; each sets its answer to true.
struct Flag {
    std::string_view name;
    bool InstallerOptions::*option;
};
constexpr Flag kFlags[] = {
    {"--silent", &InstallerOptions::silent},      {"--agree", &InstallerOptions::agreeToLicense},
    {"--events", &InstallerOptions::events},      {"--dry-run", &InstallerOptions::dryRun},
    {"--wait-lock", &InstallerOptions::waitLock}, {"--runtime", &InstallerOptions::runtime},
    {"--help", &InstallerOptions::help},          {"-h", &InstallerOptions::help},
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

// A password never comes from an argument, which every user of the machine can read (ps, /proc):
// a file named on the command line or in the answers, else the environment.
std::string readPassword(const std::filesystem::path& file, const char* variable, const std::string& what) {
    if (file.empty()) {
        const char* password = std::getenv(variable);
        return password != nullptr ? password : "";
    }
    std::string password;
    try {
        password = readWholeFile(file);
    } catch (const std::system_error& failure) {
        throw std::invalid_argument("cannot read the " + what + " password file " + file.string() + ": " +
                                    failure.code().message());
    }
    // A file written by an editor or `echo` ends with a line break that is no part of it.
    while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) password.pop_back();
    return password;
}

[[noreturn]] void refusePasswordArgument(const std::string& option, const std::string& fileOption,
                                         const std::string& variable) {
    throw std::invalid_argument(option +
                                " is not accepted: every user of this machine can read a command line. "
                                "Put the password in a file for " +
                                fileOption + ", or in " + variable);
}

// "STEP=NAME": the workflow name may hold blanks and even "=", the step name neither.
WorkflowSwitch parseWorkflowSwitch(const std::string& value) {
    const auto equals = value.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == value.size())
        throw std::invalid_argument(
            "--switch-workflow expects STEP=WORKFLOW, such as LoginGate=DownloadOnly, not '" + value + "'");
    return {value.substr(0, equals), value.substr(equals + 1)};
}

}  // namespace

InstallerOptions parseInstallerOptions(const std::vector<std::string>& arguments) {
    InstallerOptions options;
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--answers") AnswersFile::apply(arguments[i + 1], options);
    }

    using Handler = std::function<void(const std::string&)>;
    const std::map<std::string, Handler> withValue = {
        {"--answers", [](const std::string&) {}},
        {"--workflow", [&](const std::string& v) { options.workflow = v; }},
        {"--switch-workflow", [&](const std::string& v) { options.switchWorkflow = parseWorkflowSwitch(v); }},
        {"--locale", [&](const std::string& v) { options.locale = v; }},
        {"--packages-root", [&](const std::string& v) { options.packagesRoot = v; }},
        {"--catalogue", [&](const std::string& v) { options.catalogue = v; }},
        {"--destination", [&](const std::string& v) { options.destination = v; }},
        {"--products", [&](const std::string& v) { options.products = splitList(v); }},
        {"--download-folder", [&](const std::string& v) { options.downloadFolder = v; }},
        {"--platforms", [&](const std::string& v) { options.platforms = splitList(v); }},
        {"--repository", [&](const std::string& v) { options.repository = v; }},
        {"--desktop-shortcut",
         [&](const std::string& v) { options.desktopShortcut = parseBool("--desktop-shortcut", v); }},
        {"--start-menu-shortcut",
         [&](const std::string& v) { options.startMenuShortcut = parseBool("--start-menu-shortcut", v); }},
        {"--symlink-folder", [&](const std::string& v) { options.symbolicLinkFolder = v; }},
        {"--improve-velora",
         [&](const std::string& v) { options.improveVelora = parseBool("--improve-velora", v); }},
        {"--proxy-user", [&](const std::string& v) { options.proxyUser = v; }},
        {"--proxy-password-file", [&](const std::string& v) { options.proxyPasswordFile = v; }},
        {"--account", [&](const std::string& v) { options.account = v; }},
        {"--account-password-file", [&](const std::string& v) { options.accountPasswordFile = v; }},
        {"--urls", [&](const std::string& v) { options.urls = v; }},
        {"--shortcut-folder", [&](const std::string& v) { options.shortcutFolder = v; }},
        {"--menu-folder", [&](const std::string& v) { options.menuFolder = v; }},
        {"--log", [&](const std::string& v) { options.logFile = v; }},
        {"--diagnostics", [&](const std::string& v) { options.diagnosticsFile = v; }},
        {"--uninstall", [&](const std::string& v) { options.uninstallFolder = v; }},
        {"--app-bundle", [&](const std::string& v) { options.appBundle = v; }},
        {"--app-destination", [&](const std::string& v) { options.appDestination = v; }},
        {"--registry-root", [&](const std::string& v) { options.registryRoot = v; }},
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
        } else if (argument == "--proxy-password") {
            refusePasswordArgument(argument, "--proxy-password-file", "VELORA_PROXY_PASSWORD");
        } else if (argument == "--account-password") {
            refusePasswordArgument(argument, "--account-password-file", "VELORA_ACCOUNT_PASSWORD");
        } else {
            throw std::invalid_argument("unknown option '" + argument + "' (see --help)");
        }
    }
    options.proxyPassword = readPassword(options.proxyPasswordFile, "VELORA_PROXY_PASSWORD", "proxy");
    options.accountPassword = readPassword(options.accountPasswordFile, "VELORA_ACCOUNT_PASSWORD", "account");
    return options;
}

std::string installerUsage(const std::string& programName) {
    return "Usage: " + programName + R"( [options]

Installs Velora products without a graphical user interface: it walks the steps of a workflow,
supplying the answers given here, and prints what each step reports.

Run:
  --workflow NAME            workflow to run (default "Interactive Install From Folder"; also
                             "Interactive Online Install", "DownloadOnly", "License Manager",
                             which installs the network licence server, LICENSEMANAGER, and
                             "Vantapak Install", the runtime with a packaged application)
  --switch-workflow STEP=WORKFLOW
                             at step STEP change to workflow WORKFLOW, as a user choosing
                             "download only" on the sign-in page does (LoginGate=DownloadOnly);
                             what the first workflow chose is dropped; pages already passed
                             that both share (welcome, licence agreement) are not shown again
  --answers FILE             JSON answers file; options on the command line override it.
                             Keys: workflow, switchWorkflow {step, workflow}, silent, locale,
                             packagesRoot, catalogue, destination, products (list),
                             agreeToLicense, waitLock, runtime, appBundle, appDestination,
                             registryRoot, options {desktopShortcut,
                             startMenuShortcut, symbolicLinkFolder, improveVelora}, proxy
                             {user, passwordFile}, account {email, passwordFile}, urls; checked
                             against docs/answers.schema.json (an unknown key is an error)
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

Velora Runtime (from the packages root, or online with --workflow "Interactive Online Install"):
  --runtime                  install the Velora Runtime alone: an earlier runtime is found
                             through the registry and updated in place; the same update level
                             installs nothing, a newer one replaces the older runtime (which
                             stays working should the replacement fail), and a packages folder
                             that cannot serve the newer level is refused
  --app-bundle DIR           with --workflow "Vantapak Install": the unpacked bundle of the
                             packaged application (application/, ApplicationInstallerManifest.xml),
                             installed with the runtime it needs
  --app-destination DIR      the packaged application's folder (default: its manifest's proposal)
  --registry-root DIR        the machine-wide registry's folder, where installations are recorded
                             and the search path is read (default: VELORA_REGISTRY_ROOT, else
                             /var/lib/velora-installer/registry)

Download only (--workflow DownloadOnly):
  --download-folder DIR      the run's archives and installers go into a new time-stamped folder
                             in DIR; that folder installs offline (--packages-root FOLDER)
  --platforms A,B            platforms to fetch: w64pc, l64pc, m64in, m64ar (default: l64pc)

Online (--workflow "Interactive Online Install", and download only):
  --repository URL           the online product repository (default: PRODUCT_REPOSITORY in the
                             address configuration); an online installation downloads the
                             archives below TMPDIR, and a failed run's downloads are resumed by
                             the next run into the same folder

Online services (download only, online installation):
  --urls FILE                address configuration, a JSON object of addresses: EMBEDDED_SIGNIN
                             (sign-in), ONLINE_SERVICE (connection check), PROXY (proxy for all
                             of them), PRODUCT_REPOSITORY (default: the file VELORA_URL_CONFIGURATION
                             names, else urls.json beside the installer)
  --account EMAIL            the account to sign in with on the sign-in page; a run that already
                             holds a signed-in account's access token (VELORA_ACCESS_TOKEN, never
                             the command line) skips the sign-in
  --account-password-file FILE
                             file holding the account's password (else VELORA_ACCOUNT_PASSWORD;
                             never on the command line, never printed or logged)
  --proxy-user USER          proxy credentials, asked for when the proxy demands them
  --proxy-password-file FILE file holding the proxy password (else VELORA_PROXY_PASSWORD; never
                             on the command line, never printed or logged)

Uninstall:
  --uninstall DIR            take away the products installed in DIR (only those of --products,
                             when given): exactly what the installation put there and outside it
                             (launchers, menu entries, command links), as long as it is unchanged;
                             what stays is listed. The installation's uninstall.sh runs this.

Options of the installation:
  --desktop-shortcut BOOL    create a desktop shortcut (true/false)
  --start-menu-shortcut BOOL create an applications-menu entry
  --symlink-folder DIR       create links to the product's programs in DIR
  --improve-velora BOOL      send usage data to help improve the product
  --shortcut-folder DIR      where desktop shortcuts go (default: the desktop folder)
  --menu-folder DIR          where menu entries go (default: the applications-menu folder)

Output:
  --log FILE                 write the installer log to FILE
  --diagnostics FILE         write every diagnostics record to FILE as a JSON line
  --events                   print one JSON object per step change, validation result and
                             progress change on standard output
  --help, -h                 this text

Exit status:
  0    the installation (or the dry run, or the uninstallation) completed
  1    the installation failed; the reason is printed, the details are in the log
  2    usage error: an unknown option or workflow, an unusable answers file or catalogue,
       a folder with no installation or a product not installed there (--uninstall)
  3    another installer is installing into the same folder (see --wait-lock)
  130  interrupted (Ctrl-C); the folder is left as it was before the run
  143  terminated (SIGTERM); likewise

Example:
  )" + programName +
           R"( --silent --agree --packages-root ./packages \
      --destination /tmp/velora --products VELORA,FLOWMERE --log install.log
)";
}

}  // namespace velora::installer
