#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ConfinedFolder.h"
#include "InstallationManifest.h"

namespace install::engine {

// What an uninstallation took away, and what it left standing.
struct RemovalReport {
    std::vector<std::u16string> products;  // names
    std::size_t files = 0;
    std::size_t links = 0;
    std::size_t folders = 0;
    std::vector<std::string> registrations;  // launchers and command links removed
    std::vector<std::string> left;           // "path: why it stays"
    bool folderRemoved = false;
};

// Takes products out of an installation folder exactly as its record lists them: their files and
// links while unchanged since the installation, the folders their installation created once
// nothing else is in them, and the launchers and command links placed for them outside. What
// the user added or changed stays, and the report names it. Staged like an installation: what
// goes is first moved aside and the record rewritten, so that a failure or an interrupt puts
// everything back, and a run killed on the way is put back by the next one. The caller holds
// the folder's destination claim.
class ProductRemoval {
public:
    // Throws NoInstallationError when the folder holds no installation record,
    // InstallationManifestException when the record cannot be read, std::runtime_error when
    // what an earlier run left cannot be put back.
    explicit ProductRemoval(const std::filesystem::path& folder);

    const InstallationManifest& manifest() const { return manifest_; }

    // Every product when `baseCodes` is empty. Throws std::invalid_argument naming a product
    // not installed there, EngineInterruptedException when the user interrupts, and
    // std::runtime_error when something cannot be removed; in each case nothing changed.
    RemovalReport remove(const std::vector<std::u16string>& baseCodes);
    // Takes every product out as remove() does, reporting the same progress, but keeps what goes
    // in the folder, in a staging folder whose name starts with `prefix`, instead of dropping it:
    // StagingArea::takeBackKept puts it all back. Launchers and links outside stay where they
    // are. Returns the kept folder's name.
    std::string setAside(const std::string& prefix);

    static constexpr const char* kUninstallerScript = "uninstall.sh";

private:
    // `keepPrefix`: set aside rather than remove, the kept folder's name going to `keptName`.
    RemovalReport run(const std::vector<std::u16string>& baseCodes, const std::string* keepPrefix,
                      std::string* keptName);

    std::filesystem::path folder_;
    std::unique_ptr<enczip::ConfinedFolder> destination_;
    InstallationManifest manifest_;
};

class NoInstallationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~NoInstallationError() override;
};

}  // namespace install::engine
