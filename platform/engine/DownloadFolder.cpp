#include "DownloadFolder.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace install::engine {

DownloadFolder::DownloadFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velora-download-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::filesystem::filesystem_error("Cannot create a download folder", pattern,
                                                std::error_code(errno, std::generic_category()));
    }
    path_ = pattern;
}

DownloadFolder::~DownloadFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

const std::filesystem::path& DownloadFolder::path() const { return path_; }

}  // namespace install::engine
