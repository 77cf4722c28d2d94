#include "TestArchive.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <stdexcept>

namespace install::enczip::test {
namespace {

// Sets the entry's Unix mode in its central directory record, as if made on Unix (3).
void markKind(const std::filesystem::path& path, const TestEntry& entry) {
    std::string bytes = readText(path);
    for (auto record = bytes.find("PK\x01\x02"); record != std::string::npos;
         record = bytes.find("PK\x01\x02", record + 4)) {
        const std::size_t nameLength = static_cast<unsigned char>(bytes[record + 28]);
        if (bytes.compare(record + 46, nameLength, entry.name) != 0) continue;
        bytes[record + 5] = 3;
        for (int i = 0; i < 4; ++i) bytes[record + 38 + i] = static_cast<char>((entry.mode << 16) >> (8 * i));
    }
    writeText(path, bytes);
}

}  // namespace

void writeArchive(const std::filesystem::path& path, const std::vector<TestEntry>& entries,
                  ArchiveFormat format, const char* passphrase) {
    const std::unique_ptr<archive, int (*)(archive*)> writer(archive_write_new(), archive_write_free);
    format == ArchiveFormat::Zip ? archive_write_set_format_zip(writer.get())
                                 : archive_write_set_format_pax_restricted(writer.get());
    if (passphrase != nullptr) {
        archive_write_set_options(writer.get(), "zip:encryption=traditional");
        archive_write_set_passphrase(writer.get(), passphrase);
    }
    if (archive_write_open_filename(writer.get(), path.c_str()) != ARCHIVE_OK)
        throw std::runtime_error(archive_error_string(writer.get()));
    for (const TestEntry& item : entries) {
        const std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(),
                                                                             archive_entry_free);
        const bool link = item.content.starts_with("->");
        archive_entry_set_pathname(entry.get(), item.name.c_str());
        archive_entry_set_perm(entry.get(), item.mode & 07777);
        archive_entry_set_mtime(entry.get(), 1'600'000'000, 0);
        archive_entry_set_filetype(entry.get(), item.name.ends_with('/') ? AE_IFDIR
                                                : link                   ? AE_IFLNK
                                                                         : AE_IFREG);
        if (link) archive_entry_set_symlink(entry.get(), item.content.substr(2).c_str());
        if (!link) archive_entry_set_size(entry.get(), static_cast<la_int64_t>(item.content.size()));
        if (archive_write_header(writer.get(), entry.get()) < ARCHIVE_WARN ||
            (!link && archive_write_data(writer.get(), item.content.data(), item.content.size()) < 0))
            throw std::runtime_error(archive_error_string(writer.get()));
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK)
        throw std::runtime_error(archive_error_string(writer.get()));
    for (const TestEntry& item : entries) {
        if ((item.mode & S_IFMT) != 0) markKind(path, item);
    }
}

}  // namespace install::enczip::test
