#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "Sha256.h"

namespace install::downloader {

// The file a download grows in ("<target>.part"), opened for the whole attempt. Failures are
// std::system_error naming the file.
class PartFile {
public:
    // Opens the file, creating it empty when there is none: an existing one is kept for resuming.
    explicit PartFile(std::filesystem::path path);
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    std::uint64_t size() const { return size_; }
    // Drops what the file holds, for a transfer that starts again from the first byte.
    void restart();
    void append(const char* data, std::size_t size);
    // Of everything the file holds. A file written from its first byte by this object is hashed
    // as it is written; one that held a part already is read again. Call it once.
    std::string sha256Hex();
    // Flushes the file to the disk and renames it to target, the rename itself made durable.
    void commitAs(const std::filesystem::path& target);
    // Deletes the file: what it holds is known to be wrong.
    void remove();
    // Deletes the file when it holds nothing, so a failed first attempt leaves no trace.
    void removeIfEmpty() noexcept;

private:
    [[noreturn]] void fail(const std::string& what) const;

    std::filesystem::path path_;
    int descriptor_ = -1;
    std::uint64_t size_ = 0;
    // Where the write-back started by append() has reached.
    std::uint64_t writeBackStarted_ = 0;
    // The digest of what was appended, while that is all the file holds.
    std::unique_ptr<enczip::Sha256> digest_;
};

}  // namespace install::downloader
