#pragma once

#include <cstddef>
#include <filesystem>

namespace install::engine {

// A file read from start to end in large blocks, the kernel told so that it reads ahead.
class SequentialFile {
public:
    // Blocks of this size keep system calls rare without straining the cache.
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    // Throws std::filesystem::filesystem_error when the file cannot be opened.
    explicit SequentialFile(const std::filesystem::path& path);
    ~SequentialFile();
    SequentialFile(const SequentialFile&) = delete;
    SequentialFile& operator=(const SequentialFile&) = delete;

    // Up to `size` bytes; 0 at the end. Throws std::filesystem::filesystem_error.
    std::size_t read(void* buffer, std::size_t size);

private:
    std::filesystem::path path_;
    int descriptor_;
};

}  // namespace install::engine
