#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

// Paths from the installation folder ('/'-separated, through no link) as the engine's staging
// and removal walk them, and the names a folder holds.
namespace install::engine {

// "" for a path at the top.
inline std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

inline std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The names in a folder held open by descriptor, without "." and "..", at most `limit` of them;
// nothing when the folder cannot be listed.
std::optional<std::vector<std::string>> namesIn(int folder,
                                                std::size_t limit = std::numeric_limits<std::size_t>::max());

}  // namespace install::engine
