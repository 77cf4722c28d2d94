#include "registration/productconfig/ProductRegistrationRunner.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <utility>

#include "CommandLinks.h"
#include "LaunchTarget.h"
#include "fl/i18n/TextConversion.h"

namespace fs = std::filesystem;

namespace registration::productconfig {
namespace {

std::string join(const std::vector<std::string>& parts, const std::string& separator) {
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : separator) + part;
    return joined;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

}  // namespace

ProductRegistrationRunner::ProductRegistrationRunner(const std::map<std::string, std::string>& options)
    : ProductRegistrationRunner(options, RegistrationHostSettings::fromEnvironment()) {}

ProductRegistrationRunner::ProductRegistrationRunner(const std::map<std::string, std::string>& options,
                                                     RegistrationHostSettings host)
    : options_(options), host_(std::move(host)) {}

ProductRegistrationRunner::~ProductRegistrationRunner() = default;

std::string ProductRegistrationRunner::option(const std::string& key) const {
    const auto found = options_.find(key);
    return found == options_.end() ? std::string() : found->second;
}

bool ProductRegistrationRunner::isSelected(const std::string& key) const { return option(key) == "true"; }

void ProductRegistrationRunner::runRegistrationCommands() const {
    completed_.clear();
    if (isSelected("skiposcommands")) {
        completed_.push_back(
            "The operating system was left unchanged as requested: no shortcuts, menu entries "
            "or command links were created.");
        return;
    }
    const fs::path root = option("veloraroot");
    std::vector<std::string> failures;
    const auto attempt = [&failures](const std::string& action, const std::function<void()>& work) {
        try {
            work();
        } catch (const std::exception& error) {
            failures.push_back(action + ": " + error.what());
        }
    };
    const auto launchTarget = [&]() {
        LaunchTarget target;
        if (const std::string application = option("vantapakapplicationfilepath"); !application.empty()) {
            target.program = application;
            target.name = option("vantapakapplicationname");
            if (target.name.empty()) target.name = target.program.stem().string();
            target.icon = option("vantapakapplicationiconfilepath");
            target.id = "vantapak-" + launcherId(target.name);
            target.comment = target.name;
            return target;
        }
        if (root.empty()) throw std::runtime_error("no installation folder given");
        const std::vector<fs::path> programs = productPrograms(root);
        if (programs.empty()) throw std::runtime_error("no program in " + (root / "bin").string());
        // The product's own launcher when it has one, else the first program by name.
        target.program = programs.front();
        for (const fs::path& program : programs) {
            if (program.filename() == "velora") target.program = program;
        }
        const std::string edition = root.filename().string();
        target.name =
            equalsIgnoringCase(edition, "velora") || edition.empty() ? "Velora" : "Velora " + edition;
        target.comment = "Velora installed in " + root.string();
        target.id = "velora-" + launcherId(root.relative_path().string());
        return target;
    };

    if (isSelected("desktopshortcutselected")) {
        attempt("Desktop shortcut", [&] {
            const LaunchTarget target = launchTarget();
            const fs::path placed =
                placeFile(host_.desktopFolder, target.id + ".desktop", desktopEntryText(target),
                          fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
            completed_.push_back("Desktop shortcut: " + placed.string());
        });
    }
    if (isSelected("startmenushortcut")) {
        attempt("Applications menu entry", [&] {
            const LaunchTarget target = launchTarget();
            const fs::path placed =
                placeFile(host_.applicationsFolder, target.id + ".desktop", desktopEntryText(target),
                          fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
            completed_.push_back("Applications menu entry: " + placed.string());
        });
    }
    if (const fs::path linkFolder = option("symlink"); !linkFolder.empty()) {
        attempt("Command links", [&] {
            if (root.empty()) throw std::runtime_error("no installation folder given");
            const LinkResult result = linkPrograms(productPrograms(root), linkFolder);
            if (!result.linked.empty()) {
                completed_.push_back("Commands linked in " + linkFolder.string() + ": " +
                                     join(result.linked, ", "));
            }
            if (!result.problems.empty()) throw std::runtime_error(join(result.problems, "; "));
        });
    }
    if (!failures.empty()) throw std::runtime_error("Registration incomplete. " + join(failures, " "));
}

std::u16string ProductRegistrationRunner::getInstallationNotes(
    const std::vector<std::u16string>& products) const {
    std::vector<std::string> names;
    for (const std::u16string& product : products) names.push_back(fl::i18n::to_string(product));
    const std::string root = option("veloraroot");
    std::string notes = names.empty() ? "No products were installed in " + root + "."
                                      : "Installed in " + root + ": " + join(names, ", ") + ".";
    for (const std::string& line : completed_) notes += "\n" + line;
    return fl::i18n::to_u16string(notes);
}

}  // namespace registration::productconfig
