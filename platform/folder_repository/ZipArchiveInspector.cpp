#include "ZipArchiveInspector.h"

#include <exception>
#include <string>
#include <system_error>

#include "install/enczip/Extract.h"

namespace install::repository_adapter {

ArchiveSizes ZipArchiveInspector::inspect(const std::filesystem::path& file) {
    std::error_code error;
    ArchiveSizes sizes;
    sizes.archiveBytes = std::filesystem::file_size(file, error);
    if (error)
        throw ArchiveInspectionError("cannot read zip archive " + file.string() + ": " + error.message());
    // The table of contents alone: the same check the installation makes before unpacking, at
    // a fraction of the cost of reading every entry's header.
    try {
        sizes.unpackedBytes = enczip::unpackedSize(file.string());
    } catch (const std::exception& failure) {
        throw ArchiveInspectionError(failure.what());  // names the archive
    }
    return sizes;
}

}  // namespace install::repository_adapter
