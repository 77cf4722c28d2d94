#pragma once

#include <cstdint>
#include <filesystem>

#include "tools/zip_archive/ZipArchiveWriter.h"

namespace velora::installer::test {

using velora::tools::ZipArchiveWriter;

// Overwrites `count` bytes from `offset` on with a pattern that is neither valid deflate data
// nor the original content, leaving the file's length (and so its zip directory) intact.
void scrambleBytes(const std::filesystem::path& file, std::uint64_t offset, std::uint64_t count);

}  // namespace velora::installer::test
