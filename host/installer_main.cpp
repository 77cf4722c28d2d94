// velora-installer: installs Velora products from a folder of product archives, without a
// graphical user interface.
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "host/ExitStatus.h"
#include "host/InstallerApplication.h"
#include "host/Uninstallation.h"
#include "install/cpputil/Interrupt.h"

namespace {

// Which signal stopped the run: SIGTERM ends with its own status, 128 + 15, as a shell reports it.
volatile std::sig_atomic_t stoppingSignal = 0;

extern "C" void onInterrupt(int signal) {
    stoppingSignal = signal;
    install::cpputil::interrupt::set();
}

// Product archives name their files in UTF-8, and the archive library converts every name into
// the character set of LC_CTYPE. A program starts in the "C" locale, where a name that is not
// ASCII cannot be converted at all, and the archive is refused. The built-in C.UTF-8 keeps the
// classification of the "C" locale for ASCII, whatever the user's environment says; the
// environment's own locale serves where C.UTF-8 is missing.
void useUtf8FileNames() {
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) std::setlocale(LC_CTYPE, "");
}

// Archive entries carry local times, and the C library converts each one. With TZ unset it looks
// at the time-zone file again for every conversion; naming the same file once spares a file
// lookup per entry of every archive (thousands per product) without changing any time.
void readTimeZoneOnce() {
    if (std::getenv("TZ") == nullptr) ::setenv("TZ", ":/etc/localtime", 0);
}

// Every reader and writer of the registry store, the uninstaller's included, finds it through
// this variable.
void useRegistryRoot(const std::filesystem::path& root) {
    if (!root.empty()) ::setenv("VELORA_REGISTRY_ROOT", std::filesystem::absolute(root).c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program =
        argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "velora-installer";
    velora::installer::InstallerOptions options;
    try {
        options = velora::installer::parseInstallerOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::cerr << program << ": " << error.what() << '\n';
        return velora::installer::kExitUsage;
    }
    if (options.help) {
        std::cout << velora::installer::installerUsage(program);
        return velora::installer::kExitSuccess;
    }
    useUtf8FileNames();
    readTimeZoneOnce();
    useRegistryRoot(options.registryRoot);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    try {
        const int status = options.uninstallFolder.empty()
                               ? velora::installer::InstallerApplication(options, std::cout, std::cerr,
                                                                         ::isatty(STDOUT_FILENO) == 1)
                                     .run()
                               : velora::installer::Uninstallation(options, std::cout, std::cerr).run();
        return status == velora::installer::kExitInterrupted && stoppingSignal == SIGTERM
                   ? velora::installer::kExitTerminated
                   : status;
    } catch (const std::exception& error) {
        // Whatever escaped the steps still ends as a sentence and a status, never as an abort.
        std::cerr << program << ": the installation stopped: " << error.what() << '\n';
        return velora::installer::kExitFailure;
    }
}
