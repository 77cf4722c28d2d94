#include "registration/productconfig/ProductRegistrationRunner.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <utility>

#include "CommandLinks.h"
#include "InstallationManifest.h"
#include "LaunchTarget.h"
#include "Sha256.h"
#include "fl/i18n/TextConversion.h"
#include "install/platformutil/DefaultDirectoryProvider.h"

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

// Written into the record of the installation folder, so that uninstalling it takes away what
// was placed outside it too. A folder without a record (an application placed on its own) has
// nothing to keep it in.
void record(const fs::path& root, const std::vector<install::engine::InstalledRegistration>& placed) {
    if (root.empty() || placed.empty()) return;
    auto manifest = install::engine::InstallationManifest::readFrom(root);
    if (!manifest) return;
    for (const auto& registration : placed) manifest->addRegistration(registration);
    manifest->writeTo(root);
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
    std::vector<install::engine::InstalledRegistration> placed;
    using Kind = install::engine::InstalledRegistration::Kind;

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
    const auto placeLauncher = [&](Kind kind, const fs::path& folder, fs::perms permissions) {
        const LaunchTarget target = launchTarget();
        const std::string text = desktopEntryText(target);
        const fs::path file = placeFile(folder, target.id + ".desktop", text, permissions);
        placed.push_back({kind, fs::absolute(file).string(), fs::absolute(target.program).string(),
                          install::enczip::Sha256::ofBytes(text)});
        return file;
    };

    if (isSelected("desktopshortcutselected")) {
        attempt("Desktop shortcut", [&] {
            const fs::path file =
                placeLauncher(Kind::DesktopShortcut, host_.desktopFolder,
                              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
            completed_.push_back("Desktop shortcut: " + file.string());
        });
    }
    if (isSelected("startmenushortcut")) {
        attempt("Applications menu entry", [&] {
            const fs::path file = placeLauncher(Kind::MenuEntry, host_.applicationsFolder,
                                                fs::perms::owner_read | fs::perms::owner_write |
                                                    fs::perms::group_read | fs::perms::others_read);
            completed_.push_back("Applications menu entry: " + file.string());
        });
    }
    if (const fs::path linkFolder = option("symlink"); !linkFolder.empty()) {
        attempt("Command links", [&] {
            if (root.empty()) throw std::runtime_error("no installation folder given");
            const std::vector<fs::path> programs = productPrograms(root);
            const LinkResult result = linkPrograms(programs, linkFolder);
            for (const fs::path& program : programs) {
                const std::string name = program.filename().string();
                if (std::find(result.linked.begin(), result.linked.end(), name) != result.linked.end())
                    placed.push_back({Kind::CommandLink, fs::absolute(linkFolder / name).string(),
                                      fs::absolute(program).string(), ""});
            }
            if (!result.linked.empty()) {
                completed_.push_back("Commands linked in " + linkFolder.string() + ": " +
                                     join(result.linked, ", "));
            }
            if (!result.problems.empty()) throw std::runtime_error(join(result.problems, "; "));
        });
    }
    if (const std::string key = option("registrykey"); !key.empty()) {
        attempt("Registry record", [&] {
            if (root.empty()) throw std::runtime_error("no installation folder given");
            const std::u16string keyRoot = fl::i18n::to_u16string(option("registrykeyroot"));
            const std::u16string subRoot = fl::i18n::to_u16string(option("registrykeysubroot"));
            const std::u16string folder = fs::absolute(root).lexically_normal().u16string();
            const install::platformutil::DefaultDirectoryProvider provider;
            provider.recordApplicationInstallation(keyRoot, subRoot, fl::i18n::to_u16string(key), folder);
            const std::string recordKey =
                fl::i18n::to_string(install::platformutil::DefaultDirectoryProvider::installationRecordKey(
                    keyRoot, subRoot, fl::i18n::to_u16string(key)));
            placed.push_back({Kind::InstallationRecord, recordKey, fl::i18n::to_string(folder), ""});
            completed_.push_back("Installation recorded in the registry under " + recordKey);
        });
    }
    attempt("Installation record", [&] { record(root, placed); });
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
