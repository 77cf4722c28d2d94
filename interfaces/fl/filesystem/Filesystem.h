#pragma once

#include <string>
#include <string_view>

// File-system queries on UTF-16 paths as the data model holds them.
namespace fl::filesystem {

// The folder for temporary files: the first of $TMPDIR, $TMP, $TEMP, $TEMPDIR and /tmp that is an
// existing folder; empty when none is.
std::u16string tmpname();

// Whether something exists at the path. A missing entry (or a missing folder on the way) is
// false; any other failure to look, such as a folder that may not be searched, throws
// std::filesystem::filesystem_error.
bool exists(const std::u16string& path);

// Whether the folder itself (not below it) holds an entry, of any type, whose name ends in
// `suffix`, compared byte for byte as the system gives names, so that a name that is no valid
// UTF-8 counts too. Stops at the first such entry. Throws std::filesystem::filesystem_error when
// the folder cannot be listed.
bool holds_entry_ending_in(const std::u16string& folder, std::string_view suffix);

// Creates the folder and every missing folder above it; false when it already existed. Throws
// std::filesystem::filesystem_error when a folder cannot be created.
bool create_directories(const std::u16string& path);

// Whether the path names a folder, or a regular file, following links. A missing entry is
// false; any other failure to look throws std::filesystem::filesystem_error.
bool is_directory(const std::u16string& path);
bool is_regular_file(const std::u16string& path);

// Copies a file over whatever the target holds. The copy is written beside the target, flushed
// and then renamed over it, so the target is either the old file or the whole new one. Throws
// std::filesystem::filesystem_error naming the path that failed.
void copy_file(const std::u16string& from, const std::u16string& to);

// Copies a folder into another, with everything below it: folders are created as needed, files
// are copied as copy_file copies them, replacing files of the same name, and symbolic links are
// copied as links. What the target already holds besides stays. Throws
// std::filesystem::filesystem_error naming the path that failed.
void copy_folder(const std::u16string& from, const std::u16string& to);

// The last component of a path, accepting both '/' and '\' as separators so that a Windows path
// named in a product description works too; empty for a path that ends in a separator.
std::u16string filename(const std::u16string& path);

}  // namespace fl::filesystem
