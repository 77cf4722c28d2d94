#include "ArchiveBuilder.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <stdexcept>

namespace install::enczip::test {

ArchiveBuilder& ArchiveBuilder::file(const std::string& name, const std::string& content,
                                     mode_t permissions) {
    entries_.push_back({Kind::File, name, content, permissions, std::nullopt});
    return *this;
}

ArchiveBuilder& ArchiveBuilder::folder(const std::string& name, mode_t permissions) {
    entries_.push_back({Kind::Folder, name, "", permissions, std::nullopt});
    return *this;
}

ArchiveBuilder& ArchiveBuilder::symlink(const std::string& name, const std::string& target) {
    entries_.push_back({Kind::Symlink, name, target, 0777, std::nullopt});
    return *this;
}

ArchiveBuilder& ArchiveBuilder::hardlink(const std::string& name, const std::string& target) {
    entries_.push_back({Kind::Hardlink, name, target, 0644, std::nullopt});
    return *this;
}

ArchiveBuilder& ArchiveBuilder::modified(const std::string& name, time_t seconds) {
    for (Entry& entry : entries_) {
        if (entry.name == name) entry.modified = seconds;
    }
    return *this;
}

void ArchiveBuilder::write(const std::filesystem::path& path, ArchiveFormat format,
                           const std::optional<std::string>& passphrase) const {
    std::unique_ptr<archive, decltype(&archive_write_free)> writer(archive_write_new(), archive_write_free);
    if (format == ArchiveFormat::Zip) {
        archive_write_set_format_zip(writer.get());
    } else {
        archive_write_set_format_pax_restricted(writer.get());
        if (format == ArchiveFormat::TarGz) archive_write_add_filter_gzip(writer.get());
    }
    if (passphrase) {
        archive_write_set_options(writer.get(), "zip:encryption=traditional");
        archive_write_set_passphrase(writer.get(), passphrase->c_str());
    }
    if (archive_write_open_filename(writer.get(), path.c_str()) != ARCHIVE_OK) {
        throw std::runtime_error(archive_error_string(writer.get()));
    }
    for (const Entry& item : entries_) {
        std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                            archive_entry_free);
        archive_entry_set_pathname(entry.get(), item.name.c_str());
        archive_entry_set_perm(entry.get(), item.permissions);
        archive_entry_set_mtime(entry.get(), item.modified.value_or(1'600'000'000), 0);
        switch (item.kind) {
            case Kind::File:
                archive_entry_set_filetype(entry.get(), AE_IFREG);
                archive_entry_set_size(entry.get(), static_cast<la_int64_t>(item.content.size()));
                break;
            case Kind::Folder:
                archive_entry_set_filetype(entry.get(), AE_IFDIR);
                break;
            case Kind::Symlink:
                archive_entry_set_filetype(entry.get(), AE_IFLNK);
                archive_entry_set_symlink(entry.get(), item.content.c_str());
                break;
            case Kind::Hardlink:
                archive_entry_set_filetype(entry.get(), AE_IFREG);
                archive_entry_set_hardlink(entry.get(), item.content.c_str());
                archive_entry_set_size(entry.get(), 0);
                break;
        }
        if (archive_write_header(writer.get(), entry.get()) < ARCHIVE_WARN) {
            throw std::runtime_error(archive_error_string(writer.get()));
        }
        if (item.kind == Kind::File && !item.content.empty()) {
            archive_write_data(writer.get(), item.content.data(), item.content.size());
        }
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK)
        throw std::runtime_error(archive_error_string(writer.get()));
}

}  // namespace install::enczip::test
