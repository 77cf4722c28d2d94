#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>

namespace install::repository_adapter {

struct ArchiveSizes {
    std::uint64_t archiveBytes = 0;
    // Sum of the sizes of the entries once unpacked.
    std::uint64_t unpackedBytes = 0;
};

class ArchiveInspectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Sizes of a zip archive, read from its central directory without unpacking anything.
class ZipArchiveInspector {
public:
    // Throws ArchiveInspectionError when the file cannot be read as a zip archive.
    static ArchiveSizes inspect(const std::filesystem::path& archive);
};

}  // namespace install::repository_adapter
