#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace install::engine {

// What one archive has put into the installation folder so far, so that the content of an
// archive found to be forged can be taken out again.
class ExtractedEntries {
public:
    explicit ExtractedEntries(std::filesystem::path folder);

    // An entry name as the archive stores it, once the entry is in place.
    void remember(const std::string& entryName);
    // Removes the remembered files and links, later entries first, and every folder below the
    // installation folder that this leaves empty. Never throws: what cannot be removed stays.
    void removeAll() const;

private:
    // False when the folder holds something or cannot be removed.
    static bool removeIfEmpty(const std::filesystem::path& folder);

    std::filesystem::path folder_;
    std::vector<std::filesystem::path> entries_;
};

}  // namespace install::engine
