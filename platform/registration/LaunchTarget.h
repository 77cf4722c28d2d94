#pragma once

#include <filesystem>
#include <string>

namespace registration::productconfig {

// What a launcher starts and how it presents itself.
struct LaunchTarget {
    std::string id;  // file name of the launcher, without ".desktop"
    std::string name;
    std::string comment;
    std::filesystem::path program;
    std::filesystem::path icon;  // empty: none
};

// A launcher file in the desktop-entry format.
std::string desktopEntryText(const LaunchTarget& target);

// Writes text under a temporary name in the same folder, then renames it into place, so a
// reader never sees half a file. Creates the folder when missing. Returns the final path.
std::filesystem::path placeFile(const std::filesystem::path& folder, const std::string& fileName,
                                const std::string& text, std::filesystem::perms permissions);

// Keeps letters, digits, '-' and '_'; path separators and blanks become '-', the rest '_'.
std::string launcherId(const std::string& text);

}  // namespace registration::productconfig
