#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace install::engine {

// Brings a product archive from the repository into a download folder: one streamed copy in
// large blocks, hashed on the way, so the archive is read once for both.
class ArchiveFetcher {
public:
    struct Fetched {
        std::filesystem::path archive;
        std::string sha256;
    };
    // Told the bytes copied so far after every block; it may throw to stop the copy.
    using Progress = std::function<void(std::uint64_t bytesCopied)>;

    // The copy is named after the source. A partial copy is removed when anything fails.
    // Throws std::filesystem::filesystem_error when reading or writing fails.
    static Fetched fetch(const std::filesystem::path& source, const std::filesystem::path& folder,
                         const Progress& progress);
};

}  // namespace install::engine
