#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace install::test {

// Writes a zip archive of the given entries (name and content), so tests never need binary files.
inline void writeZip(const std::filesystem::path& file,
                     const std::vector<std::pair<std::string, std::string>>& entries) {
    std::filesystem::create_directories(file.parent_path());
    const std::unique_ptr<archive, int (*)(archive*)> writer(archive_write_new(), archive_write_free);
    archive_write_set_format_zip(writer.get());
    if (archive_write_open_filename(writer.get(), file.c_str()) != ARCHIVE_OK) {
        throw std::runtime_error(archive_error_string(writer.get()));
    }
    for (const auto& [name, content] : entries) {
        const std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(),
                                                                             archive_entry_free);
        archive_entry_set_pathname(entry.get(), name.c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(content.size()));
        if (archive_write_header(writer.get(), entry.get()) != ARCHIVE_OK ||
            archive_write_data(writer.get(), content.data(), content.size()) !=
                static_cast<la_ssize_t>(content.size())) {
            throw std::runtime_error(archive_error_string(writer.get()));
        }
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK)
        throw std::runtime_error(archive_error_string(writer.get()));
}

}  // namespace install::test
