#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "tools/zip_archive/ZipArchiveWriter.h"

namespace install::test {

// A fresh folder below the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velora-stand-in-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::system_error(errno, std::generic_category(), "mkdtemp");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::u16string text() const { return path_.u16string(); }

    std::filesystem::path writeFile(const std::filesystem::path& relative, const std::string& content) const {
        const std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }

    // A zip archive of the given entries (name, content), so the tests hold no binary files.
    void writeZip(const std::filesystem::path& relative,
                  const std::vector<std::pair<std::string, std::string>>& entries) const {
        velora::tools::ZipArchiveWriter writer(writeFile(relative, ""));
        for (const auto& [name, content] : entries) writer.addFile(name, content);
        writer.close();
    }

private:
    std::filesystem::path path_;
};

// The whole content of a file, empty when it cannot be read.
inline std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace install::test
