#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct archive;
struct archive_entry;

namespace install::enczip {

// One pass over a zip archive through libarchive: headers one by one, and the data of
// the current entry in the blocks libarchive already holds (no copy).
class ArchiveReader {
public:
    struct Block {
        const void* data = nullptr;
        std::size_t size = 0;
        std::int64_t offset = 0;  // where the block belongs in the entry; gaps are holes
    };

    // Checks first that the file is a zip archive and nothing else (ZipStructure).
    ArchiveReader(const std::string& path, const std::optional<std::string>& passphrase);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // The next entry's header, valid until the next call; nullptr after the last entry.
    archive_entry* nextEntry();
    // The next block of the current entry's data; false once its data is exhausted.
    bool nextBlock(Block& block, const std::string& entryName);

private:
    [[noreturn]] void fail(const std::string& context) const;

    archive* handle_ = nullptr;
    std::string path_;
};

}  // namespace install::enczip
