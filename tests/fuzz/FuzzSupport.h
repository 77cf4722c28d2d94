// Shared by the fuzz targets: a property that stops the run with a crash report, and files for
// the targets whose code under test reads them.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "support/ScratchFolder.h"

namespace velora::fuzz {

using workflow_test::ScratchFolder;

// A failed property is a finding like a sanitizer report: libFuzzer keeps the input.
inline void check(bool holds) {
    if (!holds) __builtin_trap();
}

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A new file each time: truncating one that holds data makes ext4 flush it, a wait per execution.
inline std::filesystem::path replaceFile(const ScratchFolder& folder, const std::string& name,
                                         std::string_view content) {
    std::filesystem::remove(folder.path() / name);
    return folder.writeFile(name, std::string(content));
}

// Removes a tree, giving its folders back their permissions first: an archive may make
// folders its owner can neither list nor write.
inline void wipe(const std::filesystem::path& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(path, ignored))) {
        ::chmod(path.c_str(), 0700);
        for (const auto& item : std::filesystem::directory_iterator(path, ignored)) wipe(item.path());
    }
    std::filesystem::remove(path, ignored);
}

}  // namespace velora::fuzz
