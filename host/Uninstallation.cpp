#include "host/Uninstallation.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>

#include "ProductRemoval.h"
#include "fl/i18n/TextConversion.h"
#include "host/DestinationClaim.h"
#include "host/ExitStatus.h"
#include "install/cpputil/Logger.h"
#include "install/engine/EngineExceptions.h"

namespace velora::installer {
namespace {

// Beyond this many, what was left is only in the log: a folder full of the user's files is
// not worth a screen of lines.
constexpr std::size_t kLeftShown = 20;

void log(const std::string& line) { install::cpputil::logger::append_message(fl::i18n::to_u16string(line)); }

std::string joined(const std::vector<std::u16string>& names) {
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "" : ", ") + fl::i18n::to_string(name);
    return text;
}

void tell(std::ostream& out, const std::filesystem::path& folder,
          const install::engine::RemovalReport& report, bool logged) {
    const std::string summary = "Removed " + joined(report.products) + " from " + folder.string() + ": " +
                                std::to_string(report.files) + " files, " + std::to_string(report.links) +
                                " links, " + std::to_string(report.folders) + " folders.";
    out << summary << '\n';
    log(summary);
    for (const std::string& registration : report.registrations) {
        out << "Removed " << registration << '\n';
        log("Removed " + registration);
    }
    if (report.folderRemoved) out << "Removed the folder " << folder.string() << ".\n";
    if (report.left.empty()) return;
    out << "Left in place, as it is not what the installation put there:\n";
    for (std::size_t index = 0; index < report.left.size(); ++index) {
        log("Left in place: " + report.left[index]);
        if (index < kLeftShown) out << "  " << report.left[index] << '\n';
    }
    if (report.left.size() > kLeftShown) {
        out << "  ... and " << report.left.size() - kLeftShown << " more"
            << (logged ? " (every one is in the log)" : " (name a log with --log to see every one)") << ".\n";
    }
}

}  // namespace

Uninstallation::Uninstallation(InstallerOptions options, std::ostream& out, std::ostream& err)
    : options_(std::move(options)), out_(out), err_(err) {}

int Uninstallation::run() {
    if (!options_.logFile.empty() && !install::cpputil::logger::set_log_file(options_.logFile)) {
        err_ << "Cannot write the installer log " << options_.logFile << '\n';
        return kExitFailure;
    }
    const std::filesystem::path folder =
        std::filesystem::absolute(options_.uninstallFolder).lexically_normal();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        err_ << "There is no folder " << folder.string() << ": nothing was removed.\n";
        return kExitUsage;
    }
    DestinationClaim claim(options_.waitLock, err_);
    if (claim.claim(folder) != DestinationClaim::Outcome::Claimed) {
        err_ << claim.reason() << '\n';
        return claim.exitStatus();
    }
    std::vector<std::u16string> products;
    for (const std::string& product : options_.products) products.push_back(fl::i18n::to_u16string(product));
    try {
        install::engine::ProductRemoval removal(folder);
        const install::engine::RemovalReport report = removal.remove(products);
        tell(out_, folder, report, !options_.logFile.empty());
        return kExitSuccess;
    } catch (const install::engine::NoInstallationError& noInstallation) {
        err_ << noInstallation.what() << " Nothing was removed.\n";
        return kExitUsage;
    } catch (const std::invalid_argument& unknownProduct) {
        err_ << unknownProduct.what() << " Nothing was removed.\n";
        return kExitUsage;
    } catch (const install::engine::EngineInterruptedException&) {
        err_ << "The uninstallation was interrupted; everything is as it was before.\n";
        return kExitInterrupted;
    } catch (const std::exception& failure) {
        log(std::string("Uninstallation failed: ") + failure.what());
        err_ << "The uninstallation did not complete: " << failure.what()
             << ". Everything is as it was before.\n";
        return kExitFailure;
    }
}

}  // namespace velora::installer
