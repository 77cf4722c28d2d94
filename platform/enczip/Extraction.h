#pragma once

#include <sys/types.h>
#include <time.h>

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ArchiveReader.h"
#include "ConfinedFolder.h"
#include "FileDigests.h"
#include "install/enczip/Extract.h"

namespace install::enczip {

// One run of extract(): every entry of the archive, in archive order, into one destination.
class Extraction {
public:
    Extraction(const std::string& archive, const std::string& destination, const ExtractOptions& options);
    std::vector<PlacedEntry> run();

private:
    struct PendingFolder {
        std::string path;
        mode_t permissions;
        std::optional<timespec> modified;
        std::size_t depth;
    };

    void placeEntry(archive_entry* entry, const std::string& name);
    void placeFolder(archive_entry* entry, const std::string& relative, const std::string& name);
    void placeFile(archive_entry* entry, const std::string& relative, const std::string& name);
    void placeLink(archive_entry* entry, const std::string& relative, const std::string& name);
    // The folder an entry goes into, made when missing.
    const ConfinedFolder::Folder& parentOf(const std::string& relative, const std::string& name);
    // Answers where the entry stands in placed_.
    std::size_t remember(PlacedEntry entry);
    void reportProgress();
    void verifyLinks();
    void settleFolders();

    ArchiveReader reader_;
    ConfinedFolder root_;
    const ExtractOptions& options_;
    ProgressInfo progress_;
    std::vector<PendingFolder> folders_;
    std::vector<PlacedEntry> placed_;
    std::unordered_map<std::string, std::size_t> placedAt_;
    // The folder the last file went into, under the path that named it.
    std::optional<ConfinedFolder::Folder> parent_;
    std::string parentKey_;
    FileDigests digests_;
};

}  // namespace install::enczip
