#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace install::test {

// The whole content of a file, empty when it cannot be read.
inline std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace install::test
