#include "ZipArchiveWriter.h"

#include <archive.h>
#include <archive_entry.h>

#include <fstream>
#include <stdexcept>
#include <vector>

namespace velora::installer::test {

namespace {

struct EntryDeleter {
    void operator()(archive_entry* entry) const { archive_entry_free(entry); }
};

}  // namespace

void ZipArchiveWriter::Closer::operator()(archive* writer) const { archive_write_free(writer); }

ZipArchiveWriter::ZipArchiveWriter(const std::filesystem::path& file, Compression compression)
    : writer_(archive_write_new()), file_(file) {
    if (!writer_) throw std::runtime_error("cannot allocate an archive writer");
    archive_write_set_format_zip(writer_.get());
    // Names are marked as UTF-8, as the zip tools of UTF-8 systems mark them.
    archive_write_set_options(writer_.get(), "zip:hdrcharset=UTF-8");
    if (compression == Compression::Store) {
        archive_write_zip_set_compression_store(writer_.get());
    } else {
        archive_write_zip_set_compression_deflate(writer_.get());
    }
    std::filesystem::create_directories(file.parent_path());
    if (archive_write_open_filename(writer_.get(), file.c_str()) != ARCHIVE_OK) {
        throw std::runtime_error("cannot write " + file.string() + ": " +
                                 archive_error_string(writer_.get()));
    }
}

ZipArchiveWriter::~ZipArchiveWriter() = default;

void ZipArchiveWriter::addFolder(const std::string& name) {
    const std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
    archive_entry_set_pathname_utf8(entry.get(), (name + "/").c_str());
    archive_entry_set_filetype(entry.get(), AE_IFDIR);
    archive_entry_set_perm(entry.get(), 0755);
    if (archive_write_header(writer_.get(), entry.get()) != ARCHIVE_OK)
        throw std::runtime_error("cannot add " + name + ": " + archive_error_string(writer_.get()));
}

void ZipArchiveWriter::addFile(const std::string& name, const std::string& content, unsigned permissions) {
    const std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
    archive_entry_set_pathname_utf8(entry.get(), name.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), permissions);
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(content.size()));
    if (archive_write_header(writer_.get(), entry.get()) != ARCHIVE_OK ||
        archive_write_data(writer_.get(), content.data(), content.size()) !=
            static_cast<la_ssize_t>(content.size())) {
        throw std::runtime_error("cannot add " + name + ": " + archive_error_string(writer_.get()));
    }
}

void ZipArchiveWriter::close() {
    if (archive_write_close(writer_.get()) != ARCHIVE_OK)
        throw std::runtime_error("cannot finish " + file_.string() + ": " +
                                 archive_error_string(writer_.get()));
}

void scrambleBytes(const std::filesystem::path& file, std::uint64_t offset, std::uint64_t count) {
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    if (!stream) throw std::runtime_error("cannot open " + file.string());
    // 0xff bytes make a deflate block header of the reserved type, and no text is made of them.
    const std::vector<char> garbage(static_cast<std::size_t>(count), static_cast<char>(0xff));
    stream.seekp(static_cast<std::streamoff>(offset));
    stream.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    if (!stream) throw std::runtime_error("cannot overwrite " + file.string());
}

}  // namespace velora::installer::test
