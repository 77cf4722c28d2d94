#include "ZipArchiveWriter.h"

#include <fstream>
#include <stdexcept>
#include <vector>

namespace velora::installer::test {

void scrambleBytes(const std::filesystem::path& file, std::uint64_t offset, std::uint64_t count) {
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    // 0xff bytes make a deflate block header of the reserved type, and no text is made of them.
    const std::vector<char> garbage(static_cast<std::size_t>(count), static_cast<char>(0xff));
    stream.seekp(static_cast<std::streamoff>(offset));
    stream.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    if (!stream) throw std::runtime_error("cannot overwrite " + file.string());
}

}  // namespace velora::installer::test
