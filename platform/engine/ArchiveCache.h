#pragma once

#include <filesystem>
#include <string>

#include "install/repository_adapter/RepositoryAdapter.h"

namespace install::engine {

// Where an online installation keeps the archives it downloads until the products are in place:
// a folder below the system's temporary folder named after the installation folder (and the
// user), so that a run that failed or was interrupted leaves its archives and ".part" files for
// the next run into the same folder to resume. Each archive's file is named after the product and
// its checksum (or, without one, its address), so the archive of another release never passes for
// it, while the same archive from another server or port still resumes.
class ArchiveCache {
public:
    explicit ArchiveCache(const std::filesystem::path& destination);

    // The folder, made when missing (only the user may enter it). A folder of that name that is
    // not the user's own, or that others may write into, is passed over for a fresh one, whose
    // archives the next run does not find. Throws std::filesystem::filesystem_error when no
    // folder can be made.
    const std::filesystem::path& prepare();
    // The file of one product's archive in the folder.
    std::filesystem::path fileFor(const std::u16string& baseCode,
                                  const repository_adapter::ArchiveSource& source) const;
    // Removes the folder with everything in it: the installation no longer needs its archives.
    void remove() noexcept;

private:
    std::filesystem::path path_;
};

}  // namespace install::engine
