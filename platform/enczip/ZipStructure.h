#pragma once

#include <cstdint>
#include <string>

namespace install::enczip {

// The zip's own table of contents, read before the archive library sees the file. That library
// finds a zip anywhere in a file (behind a tar, say) and turns named pipes into plain files, so
// what it would unpack is not always what was inspected as a zip.
class ZipStructure {
public:
    struct Contents {
        std::uint64_t entries = 0;
        std::uint64_t unpackedBytes = 0;  // the sizes the table of contents gives, summed
    };

    // Throws std::runtime_error unless the file is one zip archive from its first byte to its
    // last, std::filesystem::filesystem_error when it cannot be read, and
    // UnsafeArchiveEntryError for an entry that is a device, pipe or socket.
    static Contents check(const std::string& path);
};

}  // namespace install::enczip
