#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"

namespace install::enczip::test {

using workflow_test::readText;

// An entry exactly as written, names not cleaned: a name ending in "/" is a folder, content
// starting with "->" makes a symbolic link, and a mode with a kind (S_IFIFO, S_IFCHR) an entry
// that zip writers refuse to make (written as a file, its central directory record changed).
struct TestEntry {
    std::string name;
    std::string content;
    mode_t mode = 0644;
};

enum class ArchiveFormat { Zip, Tar };

// Every entry's time is 1,600,000,000 seconds.
void writeArchive(const std::filesystem::path& path, const std::vector<TestEntry>& entries,
                  ArchiveFormat format = ArchiveFormat::Zip, const char* passphrase = nullptr);

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Everything below a folder: relative name -> content, "-> target" or "<dir>", followed by mode
// and modification time when asked.
inline std::map<std::string, std::string> snapshot(const std::filesystem::path& folder,
                                                   bool withModes = false) {
    std::map<std::string, std::string> result;
    std::error_code error;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder, error)) {
        struct stat status {};
        ::lstat(item.path().c_str(), &status);
        std::string& entry = result[item.path().lexically_relative(folder).generic_string()];
        // Built by appending: a literal prepended to a temporary string trips a false -Wrestrict
        // of g++ 12 in optimised builds.
        if (item.is_symlink()) {
            entry = "-> ";
            entry += std::filesystem::read_symlink(item.path()).string();
        } else {
            entry = item.is_directory() ? "<dir>" : readText(item.path());
        }
        if (withModes) {
            char modeAndTime[64];
            std::snprintf(modeAndTime, sizeof modeAndTime, " %u %lld.%ld",
                          static_cast<unsigned>(status.st_mode),
                          static_cast<long long>(status.st_mtim.tv_sec), status.st_mtim.tv_nsec);
            entry += modeAndTime;
        }
    }
    return result;
}

// A private folder with a destination inside and a neighbour beside it that no extraction may
// touch: "outside/secret.txt" is there from the start.
struct Sandbox : workflow_test::ScratchFolder {
    Sandbox() {
        std::filesystem::create_directories(outside());
        writeText(outside() / "secret.txt", "untouched");
    }
    std::filesystem::path root() const { return path(); }
    std::filesystem::path destination() const { return path() / "dest"; }
    std::filesystem::path outside() const { return path() / "outside"; }
};

}  // namespace install::enczip::test
