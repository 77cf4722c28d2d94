#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ArchiveReader.h"
#include "DestinationGuard.h"
#include "TemporaryName.h"
#include "install/enczip/Extract.h"

namespace install::enczip {

// One run of extract(): every entry of the archive, in archive order, into one destination.
class Extraction {
public:
    Extraction(const std::string& archive, const std::string& destination, const ExtractOptions& options);
    void run();

private:
    struct PendingDirectory {
        std::filesystem::path path;
        mode_t permissions;
        std::optional<timespec> modified;
        std::size_t depth;
    };
    struct PlacedLink {
        std::filesystem::path path;
        std::string entryName;
    };

    void placeEntry(archive_entry* entry, const std::string& name);
    void placeDirectory(archive_entry* entry, const std::filesystem::path& relative, const std::string& name);
    void placeFile(archive_entry* entry, const std::filesystem::path& relative, const std::string& name);
    void placeSymbolicLink(archive_entry* entry, const std::filesystem::path& relative,
                           const std::string& name);
    void placeHardLink(archive_entry* entry, const std::filesystem::path& relative, const std::string& name);
    // Puts a finished temporary link or file under its final name, or removes it.
    void moveIntoPlace(const std::filesystem::path& temporary, const std::filesystem::path& relative,
                       const std::filesystem::path& finalPath);
    void reportProgress();
    void verifyLinks() const;
    void settleDirectories();

    ArchiveReader reader_;
    DestinationGuard guard_;
    const ExtractOptions& options_;
    TemporaryName names_;
    ProgressInfo progress_;
    std::vector<PendingDirectory> directories_;
    std::vector<PlacedLink> links_;
};

}  // namespace install::enczip
