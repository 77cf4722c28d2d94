#pragma once

#include <sys/stat.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ConfinedFolder.h"
#include "InstallationManifest.h"
#include "StagingArea.h"
#include "install/enczip/Extract.h"

namespace install::engine {

// Moves staged products into the installation folder. A folder the destination lacks goes in
// whole; one it has is merged, links to folders inside followed; whatever file, link or folder
// stands in the way is kept aside first. Each change is written to the journal before it is
// made, so the staging area can take it back.
class ProductMover {
public:
    ProductMover(const enczip::ConfinedFolder& destination, StagingArea& staging);

    // Moves the content of a staged product folder, whose extraction placed `staged`, and
    // fills the product's files, links and created folders as they now lie in the destination.
    // Throws std::runtime_error (or UnsafeArchiveEntryError) when something cannot be moved.
    void move(const std::filesystem::path& stagedFolder, const std::vector<enczip::PlacedEntry>& staged,
              InstalledProductEntry& product);
    // Puts a file with this content at the top of the destination.
    void placeFile(const std::string& name, const std::string& content);

private:
    void moveFolder(int staged, const std::string& stagedPath, const enczip::ConfinedFolder::Folder& target);
    void moveEntry(int staged, const std::string& stagedName, const struct stat& status,
                   const enczip::ConfinedFolder::Folder& target, const std::string& name);
    // Writes the folder's time down before its first change.
    void touch(const enczip::ConfinedFolder::Folder& target);
    // Where a staged path now lies, and whether a folder moved in whole holds it.
    std::pair<std::string, bool> placedPath(const std::string& stagedPath) const;

    const enczip::ConfinedFolder& destination_;
    StagingArea& staging_;
    // Staged folder path -> destination path, for the folders merged or moved in whole.
    std::map<std::string, std::string> folders_;
    std::set<std::string> movedWhole_;
    std::set<std::string> touched_{""};
};

}  // namespace install::engine
