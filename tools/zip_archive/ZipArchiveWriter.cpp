#include "tools/zip_archive/ZipArchiveWriter.h"

#include <archive.h>
#include <archive_entry.h>

#include <stdexcept>

namespace velora::tools {

namespace {

constexpr la_int64_t kEntryTime = 1'700'000'000;

struct EntryDeleter {
    void operator()(archive_entry* entry) const { archive_entry_free(entry); }
};
using Entry = std::unique_ptr<archive_entry, EntryDeleter>;

Entry makeEntry(const std::string& name, unsigned type, unsigned permissions) {
    Entry entry(archive_entry_new());
    archive_entry_set_pathname_utf8(entry.get(), name.c_str());
    archive_entry_set_filetype(entry.get(), type);
    archive_entry_set_perm(entry.get(), permissions);
    archive_entry_set_mtime(entry.get(), kEntryTime, 0);
    return entry;
}

}  // namespace

void ZipArchiveWriter::Closer::operator()(archive* writer) const { archive_write_free(writer); }

ZipArchiveWriter::ZipArchiveWriter(const std::filesystem::path& file, Compression compression)
    : writer_(archive_write_new()), file_(file) {
    if (!writer_) throw std::runtime_error("cannot allocate an archive writer");
    archive_write_set_format_zip(writer_.get());
    // As the zip tools of UTF-8 systems mark them.
    archive_write_set_options(writer_.get(), "zip:hdrcharset=UTF-8");
    if (compression == Compression::Store) {
        archive_write_zip_set_compression_store(writer_.get());
    } else {
        archive_write_zip_set_compression_deflate(writer_.get());
    }
    std::filesystem::create_directories(file.parent_path());
    if (archive_write_open_filename(writer_.get(), file.c_str()) != ARCHIVE_OK) fail("cannot write");
}

ZipArchiveWriter::~ZipArchiveWriter() = default;

void ZipArchiveWriter::addFolder(const std::string& name) {
    const Entry entry = makeEntry(name + "/", AE_IFDIR, 0755);
    if (archive_write_header(writer_.get(), entry.get()) != ARCHIVE_OK) fail("cannot add " + name + " to");
}

void ZipArchiveWriter::addFile(const std::string& name, const std::string& content, unsigned permissions) {
    const Entry entry = makeEntry(name, AE_IFREG, permissions);
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(content.size()));
    if (archive_write_header(writer_.get(), entry.get()) != ARCHIVE_OK ||
        archive_write_data(writer_.get(), content.data(), content.size()) !=
            static_cast<la_ssize_t>(content.size())) {
        fail("cannot add " + name + " to");
    }
}

void ZipArchiveWriter::close() {
    if (archive_write_close(writer_.get()) != ARCHIVE_OK) fail("cannot finish");
}

void ZipArchiveWriter::fail(const std::string& what) const {
    throw std::runtime_error(what + " " + file_.string() + ": " + archive_error_string(writer_.get()));
}

}  // namespace velora::tools
