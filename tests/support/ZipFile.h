#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/zip_archive/ZipArchiveWriter.h"

namespace workflow_test {

// A zip archive of the given entries (name, content), so that the tests hold no binary files.
// The test target links velora_zip_archive.
inline void writeZip(const std::filesystem::path& file,
                     const std::vector<std::pair<std::string, std::string>>& entries) {
    std::filesystem::create_directories(file.parent_path());
    velora::tools::ZipArchiveWriter writer(file);
    for (const auto& [name, content] : entries) writer.addFile(name, content);
    writer.close();
}

}  // namespace workflow_test
