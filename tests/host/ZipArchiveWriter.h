#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

struct archive;

namespace velora::installer::test {

// Writes product archives (zip) at test time, so the tests hold no binary files and can make
// archives of any size or shape.
class ZipArchiveWriter {
public:
    enum class Compression { Store, Deflate };

    ZipArchiveWriter(const std::filesystem::path& file, Compression compression);
    ~ZipArchiveWriter();
    ZipArchiveWriter(const ZipArchiveWriter&) = delete;
    ZipArchiveWriter& operator=(const ZipArchiveWriter&) = delete;

    void addFolder(const std::string& name);
    void addFile(const std::string& name, const std::string& content, unsigned permissions = 0644);
    // Writes the central directory; an archive not closed is unreadable.
    void close();

private:
    struct Closer {
        void operator()(archive* writer) const;
    };
    std::unique_ptr<archive, Closer> writer_;
    std::filesystem::path file_;
};

// Overwrites `count` bytes from `offset` on with a pattern that is neither valid deflate data
// nor the original content, leaving the file's length (and so its zip directory) intact.
void scrambleBytes(const std::filesystem::path& file, std::uint64_t offset, std::uint64_t count);

}  // namespace velora::installer::test
