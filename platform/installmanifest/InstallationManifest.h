#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "foundation/ComponentExport.h"

namespace install::engine {

// Paths are UTF-8, '/'-separated, relative to the installation folder and through no link.
struct InstalledFile {
    std::string path;
    std::uint64_t size = 0;
    std::string sha256;
};

struct InstalledLink {
    std::string path;
    std::string target;
};

struct InstalledProductEntry {
    std::u16string baseCode;
    std::u16string name;
    std::u16string productFamily;
    // What the product put in place: so an uninstaller removes exactly that, and a repair can
    // check every file.
    std::vector<InstalledFile> files = {};
    std::vector<InstalledLink> links = {};
    // Folders the installation of this product created.
    std::vector<std::string> folders = {};
};

// Something the installation put outside its folder: a launcher on the desktop or in the
// applications menu, a command link, or the machine-wide registry's record of the installation
// folder (its path the registry key, its target the folder). An uninstallation removes it only
// while it is still what was put there: a launcher with the same content, a link to the same
// program, a record naming the same folder.
struct InstalledRegistration {
    enum class Kind { DesktopShortcut, MenuEntry, CommandLink, InstallationRecord };
    Kind kind = Kind::CommandLink;
    std::string path;    // absolute
    std::string target;  // the program it starts (absolute)
    std::string sha256;  // of a launcher's content; empty for a link
};

// The installation record the engine keeps in every installation folder: the release it belongs
// to and the products installed there, with their files. Stored as JSON in
// "installed_products.json":
//
//   { "formatVersion": 2, "releaseFamily": "2025.1", "releaseStatus": "Release",
//     "updateLevel": 2, "createdFolder": true,
//     "products": [ { "baseCode": "VELORA", "name": "Velora", "family": "Velora",
//                     "files": [ { "path": "bin/velora", "size": 120, "sha256": "9f86…" } ],
//                     "links": [ { "path": "bin/vl", "target": "velora" } ],
//                     "folders": [ "bin" ] } ],
//     "registrations": [ { "kind": "commandLink", "path": "/usr/local/bin/velora",
//                          "target": "/opt/velora/bin/velora", "sha256": "" } ],
//     "installer": "/media/velora/velora-installer" }
//
// Records of format 1 (products without their files) are still read. Beside it lies
// "installed_files.list", the same files, links and folders as plain lines for people and
// scripts (see fileList()).
class COMPONENT_API InstallationManifest {
public:
    static constexpr const char* kFileName = "installed_products.json";
    static constexpr const char* kFileListName = "installed_files.list";
    // Staging folders of installation runs in the installation folder start with this.
    static constexpr const char* kStagingPrefix = ".velora-staging-";
    static constexpr std::int32_t kFormatVersion = 2;

    static std::filesystem::path fileIn(const std::filesystem::path& folder);
    // Nothing when the folder holds no record (or does not exist); throws
    // InstallationManifestException when the record cannot be read or is not one.
    static std::optional<InstallationManifest> readFrom(const std::filesystem::path& folder);
    static InstallationManifest fromJson(const std::string& json);
    // Replaces the record and its list in the folder as a whole: each written under an
    // unguessable name, flushed, renamed over the old one and the folder flushed, so a reader
    // never sees half of it; nothing written aside stays behind on failure. Throws
    // InstallationManifestException.
    void writeTo(const std::filesystem::path& folder) const;

    std::string toJson() const;
    // One line per entry: "f " (file), "l " (link) or "d " (folder the installation created,
    // the deepest first, after every file and link), then the path with every byte other than
    // a letter, digit, '.', '_', '-', '+' or '/' written as \0 and three octal digits, as the
    // shell's printf %b reads it. "d ." closes the list when the installation created the
    // folder itself; "i " names the installer that uninstalls it, when known.
    std::string fileList() const;

    const std::u16string& getReleaseFamily() const;
    const std::u16string& getReleaseStatus() const;
    std::int32_t getUpdateLevel() const;
    void setRelease(std::u16string releaseFamily, std::u16string releaseStatus, std::int32_t updateLevel);
    bool getCreatedFolder() const { return createdFolder_; }
    void setCreatedFolder(bool created) { createdFolder_ = created; }

    // In the order they were added.
    const std::vector<InstalledProductEntry>& getProducts() const;
    // Replaces the entry of the same base code, if any, in place.
    void addProduct(InstalledProductEntry product);
    // False when no such product was recorded.
    bool removeProduct(const std::u16string& baseCode);

    const std::vector<InstalledRegistration>& getRegistrations() const { return registrations_; }
    // Replaces the registration at the same path, if any.
    void addRegistration(InstalledRegistration registration);
    void removeRegistration(const std::string& path);

    // The program that installed the folder last, which also takes it away again.
    const std::string& getInstaller() const { return installer_; }
    void setInstaller(std::string installer) { installer_ = std::move(installer); }

private:
    std::u16string releaseFamily_;
    std::u16string releaseStatus_;
    std::int32_t updateLevel_ = 0;
    bool createdFolder_ = false;
    std::vector<InstalledProductEntry> products_;
    std::vector<InstalledRegistration> registrations_;
    std::string installer_;
};

class COMPONENT_API InstallationManifestException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~InstallationManifestException() override;
};

}  // namespace install::engine
