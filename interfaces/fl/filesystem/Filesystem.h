#pragma once

#include <string>

// File-system queries on UTF-16 paths as the data model holds them.
namespace fl::filesystem {

// The folder for temporary files: the first of $TMPDIR, $TMP, $TEMP, $TEMPDIR and /tmp that is an
// existing folder; empty when none is.
std::u16string tmpname();

// Whether something exists at the path. A missing entry (or a missing folder on the way) is
// false; any other failure to look, such as a folder that may not be searched, throws
// std::filesystem::filesystem_error.
bool exists(const std::u16string& path);

// Creates the folder and every missing folder above it; false when it already existed. Throws
// std::filesystem::filesystem_error when a folder cannot be created.
bool create_directories(const std::u16string& path);

// The last component of a path, accepting both '/' and '\' as separators so that a Windows path
// named in a product description works too; empty for a path that ends in a separator.
std::u16string filename(const std::u16string& path);

}  // namespace fl::filesystem
