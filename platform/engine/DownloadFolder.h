#pragma once

#include <filesystem>

namespace install::engine {

// A fresh folder below the system's temporary folder where a run keeps the archives it fetched
// until they are unpacked; removed with its content when the run ends, however it ends.
class DownloadFolder {
public:
    // Throws std::filesystem::filesystem_error when no folder can be made.
    DownloadFolder();
    ~DownloadFolder();
    DownloadFolder(const DownloadFolder&) = delete;
    DownloadFolder& operator=(const DownloadFolder&) = delete;

    const std::filesystem::path& path() const;

private:
    std::filesystem::path path_;
};

}  // namespace install::engine
