// velora-installer: installs Velora products from a folder of product archives, without a
// graphical user interface.
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "host/InstallerApplication.h"
#include "install/cpputil/Interrupt.h"

namespace {

extern "C" void onInterrupt(int) { install::cpputil::interrupt::set(); }

}  // namespace

int main(int argc, char** argv) {
    const std::string program =
        argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "velora-installer";
    velora::installer::InstallerOptions options;
    try {
        options = velora::installer::parseInstallerOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::cerr << program << ": " << error.what() << '\n';
        return 2;
    }
    if (options.help) {
        std::cout << velora::installer::installerUsage(program);
        return 0;
    }
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    velora::installer::InstallerApplication application(options, std::cout, std::cerr,
                                                        ::isatty(STDOUT_FILENO) == 1);
    return application.run();
}
