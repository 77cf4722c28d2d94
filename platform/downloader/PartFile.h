#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

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
    std::string sha256Hex() const;
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
};

}  // namespace install::downloader
