#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace install::enczip::test {

enum class ArchiveFormat { Zip, Tar, TarGz };

// Writes archives entry by entry through libarchive, exactly as given: names are not
// cleaned, so hostile archives can be crafted as easily as ordinary ones.
class ArchiveBuilder {
public:
    ArchiveBuilder& file(const std::string& name, const std::string& content, mode_t permissions = 0644);
    ArchiveBuilder& folder(const std::string& name, mode_t permissions = 0755);
    ArchiveBuilder& symlink(const std::string& name, const std::string& target);
    ArchiveBuilder& hardlink(const std::string& name, const std::string& target);
    ArchiveBuilder& modified(const std::string& name, time_t seconds);

    void write(const std::filesystem::path& path, ArchiveFormat format,
               const std::optional<std::string>& passphrase = std::nullopt) const;

private:
    enum class Kind { File, Folder, Symlink, Hardlink };
    struct Entry {
        Kind kind;
        std::string name;
        std::string content;  // file data or link target
        mode_t permissions;
        std::optional<time_t> modified;
    };
    std::vector<Entry> entries_;
};

}  // namespace install::enczip::test
