#include "ArchiveReader.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <stdexcept>

#include "PosixError.h"
#include "ZipStructure.h"

namespace install::enczip {
namespace {

// Large reads keep the number of system calls low on multi-gigabyte product archives.
constexpr std::size_t kReadBlockSize = std::size_t{1} << 20;

}  // namespace

ArchiveReader::ArchiveReader(const std::string& path, const std::optional<std::string>& passphrase)
    : path_(path) {
    ZipStructure::check(path);
    handle_ = archive_read_new();
    if (handle_ == nullptr) throw std::runtime_error("Cannot allocate an archive reader for " + path);
    // Zip alone, as the repository inspected it: no other format, no compression filter.
    archive_read_support_format_zip_seekable(handle_);
    if (passphrase) archive_read_add_passphrase(handle_, passphrase->c_str());
    if (archive_read_open_filename(handle_, path.c_str(), kReadBlockSize) != ARCHIVE_OK) {
        const int error = archive_errno(handle_);
        // A missing or unreadable file is the file system's answer; anything else is the
        // archive's content.
        if (error == ENOENT || error == EACCES || error == EISDIR || error == ENOTDIR || error == EPERM) {
            archive_read_free(handle_);
            throwFileSystemError("Cannot open archive", path, error);
        }
        const std::string message = "Cannot read archive " + path + ": " + archive_error_string(handle_);
        archive_read_free(handle_);
        throw std::runtime_error(message);
    }
}

ArchiveReader::~ArchiveReader() { archive_read_free(handle_); }

archive_entry* ArchiveReader::nextEntry() {
    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(handle_, &entry);
        if (status == ARCHIVE_EOF) return nullptr;
        if (status == ARCHIVE_OK || status == ARCHIVE_WARN) return entry;
        if (status != ARCHIVE_RETRY) fail("Cannot read the next entry");
    }
}

bool ArchiveReader::nextBlock(Block& block, const std::string& entryName) {
    for (;;) {
        la_int64_t offset = 0;
        const int status = archive_read_data_block(handle_, &block.data, &block.size, &offset);
        if (status == ARCHIVE_EOF) return false;
        // While reading data a warning is libarchive's word for a damaged entry: a zip entry
        // whose CRC or size does not match its header. Such a file must not be placed.
        if (status == ARCHIVE_WARN) fail("Damaged data of \"" + entryName + "\"");
        if (status == ARCHIVE_OK) {
            block.offset = offset;
            return true;
        }
        if (status != ARCHIVE_RETRY) fail("Cannot read the data of \"" + entryName + "\"");
    }
}

void ArchiveReader::fail(const std::string& context) const {
    const char* detail = archive_error_string(handle_);
    throw std::runtime_error(context + " in archive " + path_ + ": " + (detail ? detail : "unknown error"));
}

}  // namespace install::enczip
