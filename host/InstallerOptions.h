#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velora::installer {

// A change of workflow the user makes on a page, as choosing "download only" on the sign-in page
// does: at the step named `step`, the run goes on as workflow `workflow`.
struct WorkflowSwitch {
    std::string step;
    std::string workflow;
};

// Everything a run is told from outside: the command line, completed by an optional answers
// file (JSON). A value on the command line wins over the same value in the answers file.
struct InstallerOptions {
    std::string workflow = "Interactive Install From Folder";
    std::optional<WorkflowSwitch> switchWorkflow;
    bool silent = false;
    std::string locale = "en_US";
    std::filesystem::path packagesRoot;
    std::filesystem::path catalogue;
    std::string destination;
    std::vector<std::string> products;
    // Download-only runs: the folder below which the run's folder is made, and the platforms.
    std::string downloadFolder;
    std::vector<std::string> platforms;
    // The online product repository's address; empty: the one the address configuration names.
    std::string repository;
    bool agreeToLicense = false;
    bool desktopShortcut = false;
    bool startMenuShortcut = false;
    std::string symbolicLinkFolder;
    bool improveVelora = false;
    std::string proxyUser;
    std::filesystem::path proxyPasswordFile;
    // Read from proxyPasswordFile, else the environment; never printed, logged or recorded.
    std::string proxyPassword;
    // The user's account, signed in on the sign-in page; the password, like the proxy's, comes from
    // accountPasswordFile or the environment and is never printed, logged or recorded.
    std::string account;
    std::filesystem::path accountPasswordFile;
    std::string accountPassword;
    // The address configuration (sign-in page, online service, proxy, repository); empty: the
    // one VELORA_URL_CONFIGURATION names, else urls.json beside the installer.
    std::filesystem::path urls;
    std::filesystem::path shortcutFolder;
    std::filesystem::path menuFolder;
    std::filesystem::path logFile;
    std::filesystem::path diagnosticsFile;
    bool events = false;
    bool dryRun = false;
    // Wait for another installer that holds the destination, instead of ending with status 3.
    bool waitLock = false;
    // The runtime installer: the Velora Runtime alone, through the runtime's steps (detection of
    // an earlier runtime, update decision, validation, runtime progress).
    bool runtime = false;
    // "Vantapak Install": the unpacked bundle of the packaged application, and the folder it goes
    // to (empty: the one its manifest proposes).
    std::filesystem::path appBundle;
    std::string appDestination;
    // The machine-wide registry's folder (installation records, the search path); empty: the
    // one VELORA_REGISTRY_ROOT names, else the system's.
    std::filesystem::path registryRoot;
    // Uninstall the products installed there (those of `products` when given) instead of running a
    // workflow.
    std::filesystem::path uninstallFolder;
    bool help = false;
};

// Parses the command line (argv[0] excluded). The answers file named by --answers is applied
// first, wherever the option stands, so that the rest of the command line overrides it. Throws
// std::invalid_argument with a message fit for the user on an unknown option, a missing or
// malformed value, or an unreadable answers file.
InstallerOptions parseInstallerOptions(const std::vector<std::string>& arguments);

std::string installerUsage(const std::string& programName);

}  // namespace velora::installer
