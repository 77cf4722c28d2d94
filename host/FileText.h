#pragma once

#include <filesystem>
#include <string>

namespace velora::installer {

// The whole content of a file the user named. Throws std::system_error with the system's reason
// when it cannot be opened or read (a special file such as /proc/self/mem fails here rather than
// reading as empty).
std::string readWholeFile(const std::filesystem::path& file);

}  // namespace velora::installer
