#include "ZipArchiveInspector.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <string>
#include <system_error>

namespace install::repository_adapter {
namespace {

struct ArchiveReader {
    void operator()(archive* reader) const { archive_read_free(reader); }
};

[[noreturn]] void fail(const std::filesystem::path& file, archive* reader) {
    const char* reason = archive_error_string(reader);
    throw ArchiveInspectionError("cannot read zip archive " + file.string() + ": " +
                                 (reason != nullptr ? reason : "unknown error"));
}

}  // namespace

ArchiveSizes ZipArchiveInspector::inspect(const std::filesystem::path& file) {
    std::error_code error;
    ArchiveSizes sizes;
    sizes.archiveBytes = std::filesystem::file_size(file, error);
    if (error)
        throw ArchiveInspectionError("cannot read zip archive " + file.string() + ": " + error.message());

    const std::unique_ptr<archive, ArchiveReader> reader(archive_read_new());
    // The seekable reader takes entry sizes from the central directory, so skipping an entry's
    // data costs nothing.
    archive_read_support_format_zip_seekable(reader.get());
    if (archive_read_open_filename(reader.get(), file.c_str(), 64 * 1024) != ARCHIVE_OK)
        fail(file, reader.get());

    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0) {
            sizes.unpackedBytes += static_cast<std::uint64_t>(archive_entry_size(entry));
        }
        if (archive_read_data_skip(reader.get()) != ARCHIVE_OK) fail(file, reader.get());
    }
    if (status != ARCHIVE_EOF) fail(file, reader.get());
    return sizes;
}

}  // namespace install::repository_adapter
