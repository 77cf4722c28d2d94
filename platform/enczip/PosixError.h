#pragma once

#include <filesystem>
#include <string>

namespace install::enczip {

// The file system's refusal, reported with the path it concerns and the errno it gave.
[[noreturn]] void throwFileSystemError(const std::string& what, const std::filesystem::path& path, int error);

}  // namespace install::enczip
