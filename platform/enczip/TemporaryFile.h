#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "TemporaryName.h"

namespace install::enczip {

// A file being written under a temporary name beside its final one. It only gets the final
// name through commitAs; destroyed before that, it is removed.
class TemporaryFile {
public:
    TemporaryFile(const std::filesystem::path& directory, TemporaryName& names);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Writes data at offset; a gap since the previous write stays a hole.
    void writeAt(std::int64_t offset, const void* data, std::size_t size);
    // Sets length, permissions and modification time, and closes the file.
    void finish(std::uint64_t length, mode_t permissions, const std::optional<timespec>& modified);
    // Moves the finished file to its final name, replacing whatever file or link stood there.
    void commitAs(const std::filesystem::path& finalPath);

private:
    void close();

    std::filesystem::path path_;
    int descriptor_ = -1;
    std::uint64_t position_ = 0;
    bool committed_ = false;
};

}  // namespace install::enczip
