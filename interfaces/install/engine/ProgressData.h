#pragma once

#include <cstdint>
#include <string>

namespace install::engine {

// Progress reports of a running engine. Sizes are bytes; percent runs from 0 to 100.

struct DownloadProgressData {
    // What is being downloaded (a product or component name).
    std::u16string text;
    std::uint64_t doneSize = 0;
    std::uint64_t totalSize = 0;
    std::uint64_t percent = 0;
};

struct InstallProgressData {
    // What is being installed.
    std::u16string text;
    std::uint64_t doneComponents = 0;
    std::uint64_t doneSize = 0;
    std::uint64_t totalComponents = 0;
    std::uint64_t totalSize = 0;
    std::uint64_t percent = 0;
};

struct UninstallProgressData {
    std::u16string text;
    std::uint64_t doneSize = 0;
    std::uint64_t totalSize = 0;
    std::uint64_t percent = 0;
};

}  // namespace install::engine
