#pragma once

#include <filesystem>
#include <memory>
#include <string>

struct archive;

namespace velora::tools {

// Writes product archives (zip) at run time, so the tests hold no binary files and the
// benchmarks can make archives of any size and shape. Names are marked as UTF-8; every entry
// carries the same fixed time, so an archive of the same content is the same file.
class ZipArchiveWriter {
public:
    enum class Compression { Store, Deflate };

    ZipArchiveWriter(const std::filesystem::path& file, Compression compression = Compression::Deflate);
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
    [[noreturn]] void fail(const std::string& what) const;

    std::unique_ptr<archive, Closer> writer_;
    std::filesystem::path file_;
};

}  // namespace velora::tools
