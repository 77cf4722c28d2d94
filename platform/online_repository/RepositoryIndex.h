#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace install::repository_adapter {

// A file the repository serves: its address relative to the repository, and what it must be.
struct IndexedFile {
    std::string url;
    std::uint64_t size = 0;
    std::string sha256;
};

struct IndexedProduct {
    std::u16string baseCode;
    std::u16string name;
    std::string version;
    std::int32_t updateLevel = 0;
    std::vector<std::u16string> dependencies;
    std::vector<std::u16string> additionalLanguages;
    std::uint64_t installSize = 0;
    IndexedFile archive;
};

struct IndexedInstaller {
    std::string name;  // the file name it is saved under
    IndexedFile file;
};

// One product index of the repository: what a release family and status hold for one platform
// (see docs/repository-protocol.md).
struct RepositoryIndex {
    static constexpr int kFormatVersion = 1;

    std::string platform;
    std::vector<IndexedProduct> products;
    std::vector<IndexedInstaller> installers;

    // Throws std::invalid_argument saying what is wrong. Whatever names a file is checked here,
    // since it decides what is fetched and where it is saved: addresses stay inside the
    // repository, installer names are plain file names, checksums are SHA-256.
    static RepositoryIndex parse(const std::string& json);
};

}  // namespace install::repository_adapter
